#pragma once

#include <QtGlobal>
#include <cmath>
#include <vector>

namespace gascal {

// A point of a sample curve: X is the petrol injection time (µs), Y the row
// quantity (32 x row).
struct Punto {
    qint32 X = 0;
    qint32 Y = 0;
    bool operator==(const Punto &altro) const = default;
};

using Curva = std::vector<Punto>;

// Real numbers become whole numbers to the nearest, halves to the even
// neighbour (the default rounding mode of the FPU).
inline qint64 ArrotondaPari(double x)
{
    return static_cast<qint64>(std::nearbyint(x));
}

} // namespace gascal
