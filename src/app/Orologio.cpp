#include "app/Orologio.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cmath>

namespace gascal {

double TimerApi_uSec()
{
    static QElapsedTimer orologio;
    if (!orologio.isValid())
        orologio.start();
    return static_cast<double>(orologio.nsecsElapsed()) / 1000.0;
}

void AttesaUSec(double microsecondi)
{
    const double fine = TimerApi_uSec() + microsecondi;
    QCoreApplication::processEvents();
    for (;;) {
        const double restano = fine - TimerApi_uSec();
        if (restano < 0)
            return;
        // A local loop woken by a precise timer: no polling, no spinning.
        QEventLoop ciclo;
        QTimer sveglia;
        sveglia.setSingleShot(true);
        sveglia.setTimerType(Qt::PreciseTimer);
        QObject::connect(&sveglia, &QTimer::timeout, &ciclo, &QEventLoop::quit);
        sveglia.start(static_cast<int>(std::ceil(restano / 1000.0)));
        ciclo.exec();
    }
}

} // namespace gascal
