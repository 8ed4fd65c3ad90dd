#include "link/ImpostazioniLink.h"

#include <cmath>

namespace gascal {

qint64 ImpostazioniLink::AttesaEcuMs(bool lunga) const
{
    double ms = static_cast<double>(AttesaGlobale_usec) / 1000.0;
    if (lunga)
        ms *= static_cast<double>(MolAttesaGlobale);
    return static_cast<qint64>(std::nearbyint(ms));
}

} // namespace gascal
