#pragma once

#include "ecu/CodaScrittura.h"

#include <QByteArray>

namespace gascal {

// What the windows prepare for the ECU: the two write queues and the data of
// the map write and of the stored message.
struct CodeScrittura {
    CodaScrittura ValoriDaScrivere;  // record 3 (configuration)
    CodaScrittura ValoriDaScrivere2; // record 2 (commands and state)
    QByteArray DatiMap0;             // payload for the calibration map
    QByteArray DatiBlk5;             // payload for block 5
    QByteArray MessaggioDaInviare;   // a whole ECU message, then stored
};

} // namespace gascal
