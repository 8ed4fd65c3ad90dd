#include "Comandi.h"
#include "Console.h"
#include "SessioneCli.h"
#include "app/Orologio.h"
#include "ecu/SequenzeBlocchi.h"

#include <QStringList>
#include <cmath>

namespace gascal::cli {

namespace {

constexpr double Periodo_usec = 100000;

// The live record's values in the ECU's order, with their units.
const char *const NomiLive[] = {
    "gas_injection_us",  "petrol_injection_us", "max_gas_injection_us", "gas_correction_us",
    "engine_speed_rpm",  "gas_pressure_mbar",   "status_bits",          "level",
    "level_unfiltered",  "gas_temperature_c",   "leds_bits",            "working_point",
    "battery_mv",        "manifold_pressure_mbar"};
constexpr int NumeroNomi = sizeof(NomiLive) / sizeof(NomiLive[0]);

// The commands record is read on every sixth row, as the frame polls it.
constexpr int RigheLente = 6;

QString Intestazione(qsizetype valori)
{
    QStringList colonne{QStringLiteral("time_ms")};
    for (qsizetype k = 0; k < valori; ++k)
        colonne << (k < NumeroNomi ? QString::fromLatin1(NomiLive[k])
                                   : QStringLiteral("value_%1").arg(k));
    colonne << QStringLiteral("fuel") << QStringLiteral("valve");
    return colonne.join(QLatin1Char(','));
}

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

int ComandoLive(SessioneCli &s, int timeoutSec, int righe)
{
    if (!s.CercaEcu(timeoutSec, true))
        return 1;
    Contesto &ctx = s.ctx;
    SequenzeBlocchi sequenze(ctx);
    const MsgRecord &live = ctx.TabMsg.at(Contesto::RecLive);
    Stampa(Intestazione(live.NumeroVariabili()));

    const double inizio = TimerApi_uSec();
    for (int n = 0; righe < 1 || n < righe; ++n) {
        // Polls on a fixed grid, so that a slow answer does not shift the rest.
        const double prossimo = inizio + n * Periodo_usec;
        const double attesa = prossimo - TimerApi_uSec();
        if (attesa > 0)
            AttesaUSec(attesa);
        const double istante = TimerApi_uSec();
        if (sequenze.LeggiRecord(Contesto::RecLive, true) != 0
            || (n % RigheLente == 0 && sequenze.LeggiRecord(Contesto::RecComandi, true) != 0)) {
            Errore(QStringLiteral("reading the live data failed"));
            return 1;
        }
        QStringList campi{QString::number(std::llround((istante - inizio) / 1000.0))};
        for (qint32 v : live.Valori)
            campi << QString::number(v);
        campi << Carburante(ctx) << Valvola(ctx);
        Stampa(campi.join(QLatin1Char(',')));
    }
    return 0;
}

} // namespace gascal::cli
