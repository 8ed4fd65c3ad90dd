#pragma once

#include <QVector>

namespace gascal {

// One live read: when (milliseconds on the session's clock), the live
// record's values and the fuel in use (value 1 of record 2).
struct CampioneLive {
    double Tempo_ms = 0;
    QVector<qint32> Valori;
    qint32 Carburante = 0;
};

} // namespace gascal
