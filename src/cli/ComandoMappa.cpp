#include "Comandi.h"
#include "Console.h"
#include "SessioneCli.h"
#include "mapfile/Mappa.h"

namespace gascal::cli {

int ComandoSalvaMappa(SessioneCli &s, int timeoutSec, const QString &nome)
{
    const QString file = Mappa::ConEstensione(nome);
    if (!s.CercaEcu(timeoutSec, false))
        return 1;
    s.ctx.stato.StatoProgramma = StatoApp::Operazione;
    Mappa mappa(s.ctx);
    const bool ok = mappa.SalvaMappa(file);
    s.ctx.stato.StatoProgramma = StatoApp::Connesso;
    if (!ok) {
        // A failure the save told itself (the file) is not repeated.
        if (!mappa.ErroreSegnalato())
            Errore(QStringLiteral("the map could not be read from the ECU; %1 was not written").arg(file));
        return 1;
    }
    Stampa(QStringLiteral("map saved to %1").arg(file));
    return 0;
}

int ComandoCaricaMappa(SessioneCli &s, int timeoutSec, const QString &file)
{
    // A file that cannot be loaded is refused before the ECU is even searched.
    const QString motivo = Mappa::ControllaFile(file);
    if (!motivo.isEmpty()) {
        Errore(motivo);
        return 1;
    }
    if (!s.CercaEcu(timeoutSec, false))
        return 1;
    s.ctx.stato.StatoProgramma = StatoApp::Operazione;
    Mappa mappa(s.ctx);
    const bool ok = mappa.CaricaMappa(file);
    s.ctx.stato.StatoProgramma = StatoApp::Connesso;
    if (!ok) {
        if (!mappa.ErroreSegnalato())
            Errore(QStringLiteral("writing %1 into the ECU failed").arg(file));
        return 1;
    }
    Stampa(QStringLiteral("map %1 written to the ECU and stored (the ECU's earlier blocks are in %2)")
               .arg(file, mappa.FileBackup()));
    return 0;
}

} // namespace gascal::cli
