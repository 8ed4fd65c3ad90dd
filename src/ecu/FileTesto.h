#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace gascal {

class ServiziUi;

// Readers of the program's text settings files, plain or scrambled line by line.
namespace FileTesto {

// The whole file split on CR LF (a file that ends with CR LF gives a final
// empty line); empty for a file that cannot be read.
QStringList LeggiFileTesto(const QString &percorso);

// True when the file exists and its first line unscrambles to the header word.
bool VerificaHeader(const QString &percorso);

// The unscrambled lines after the header line; an empty list and the message
// "HEADER WRONG " when the header is not there.
QStringList LeggiFileCriptato(const QString &percorso, ServiziUi &ui);

// Plain or scrambled, whichever the file is.
QStringList LeggiImpostazioni(const QString &percorso, ServiziUi &ui);

// Splits a text on CR LF.
QStringList DividiRighe(const QString &testo);

// The lines of a map or definition file's bytes: split on LF, a CR before it
// dropped. Only section names are trusted there, since a raw firmware line
// may hold line-break bytes of its own.
QList<QByteArray> RigheBlocchi(const QByteArray &testo);

} // namespace FileTesto
} // namespace gascal
