#pragma once

#include "interp/TabelleCampioni.h"

#include <QStringList>

// What the road-cycle tests share: ecusim drives its road cycle with steps
// of this length, and a fuel's table is filled when it has a curve's worth
// of rows.
namespace StradaComune {

constexpr double PassoSecondi = 2.5;
constexpr int PassiCiclo = 37; // 1 + 14 petrol points, 5 for the switch, 15 on gas, idle, margin
constexpr int SecondiCiclo = static_cast<int>(PassoSecondi * PassiCiclo) + 2;

inline int Righe(const gascal::TabelleCampioni::Tabella &t)
{
    int n = 0;
    for (qint32 v : t)
        n += v > 0;
    return n;
}

// The deflection line of `gascal-cli samples --in`: its non-zero values.
inline int PuntiProposti(const QString &uscita)
{
    for (const QString &riga : uscita.split(QLatin1Char('\n'))) {
        if (!riga.startsWith(QLatin1String("deflection ")))
            continue;
        int n = 0;
        for (const QString &v : riga.split(QLatin1Char(' ')).mid(1))
            n += v.toInt() != 0;
        return n;
    }
    return -1;
}

} // namespace StradaComune
