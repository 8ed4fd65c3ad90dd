#pragma once

#include "app/Conversioni.h"

#include <QtGlobal>
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

} // namespace gascal
