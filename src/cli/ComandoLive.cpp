#include "Comandi.h"
#include "Console.h"
#include "SessioneCli.h"
#include "app/Orologio.h"
#include "datalog/FormatoLive.h"
#include "datalog/RegistratoreCsv.h"


namespace gascal::cli {

namespace {

constexpr double Periodo_usec = 100000;

} // namespace

int ComandoLive(SessioneCli &s, int timeoutSec, int righe, const QString &uscita)
{
    if (!s.CercaEcu(timeoutSec, true))
        return 1;
    // --out: the same rows into a file, each flushed as it is written.
    RegistratoreCsv file;
    Contesto &ctx = s.ctx;
    // The program's polling pace: record 2 (the fuel in use) every sixth row.
    RitmoLettura &ritmo = s.ciclo.Ritmo();
    const MsgRecord &live = ctx.TabMsg.at(Contesto::RecLive);
    const QString intestazione = FormatoLive::Intestazione(live.NumeroVariabili());
    if (!uscita.isEmpty() && !file.Apri(uscita, intestazione)) {
        Errore(file.Errore());
        return 1;
    }
    Stampa(intestazione);

    const double inizio = TimerApi_uSec();
    for (int n = 0; righe < 1 || n < righe; ++n) {
        // Polls on a fixed grid, so that a slow answer does not shift the rest.
        const double prossimo = inizio + n * Periodo_usec;
        const double attesa = prossimo - TimerApi_uSec();
        if (attesa > 0)
            AttesaUSec(attesa);
        const double istante = TimerApi_uSec();
        if (!ritmo.Leggi() || ritmo.LentoFallito()) {
            Errore(QStringLiteral("reading the live data failed"));
            return 1;
        }
        const QString riga = FormatoLive::Riga(ctx, (istante - inizio) / 1000.0);
        Stampa(riga);
        if (!uscita.isEmpty() && !file.Scrivi(riga)) {
            Errore(file.Errore());
            return 1;
        }
    }
    return 0;
}

} // namespace gascal::cli
