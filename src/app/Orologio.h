#pragma once

// The program's clock and its waits, in microseconds.
namespace gascal {

// Microseconds from a monotonic high-resolution clock (the first call fixes
// the origin).
double TimerApi_uSec();

// Waits the given microseconds while the event loop keeps running: the user
// interface stays alive and the CPU sleeps until a timer or an event wakes it.
void AttesaUSec(double microsecondi);

} // namespace gascal
