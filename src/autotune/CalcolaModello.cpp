#include "autotune/CalcolaModello.h"

#include "ui/line/ModelloRetta.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace gascal {

namespace {

constexpr int Punti = ModelloRetta::NumPunti;
// What one point of the line holds: a signed byte of steps.
constexpr qint32 PassiMinimi = -128, PassiMassimi = 127;
constexpr qint32 UsPerPunto = 255;
constexpr qint32 UsPerPasso = 64;

// Nearest whole number, halves to the even neighbour; nothing beyond 32 bits.
std::optional<qint64> Arrotonda(double v)
{
    const double r = std::nearbyint(v);
    if (!std::isfinite(r) || r < std::numeric_limits<qint32>::min() || r > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint64>(r);
}

} // namespace

std::optional<RettaModello> CalcolaModello(const ProfiloTaratura::Modello &modello, qint32 correzione,
                                           qint32 tempoMinimo)
{
    const qint32 *x = &modello[ProfiloTaratura::InizioPivot];
    const qint32 *b = &modello[ProfiloTaratura::InizioOffset];
    const qint32 *a = &modello[ProfiloTaratura::InizioPendenze];
    std::array<qint32, ModelloRetta::NumPivot> pivot{};
    std::copy(x, x + pivot.size(), pivot.begin());
    if (!ModelloRetta::PivotAccettabili(pivot))
        return std::nullopt;
    const qint32 n = tempoMinimo / UsPerPunto;   // truncated toward zero
    if (n < 0 || n >= Punti)
        return std::nullopt;

    std::array<qint64, Punti> m{};
    for (int k = 0; k < 9; ++k) {
        const qint64 prodotto = static_cast<qint64>(a[k]) * correzione;   // whole number first
        const auto v = Arrotonda(static_cast<double>(prodotto) / 1000.0 + b[k]);
        if (!v)
            return std::nullopt;
        m[x[k]] = *v;
    }
    for (int k = 1; k < 9; ++k) {
        const float s = static_cast<float>(m[x[k]] - m[x[k - 1]]) / static_cast<float>(x[k] - x[k - 1]);
        for (qint32 j = x[k - 1] + 1; j < x[k]; ++j) {
            const auto v = Arrotonda(s * static_cast<float>(j - x[k - 1]) + static_cast<float>(m[x[k - 1]]));
            if (!v)
                return std::nullopt;
            m[j] = *v;
        }
    }
    const qint64 d = m[n] - correzione;
    RettaModello r;
    for (int j = 0; j < Punti; ++j) {
        const auto v = Arrotonda(static_cast<double>(m[j] - d) / UsPerPasso);
        if (!v || *v < PassiMinimi || *v > PassiMassimi)
            return std::nullopt;   // the point could not hold it: never clamp a line quietly
        r.Retta[j] = static_cast<qint32>(*v);
    }
    std::copy(x, x + 9, r.Pivot.begin());
    return r;
}

} // namespace gascal
