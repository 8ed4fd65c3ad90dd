#pragma once

#include <QString>

#include <functional>

namespace gascal {

class Contesto;

// Interpolation mode of the ECU: while the road samples are taken the ECU
// reads the manifold pressure on its pressure input (sensor code 0) and its
// end-of-gas management is off; closing puts back what it had.
namespace ModoInterpolazione {

// Records the pressure-sensor code and the end-of-gas bit in the ECU's
// restore journal (and in CodiceMappaSalvato, FineGasSalvato), queues sensor
// code 0 with end-of-gas off, asks for operation 7 and marks the mode
// active; `apri` (the window) runs once the writes are queued and before the
// operation is asked for. False, with the reason told, when the journal
// could not be written: then nothing is queued.
bool Entra(Contesto &ctx, const std::function<void()> &apri = {});

// Ends the mode and asks for the restore, which runs as soon as the ECU
// answers. Returns the text of the window's section that tells it: 3 when
// end-of-gas comes back on, else 2.
int Esci(Contesto &ctx);

// Puts the journal back now (the frame's restore, the tool). The text to
// show: the window's closing text once the ECU holds its settings again, or
// what could not be put back (the journal then stays, and the restore is
// asked for again).
QString Ripristina(Contesto &ctx, bool *riuscito = nullptr);

} // namespace ModoInterpolazione

} // namespace gascal
