#include "link/ImpostazioniLink.h"

#include <cmath>

namespace gascal {

qint64 ImpostazioniLink::AttesaEcuMs(bool lunga) const
{
    double ms = static_cast<double>(AttesaGlobale_usec) / 1000.0;
    if (lunga)
        ms *= static_cast<double>(MolAttesaGlobale);
    ms = std::nearbyint(ms);
    if (!(ms >= 0)) // also NaN
        return 0;
    return ms > MassimaAttesaEcuMs ? MassimaAttesaEcuMs + 1 : static_cast<qint64>(ms);
}

} // namespace gascal
