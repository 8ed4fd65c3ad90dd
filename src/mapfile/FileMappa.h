#pragma once

#include <QByteArray>
#include <QString>

namespace gascal {

// The text of a map file. Every line ends with CR LF; a block line is the hex
// text of the ECU's whole answer (header, data, checksum).
namespace FileMappa {

// What a saved file holds, as read from the ECU.
struct Contenuto {
    QByteArray Info;     // the info line, already in the file's code page
    QByteArray Nota;
    QByteArray Firmware; // answer to the firmware read, written as hex and raw
    QByteArray Coll;     // record 5
    QByteArray Blk1;
    QByteArray Blk2;
    QByteArray Blk3;
    QByteArray Blk5;
    QByteArray Map0;
};

// The four blocks that a load writes, as hex text.
struct BlocchiCaricati {
    QString Blk2;
    QString Blk3;
    QString Blk5;
    QString Map0;
};

// The file's bytes: 19 lines, the firmware section having two.
QByteArray Componi(const Contenuto &contenuto);

// Finds the four loaded sections in the file's bytes. Returns an empty text,
// or why the file cannot be loaded: a section missing or given twice, a block
// line shorter than 12 hex digits (header and checksum), not hex or of odd
// length, or a block that ControllaBlocco refuses.
QString Leggi(const QByteArray &testo, BlocchiCaricati &blocchi);

// Why a block (a whole ECU answer) cannot be a saved block: an empty text
// when it can, else the rest of a sentence ("has a wrong checksum"): too
// short, a refusal answer, a length byte that differs from its size, a wrong
// checksum. `configurazione`: the block of "[BLK_3]", whose pedestal guard
// byte the save sets without a new checksum.
QString ControllaBlocco(const QByteArray &blocco, bool configurazione = false);

// The data of a block line: without its 5-byte header and its checksum.
QByteArray DatiBlocco(const QString &riga);

} // namespace FileMappa
} // namespace gascal
