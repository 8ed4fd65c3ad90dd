#pragma once

#include <QString>

namespace gascal {

struct TabelleCampioni;

// Sample files (".cmp", and Memo.ini in the program folder): the tables'
// image of TabelleCampioni, nothing else.
namespace FileCampioni {

// Reads the tables from a file. A file that cannot be read or is not exactly
// one image long is refused: false, the tables untouched and `errore` says why.
bool CaricaCampioni(const QString &percorso, TabelleCampioni &tabelle, QString *errore = nullptr);

// Writes the tables through a temporary file that replaces the old one only
// when it is complete, so a failed write never leaves a truncated file.
bool SalvaCampioni(const QString &percorso, const TabelleCampioni &tabelle, QString *errore = nullptr);

} // namespace FileCampioni

} // namespace gascal
