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

// The fuel in use (value 1 of the commands record: 3 is gas) and the gas
// valve (bit 1 of the live status), as words.
QString Carburante(const Contesto &ctx)
{
    return ctx.Valore(Contesto::RecComandi, 1) == 3 ? QStringLiteral("gas") : QStringLiteral("petrol");
}

QString Valvola(const Contesto &ctx)
{
    return (ctx.Valore(Contesto::RecLive, 6) & 2) != 0 ? QStringLiteral("open") : QStringLiteral("closed");
}

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
    colonne << ColonnaCarburante << QStringLiteral("fuel") << QStringLiteral("valve");
    return colonne.join(QLatin1Char(','));
}

QString Riga(const Contesto &ctx, double tempo_ms)
{
    QStringList campi{QString::number(std::llround(tempo_ms))};
    for (qint32 v : ctx.TabMsg.at(Contesto::RecLive).Valori)
        campi << QString::number(v);
    campi << QString::number(ctx.Valore(Contesto::RecComandi, 1)) << Carburante(ctx) << Valvola(ctx);
    return campi.join(QLatin1Char(','));
}

} // namespace gascal::FormatoLive
