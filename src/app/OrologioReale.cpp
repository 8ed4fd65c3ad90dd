#include "app/OrologioReale.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace gascal {

double OrologioReale::Ora_us() const
{
    return static_cast<double>(m_origine.nsecsElapsed()) / 1000.0;
}

bool OrologioReale::Attendi(double fine_us, const std::function<bool()> &pronta)
{
    // One precise timer for the whole wait wakes the dispatcher at the
    // deadline; anything else that comes (data, window events) wakes it too.
    // No local QEventLoop: once the application has been told to quit, a new
    // loop's exec() returns at once without handling a single event, and the
    // wait would spin until the deadline while the data it waits for stays
    // unread.
    QTimer sveglia;
    sveglia.setSingleShot(true);
    sveglia.setTimerType(Qt::PreciseTimer);
    for (;;) {
        if (pronta && pronta())
            return true;
        const double restano = fine_us - Ora_us();
        if (restano < 0)
            return false;
        // Long waits go in steps of an hour: a timer takes an int of milliseconds.
        if (!sveglia.isActive())
            sveglia.start(static_cast<int>(std::min(std::ceil(restano / 1000.0), 3600000.0)));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

} // namespace gascal
