#pragma once

#include "autotune/ProfiloTaratura.h"

#include <array>
#include <optional>

namespace gascal {

// The calibration line rebuilt from a model table: nine pivots and 56 point
// corrections in steps of 64 us.
struct RettaModello {
    std::array<qint32, 9> Pivot{};
    std::array<qint32, 56> Retta{};
};

// The model's line for the accepted gas correction `correzione` (us) and the
// idle petrol time `tempoMinimo` (us): the pivots get a[k] x P / 1000 + b[k],
// the points between are straight, and the whole line is shifted so that the
// idle point (tempoMinimo / 255) holds the correction itself. Nothing when
// the pivots break the line's pivot rule (ModelloRetta::PivotAccettabili),
// the idle point lies outside the line, a value overflows or a point would
// fall outside the -128..127 steps it holds ("Error 011 - Error during
// compute model" is the caller's message).
std::optional<RettaModello> CalcolaModello(const ProfiloTaratura::Modello &modello, qint32 correzione,
                                           qint32 tempoMinimo);

inline QString TestoErroreModello() { return QStringLiteral("Error 011 - Error during compute model"); }

} // namespace gascal
