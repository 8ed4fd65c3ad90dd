#pragma once

#include <functional>

// The program's clock and its waits, in microseconds.
namespace gascal {

// Microseconds from a monotonic high-resolution clock (the first call fixes
// the origin).
double TimerApi_uSec();

// Waits the given microseconds while the event loop keeps running: the user
// interface stays alive and the CPU sleeps until a timer or an event wakes it.
void AttesaUSec(double microsecondi);

// Sleeps, window events flowing, until `pronta` holds (tested after every
// batch of events) or the clock passes `fine_us`; true when `pronta` held.
bool AttendiCondizione(double fine_us, const std::function<bool()> &pronta);

} // namespace gascal
