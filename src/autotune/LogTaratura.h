#pragma once

#include <QFile>
#include <QString>

#include <functional>

namespace gascal {

// The autotuning log SatoTun.txt: created anew at each run, one line per
// print, lines ended by CR LF. Every line also goes to `copia` (the
// command-line tool prints it).
class LogTaratura
{
public:
    bool Apri(const QString &percorso);
    void Chiudi();
    bool Aperto() const { return m_file.isOpen(); }
    void Riga(const QString &testo);
    // One data line: eight fields, each followed by "#".
    void Dati(double orologioUs, qint64 campioni, qint64 campione, qint64 tBenzMin, qint64 tBenzMax,
              qint64 tGasCil, qint64 giri, qint64 correzione);
    // The column header of the sampling steps.
    void Intestazione();

    std::function<void(const QString &)> copia;

private:
    QFile m_file;
};

} // namespace gascal
