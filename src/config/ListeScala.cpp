#include "config/ListeScala.h"

#include "app/Conversioni.h"

#include <algorithm>
#include <cmath>

namespace gascal::ListeScala {

QStringList VociCombo(const QString &riga, bool milli, const QString &sep, QStringList *scartate)
{
    const QStringList pezzi = riga.split(QLatin1Char('|'));
    if (!milli)
        return pezzi;
    QStringList voci;
    for (const QString &pezzo : pezzi) {
        // The scale configuration writes its numbers in the C format.
        const auto valore = Conversioni::Numero(pezzo, QStringLiteral("."));
        if (!valore) {
            if (scartate)
                scartate->append(pezzo);
            continue;
        }
        voci.append(Conversioni::TestoMilli(Conversioni::Arrotonda(*valore), sep));
    }
    return voci;
}

std::optional<QString> RigaDopoChiave(const QStringList &righe, const QString &chiave,
                                      bool *sulUltimaRiga)
{
    if (sulUltimaRiga)
        *sulUltimaRiga = false;
    const qsizetype i = righe.lastIndexOf(chiave);
    if (i < 0)
        return std::nullopt;
    if (i + 1 >= righe.size()) {
        if (sulUltimaRiga)
            *sulUltimaRiga = true;
        return std::nullopt;
    }
    return righe.at(i + 1);
}

int PrimaVoce(const QStringList &voci, int da, const QString &sep,
              const std::function<bool(double)> &condizione)
{
    for (int i = std::max(da, 0); i < voci.size(); ++i) {
        const auto valore = Conversioni::Numero(voci.at(i), sep);
        if (valore && condizione(*valore))
            return i;
    }
    return -1;
}

bool AlmenoUguale(double a, double b)
{
    return a >= b - 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

} // namespace gascal::ListeScala
