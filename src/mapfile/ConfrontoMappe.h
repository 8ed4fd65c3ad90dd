#pragma once

#include "mapfile/FileMappa.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace gascal {

class Contesto;

// Two set-ups compared by what they set: the configuration settings by their
// `config` names and as the pages show them, the calibration line's points
// (`line[i]`) and pivots (`pivot[k]`), and, only for bytes that no name shows,
// the raw bytes. Each side is a map file, or the blocks of the connected ECU
// as it holds them. Only the four blocks that a load writes are compared; the
// first two data bytes of "[BLK_2]" are not (a load sends 0).
// The comparison decodes both sides with the program's own records and puts
// them back as they were, so that it can run beside the live pages.
class ConfrontoMappe
{
public:
    enum Lato { A, B };
    struct Differenza {
        QString nome; // setting name, or "[SECTION] byte N" (N counts from 1, header included)
        QString a;
        QString b;
        bool operator==(const Differenza &) const = default;
    };

    explicit ConfrontoMappe(Contesto &ctx) : m_ctx(ctx) {}

    // Reads one side from a map file. False with Errore() naming the file and
    // the section when it cannot be read.
    bool LeggiFile(const QString &file, Lato lato);
    // Reads one side from the bytes of a map file (`origine` names it in Errore()).
    bool LeggiTesto(const QByteArray &testo, const QString &origine, Lato lato);
    // Takes one side from the blocks read from the ECU, as the ECU holds them.
    void LeggiEcu(const FileMappa::Contenuto &ecu, Lato lato);
    bool Leggi(const QString &fileA, const QString &fileB)
    {
        return LeggiFile(fileA, A) && LeggiFile(fileB, B);
    }

    // The differences, in the order of the pages, then the line, then raw bytes.
    QList<Differenza> Confronta();
    // One line per difference: "NAME: A | B".
    QStringList Differenze();
    static QString Riga(const Differenza &d);
    QString Errore() const { return m_errore; }

private:
    using Foto = QMap<QString, QString>; // name -> shown value
    struct Blocchi {
        QByteArray dati[4]; // the whole block messages, in the order of Sezioni
    };
    static const int Record[4];
    static const char *const Sezioni[4];

    void Carica(const Blocchi &b);
    Foto Fotografa(QStringList *nomi = nullptr);
    QList<Differenza> ConfrontaCaricando();

    Contesto &m_ctx;
    Blocchi m_lati[2];
    QString m_errore;
};

} // namespace gascal
