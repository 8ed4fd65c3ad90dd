#pragma once

#include "app/Orologio.h"

#include <QElapsedTimer>

namespace gascal {

// The system's monotonic clock; its waits sleep in the event dispatcher
// until data, a window event or the deadline's timer wakes them.
class OrologioReale : public Orologio
{
public:
    // The origin is the moment of construction.
    OrologioReale() { m_origine.start(); }

    double Ora_us() const override;
    bool Attendi(double fine_us, const std::function<bool()> &pronta) override;

private:
    QElapsedTimer m_origine;
};

} // namespace gascal
