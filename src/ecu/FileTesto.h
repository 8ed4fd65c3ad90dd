#pragma once

#include "app/LetturaLimitata.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace gascal {

class ServiziUi;

// Readers of the program's text settings files, plain or scrambled line by line.
namespace FileTesto {

// The whole file split into lines, CR LF and LF alike, a UTF-8 byte-order
// mark dropped (a file that ends with a line end gives a final empty line);
// empty for a file that cannot be read or that LetturaLimitata refuses.
QStringList LeggiFileTesto(const QString &percorso);

// True when the file exists and its first line unscrambles to the header word.
bool VerificaHeader(const QString &percorso);

// The unscrambled lines after the header line; an empty list and the message
// "HEADER WRONG " when the header is not there.
QStringList LeggiFileCriptato(const QString &percorso, ServiziUi &ui);

// Plain or scrambled, whichever the file is; read through LetturaLimitata
// (a settings file's cap unless another kind is given), empty when refused,
// with the reason in `errore`.
QStringList LeggiImpostazioni(const QString &percorso, ServiziUi &ui);
QStringList LeggiImpostazioni(const QString &percorso, ServiziUi &ui, LetturaLimitata::Tipo tipo, QString *errore);
// The same from the file's bytes.
QStringList ImpostazioniDaByte(const QByteArray &byte, ServiziUi &ui);
// The unscrambled lines after the header line of lines already split.
QStringList RigheCriptate(const QStringList &righe, ServiziUi &ui);

// The one line splitter of the text files: CR LF or LF ends a line, a
// leading byte-order mark is dropped.
QStringList DividiRighe(const QString &testo);
// The same from UTF-8 bytes.
QStringList RigheDaByte(const QByteArray &byte);

// The lines of a map or definition file's bytes: split on LF, a CR before it
// dropped, a leading UTF-8 byte-order mark dropped. Only section names are trusted there, since a raw firmware line
// may hold line-break bytes of its own.
QList<QByteArray> RigheBlocchi(const QByteArray &testo);

} // namespace FileTesto
} // namespace gascal
