#pragma once

namespace gascal {

// Ctrl+C, SIGTERM and SIGHUP (a closed terminal) do not end the program at
// once: they are noted, and the program ends through its normal way out, so
// that whatever it changed in the ECU is put back first. A second signal of
// the same kind while that runs is noted again, never fatal.
namespace SegnaliUscita {

// Catches the three signals for the rest of the process.
void Installa();
// The signal received since the last Azzera (0: none).
int Ricevuto();
void Azzera();
// The signal's name for a message ("SIGTERM").
const char *Nome(int segnale);

} // namespace SegnaliUscita
} // namespace gascal
