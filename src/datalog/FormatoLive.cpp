#include "FormatoLive.h"

#include "app/Contesto.h"

#include <cmath>

namespace gascal::FormatoLive {

namespace {

const char *const NomiLive[] = {
    "gas_injection_us",  "petrol_injection_us", "max_gas_injection_us", "gas_correction_us",
    "engine_speed_rpm",  "gas_pressure_mbar",   "status_bits",          "level",
    "level_unfiltered",  "gas_temperature_c",   "leds_bits",            "working_point",
    "battery_mv",        "manifold_pressure_mbar"};
constexpr qsizetype NumeroNomi = sizeof(NomiLive) / sizeof(NomiLive[0]);

} // namespace

QString NomeValore(qsizetype k)
{
    return k >= 0 && k < NumeroNomi ? QString::fromLatin1(NomiLive[k]) : QStringLiteral("value_%1").arg(k);
}

QString Intestazione(qsizetype valori)
{
    QStringList colonne{ColonnaTempo};
    for (qsizetype k = 0; k < valori; ++k)
        colonne << NomeValore(k);
    colonne << ColonnaCarburante;
    return colonne.join(QLatin1Char(','));
}

QString Riga(const Contesto &ctx, double tempo_ms)
{
    QStringList campi{QString::number(std::llround(tempo_ms))};
    for (qint32 v : ctx.TabMsg.at(Contesto::RecLive).Valori)
        campi << QString::number(v);
    campi << QString::number(ctx.Valore(Contesto::RecComandi, 1));
    return campi.join(QLatin1Char(','));
}

} // namespace gascal::FormatoLive
