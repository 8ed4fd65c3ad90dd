#include "SimTimer.h"

#include "TimeSource.h"

SimTimer::SimTimer(std::function<void()> onTimeout, TimeSource *source)
    : m_onTimeout(std::move(onTimeout)), m_source(source)
{
    if (!m_source)
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { m_onTimeout(); });
}

SimTimer::~SimTimer()
{
    stop();
}

void SimTimer::setInterval(int ms)
{
    m_intervalMs = ms;
    m_timer.setInterval(ms);
}

void SimTimer::setSingleShot(bool singleShot)
{
    m_singleShot = singleShot;
    m_timer.setSingleShot(singleShot);
}

void SimTimer::start()
{
    if (!m_source) {
        m_timer.start();
        return;
    }
    stop();
    arm();
}

void SimTimer::stop()
{
    if (!m_source) {
        m_timer.stop();
        return;
    }
    if (m_pending != 0)
        m_source->cancel(m_pending);
    m_pending = 0;
}

bool SimTimer::isActive() const
{
    return m_source ? m_pending != 0 : m_timer.isActive();
}

void SimTimer::arm()
{
    // The next timeout is armed before the action runs, so that the action
    // may stop or restart the timer; the source calls at the moment due, so
    // the repeats keep their pace exactly.
    m_pending = m_source->callAfter(m_intervalMs, [this] {
        m_pending = 0;
        if (!m_singleShot)
            arm();
        m_onTimeout();
    });
}
