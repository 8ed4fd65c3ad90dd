#pragma once

#include <QString>

namespace gascal {

// The operations a window or a command asks for, carried out between two
// polling cycles (the values are the ones the requests have always used).
enum class Operazione : qint32 {
    Nessuna = 0,
    ScriviConfig = 7,     // record 3, the configuration pages
    ScriviRetta = 8,      // records 6 and 4, the calibration line and its pivots
    SalvaMappa = 9,       // every block into a map file
    CommutaStato = 12,    // the petrol/gas switch
    CaricaMappa = 18,     // a map or definition file into the ECU
    InviaEMemorizza = 19, // the prepared message, then store
    ScriviComandi = 27,   // record 2, the mode commands
};

// How an operation ended.
struct EsitoOperazione {
    Operazione operazione = Operazione::Nessuna;
    bool riuscita = true;
    // The cause of a failure was already told (its own message box).
    bool segnalata = false;
    // What to tell the user (a restore's text), empty when nothing.
    QString testo;
};

} // namespace gascal
