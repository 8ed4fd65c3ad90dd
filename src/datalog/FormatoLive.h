#pragma once

#include <QString>
#include <QStringList>

namespace gascal {

class Contesto;

// The one CSV layout of live data, shared by `gascal-cli live` and the
// datalog: the time in milliseconds, the live record's values in the ECU's
// order and units, then the fuel in use (value 1 of record 2, 3 = gas), the
// same as a word (`petrol`, `gas`) and the gas valve (`open`, `closed`).
namespace FormatoLive {

// Column names of the live record's values (value_K past the known ones).
QString NomeValore(qsizetype k);
// The header for a live record of `valori` values.
QString Intestazione(qsizetype valori);
// One row: the time, record 1's values and the fuel state as they are now.
QString Riga(const Contesto &ctx, double tempo_ms);

// The positions of the charted channels in the live record.
enum Posizione : int {
    PosTempoGas = 0,
    PosTempoBenzina = 1,
    PosGiri = 4,
    PosPressioneGas = 5,
    PosTemperaturaGas = 9,
    PosPressioneCollettore = 13,
};
inline const QString ColonnaTempo = QStringLiteral("time_ms");
inline const QString ColonnaCarburante = QStringLiteral("fuel_state");

} // namespace FormatoLive
} // namespace gascal
