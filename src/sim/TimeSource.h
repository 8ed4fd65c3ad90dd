#pragma once

#include <QtGlobal>

#include <functional>

// Where the simulator's timers take their time from when it is not the
// event loop's: a virtual clock of a test that runs the ECU in its own
// process, which calls the actions as its time passes their moment.
class TimeSource
{
public:
    virtual ~TimeSource() = default;

    // Calls `action` once `ms` milliseconds from now have passed; the number
    // returned cancels it.
    virtual quint64 callAfter(int ms, std::function<void()> action) = 0;
    // Forgets an action that has not run yet.
    virtual void cancel(quint64 id) = 0;
};
