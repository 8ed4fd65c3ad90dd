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

    // The ECU wait in milliseconds, normal or long, to the nearest whole number.
    qint64 AttesaEcuMs(bool lunga) const;
};

} // namespace gascal
