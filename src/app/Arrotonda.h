#pragma once

#include <QtGlobal>
#include <cmath>

namespace gascal {

// Computed real numbers become whole numbers by going to the nearest one,
// halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -0.5 -> 0).
inline qint64 ArrotondaPari(double valore)
{
    const double giu = std::floor(valore);
    const double resto = valore - giu;
    if (resto > 0.5)
        return static_cast<qint64>(giu) + 1;
    if (resto < 0.5)
        return static_cast<qint64>(giu);
    const auto intero = static_cast<qint64>(giu);
    return (intero % 2 == 0) ? intero : intero + 1;
}

} // namespace gascal
