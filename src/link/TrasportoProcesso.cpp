#include "link/TrasportoProcesso.h"

namespace gascal {

TrasportoProcesso::TrasportoProcesso()
{
    // PrjCom's standard error stays the program's own.
    m_processo.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_processo.setReadChannel(QProcess::StandardOutput);
}

TrasportoProcesso::~TrasportoProcesso()
{
    Termina();
}

bool TrasportoProcesso::Avvia(const QString &programma, const QStringList &argomenti)
{
    m_processo.setProgram(programma);
    m_processo.setArguments(argomenti);
    m_processo.start(QIODevice::ReadWrite | QIODevice::Unbuffered);
    return m_processo.waitForStarted(5000);
}

bool TrasportoProcesso::Scrivi(const QByteArray &frame)
{
    return m_processo.write(frame) == frame.size();
}

void TrasportoProcesso::ChiudiIngresso(int ms)
{
    m_processo.closeWriteChannel();
    m_processo.waitForFinished(ms);
}

void TrasportoProcesso::Termina()
{
    if (m_processo.state() == QProcess::NotRunning)
        return;
    ChiudiIngresso(1000);
    if (m_processo.state() != QProcess::NotRunning) {
        m_processo.kill();
        m_processo.waitForFinished(1000);
    }
}

} // namespace gascal
