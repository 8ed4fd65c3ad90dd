#pragma once

#include <QTimer>

#include <functional>

class TimeSource;

// A timer on the simulator's time: a QTimer of the event loop, or, when the
// simulator is given a TimeSource, that source's. Repeating unless single
// shot; in both cases the action runs on the thread of the event loop.
class SimTimer
{
public:
    SimTimer(std::function<void()> onTimeout, TimeSource *source = nullptr);
    ~SimTimer();
    SimTimer(const SimTimer &) = delete;
    SimTimer &operator=(const SimTimer &) = delete;

    void setInterval(int ms);
    void setSingleShot(bool singleShot);
    // (Re)starts: the first timeout comes one interval from now.
    void start();
    void stop();
    bool isActive() const;

private:
    void arm();

    std::function<void()> m_onTimeout;
    TimeSource *m_source;
    QTimer m_timer;          // without a source
    int m_intervalMs = 0;
    bool m_singleShot = false;
    quint64 m_pending = 0;   // with a source: the armed call, 0 when stopped
};
