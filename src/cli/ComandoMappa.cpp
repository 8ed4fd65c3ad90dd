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
    const EsitoOperazione esito = s.ciclo.Operazioni().Esegui(Operazione::SalvaMappa, file);
    if (!esito.riuscita) {
        // A failure the save told itself (the file) is not repeated.
        if (!esito.segnalata)
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
    OperazioniEcu &operazioni = s.ciclo.Operazioni();
    const EsitoOperazione esito = operazioni.Esegui(Operazione::CaricaMappa, file);
    if (!esito.riuscita) {
        if (!esito.segnalata)
            Errore(QStringLiteral("writing %1 into the ECU failed").arg(file));
        return 1;
    }
    Stampa(QStringLiteral("map %1 written to the ECU and stored (the ECU's earlier blocks are in %2)")
               .arg(file, operazioni.FileBackup()));
    return 0;
}

} // namespace gascal::cli
