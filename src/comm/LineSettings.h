#pragma once

#include <QByteArray>
#include <QtGlobal>

// Line settings of one firmware family. Command 10 picks them from a firmware
// probe message; command 3 opens the port with them.
class LineSettings
{
public:
    // Baud rate of the firmware families we know; everything else runs at 19200.
    static qint32 baudForMajor(quint8 major);

    // The probe message is the identity answer 41 02 LEN 61 01 <identity> <chk>;
    // the identity's first byte is the major version. Returns false when the
    // message is too short to hold an identity.
    bool selectFromProbe(const QByteArray &probe);

    qint32 baudRate() const { return m_baud; }

private:
    qint32 m_baud = 19200;
};
