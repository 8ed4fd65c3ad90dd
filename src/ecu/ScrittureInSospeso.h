#pragma once

#include "app/Operazione.h"

namespace gascal {

class Contesto;

// What waits to be written into the ECU: the two queues, the prepared line
// and message, and the pending operation.
namespace ScrittureInSospeso {

// Drops all of it, so that nothing chosen for an ECU that went away is ever
// written into the one that answers next. A pending map save stays (it only
// reads the ECU found), and so does a map load chosen in the bar (it is
// compared with the ECU found and asks before it writes); a reset to a
// definition file, written without that question, goes. Returns the
// operation dropped, Nessuna when none.
Operazione Scarta(Contesto &ctx);

} // namespace ScrittureInSospeso
} // namespace gascal
