#pragma once
#include "EcuLink.h"

class EcuInterna;

// The serial line to the in-process ECU: an exchange takes the time the real line would, on its own clock.
class LineaInterna : public EcuLink
{
public:
    LineaInterna(EcuInterna &ecu, const QString &dispositivo) : m_ecu(ecu), m_dispositivo(dispositivo) {}

    // The ECU's port is there as long as ecusim is.
    EcuStatus open(const QString &device, qint32) override;
    void close() override { m_aperta = false; }
    bool isOpen() const override { return m_aperta; }
    EcuAnswer exchange(const QByteArray &messaggio, Shape forma, int attesaMs) override;
    qint64 clockMs() const override { return m_ora_ms; }

private:
    EcuInterna &m_ecu;
    QString m_dispositivo;
    bool m_aperta = false;
    qint64 m_ora_ms = 0;
};
