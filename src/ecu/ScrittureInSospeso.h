#pragma once

namespace gascal {

class Contesto;

// What waits to be written into the ECU: the two queues, the prepared line
// and message, and the pending operation.
namespace ScrittureInSospeso {

// Drops all of it, so that nothing chosen for an ECU that went away is ever
// written into the one that answers next. With `tieniFile` a pending map
// save or load stays (a file the user chose in the bar while the ECU was
// searched for: the save reads the ECU found, the load compares with it and
// asks before it writes). Returns the operation dropped, 0 when none.
int Scarta(Contesto &ctx, bool tieniFile);

} // namespace ScrittureInSospeso
} // namespace gascal
