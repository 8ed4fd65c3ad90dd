#include "app/Orologio.h"

#include "app/OrologioReale.h"

#include <QCoreApplication>

namespace gascal {

namespace {
Orologio *inUso = nullptr;
} // namespace

Orologio &Orologio::Corrente()
{
    if (inUso)
        return *inUso;
    // Made at the first use, which fixes its origin.
    static OrologioReale reale;
    return reale;
}

Orologio *Orologio::Imposta(Orologio *orologio)
{
    Orologio *prima = inUso;
    inUso = orologio;
    return prima;
}

double TimerApi_uSec()
{
    return Orologio::Corrente().Ora_us();
}

bool AttendiCondizione(double fine_us, const std::function<bool()> &pronta)
{
    return Orologio::Corrente().Attendi(fine_us, pronta);
}

void AttesaUSec(double microsecondi)
{
    const double fine = TimerApi_uSec() + microsecondi;
    QCoreApplication::processEvents();
    AttendiCondizione(fine, {});
}

} // namespace gascal
