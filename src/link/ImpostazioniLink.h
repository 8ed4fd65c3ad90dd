#pragma once

#include <QByteArray>
#include <QList>

namespace gascal {

// The link settings read from SetCom.ini.
struct ImpostazioniLink {
    qint64 AttesaPipe_usec = 0;    // reply time-out of every transaction
    qint64 AttesaGlobale_usec = 0; // ECU wait handed to the communication process
    qint64 MolAttesaGlobale = 0;   // multiplier of that wait during long writes
    bool SoloUsb = false;          // the connection scan tries port 0 only
    QList<QByteArray> ListaFirmware{QByteArray()}; // firmware probe messages

    // The ECU wait in milliseconds, normal or long, to the nearest whole number
    // (limited to 0 .. MassimaAttesaEcuMs + 1, so that too long shows).
    qint64 AttesaEcuMs(bool lunga) const;

    // The ECU wait travels as 16 bits of milliseconds.
    static constexpr qint64 MassimaAttesaEcuMs = 65535;
    // The reply time-out runs on a timer of whole milliseconds in an int.
    static constexpr qint64 MassimaAttesaPipe_usec = qint64(2147483647) * 1000;
};

} // namespace gascal
