#pragma once

#include <QString>

namespace gascal {

class ServiziUi;

// The common error report of the configuration windows. The error number and
// description are the caller's (the error that was caught); with a non-zero
// source flag the last system error is reported instead.
QString TestoErrore(const QString &testo1, const QString &testo2, int flagSorgente,
                    qint64 numeroErrore, const QString &descrizione);
void MostraErrore(ServiziUi &ui, const QString &titoloProgramma, const QString &testo1,
                  const QString &testo2, int flagSorgente, qint64 numeroErrore,
                  const QString &descrizione);

} // namespace gascal
