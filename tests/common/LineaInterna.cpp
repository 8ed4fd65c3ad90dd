#include "LineaInterna.h"
#include "EcuInterna.h"
#include "EcuLine.h"

EcuStatus LineaInterna::open(const QString &device, qint32)
{
    m_aperta = device == m_dispositivo && !m_ecu.Sparita();
    return m_aperta ? EcuStatus::Success : EcuStatus::PortMissing;
}

EcuAnswer LineaInterna::exchange(const QByteArray &messaggio, Shape forma, int attesaMs)
{
    EcuAnswer a;
    if (!m_aperta) {
        a.status = EcuStatus::NoPortOpen;
        return a;
    }
    const QByteArray risposta = m_ecu.Rispondi(messaggio);
    // ecusim ended: its pseudo-terminal hangs up under the read.
    m_aperta = !m_ecu.Sparita();
    if (!m_aperta || risposta.isEmpty() || m_ecu.RitardoMs() >= attesaMs) {
        m_ora_ms += attesaMs;
        return a;
    }
    m_ora_ms += m_ecu.RitardoMs();
    a.bytes = forma == Shape::Probe ? risposta.left(ProbeAnswerSize) : risposta;
    a.status = EcuLine::judge(a.bytes, forma);
    if (a.status == EcuStatus::Malformed)
        m_ora_ms += EcuLine::InterByteMs; // the line is drained until quiet
    return a;
}
