#pragma once

#include <functional>

namespace gascal {

class Contesto;

// Interpolation mode of the ECU: while the road samples are taken the ECU
// reads the manifold pressure on its pressure input (sensor code 0) and its
// end-of-gas management is off; closing puts back what it had.
namespace ModoInterpolazione {

// Keeps the pressure-sensor code and the end-of-gas bit (CodiceMappaSalvato,
// FineGasSalvato), queues sensor code 0 with end-of-gas off, asks for
// operation 7 and marks the mode active; `apri` (the window) runs once the
// writes are queued and before the operation is asked for. True when
// end-of-gas was on (the technician is told it goes off for a while).
bool Entra(Contesto &ctx, const std::function<void()> &apri = {});

// Queues the kept sensor code and end-of-gas bit (a value never kept, -1, is
// not written), asks for operation 7 and ends the mode. Returns the text of
// the window's section to show: 3 when end-of-gas comes back on, else 2.
int Esci(Contesto &ctx);

} // namespace ModoInterpolazione

} // namespace gascal
