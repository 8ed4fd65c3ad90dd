#pragma once

#include <functional>

// The program's clock and its waits, in microseconds.
namespace gascal {

// A clock: the time in microseconds and the wait that keeps the event loop
// running. One clock is in use in the process at a time: the real one
// (OrologioReale), unless a test puts one of its own in its place, whose
// time moves only when someone waits.
class Orologio
{
public:
    virtual ~Orologio() = default;

    // Microseconds from the clock's origin (monotonic).
    virtual double Ora_us() const = 0;
    // Until `pronta` holds (tested after every batch of events) or the clock
    // passes `fine_us`, events flowing; true when `pronta` held.
    virtual bool Attendi(double fine_us, const std::function<bool()> &pronta) = 0;

    // The clock in use.
    static Orologio &Corrente();
    // Puts `orologio` in use (nullptr: the real one again) and returns the
    // one it replaces, for the caller to put back.
    static Orologio *Imposta(Orologio *orologio);
};

// The clock in use, as the program has always called it.
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
