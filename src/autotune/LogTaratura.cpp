#include "autotune/LogTaratura.h"

#include <cmath>

namespace gascal {

bool LogTaratura::Apri(const QString &percorso)
{
    Chiudi();
    m_file.setFileName(percorso);
    return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

void LogTaratura::Chiudi()
{
    if (m_file.isOpen())
        m_file.close();
}

void LogTaratura::Riga(const QString &testo)
{
    if (m_file.isOpen()) {
        m_file.write(testo.toLocal8Bit());
        m_file.write("\r\n");
        m_file.flush();
    }
    if (copia)
        copia(testo);
}

void LogTaratura::Dati(double orologioUs, qint64 campioni, qint64 campione, qint64 tBenzMin, qint64 tBenzMax,
                       qint64 tGasCil, qint64 giri, qint64 correzione)
{
    QString riga = QString::number(static_cast<qint64>(std::nearbyint(orologioUs / 1000.0))) + QLatin1Char('#');
    for (qint64 v : {campioni, campione, tBenzMin, tBenzMax, tGasCil, giri, correzione})
        riga += QString::number(v) + QLatin1Char('#');
    Riga(riga);
}

void LogTaratura::Intestazione()
{
    Riga(QStringLiteral("TimerApi_uSec#AuxSample#AuxTBenz#TBenzMin#TBenzMax#TGasCil#AuxRpm#Corr#"));
}

} // namespace gascal
