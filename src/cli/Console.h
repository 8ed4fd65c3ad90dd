#pragma once

#include <QString>

// What the command-line tool prints: results on standard output, errors and
// message boxes on standard error.
namespace gascal::cli {

void Stampa(const QString &testo);
void Errore(const QString &testo);

} // namespace gascal::cli
