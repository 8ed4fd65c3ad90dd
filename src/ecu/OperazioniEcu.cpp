#include "ecu/OperazioniEcu.h"

#include "app/Contesto.h"
#include "app/FileSistema.h"
#include "app/ServiziUi.h"
#include "ecu/SequenzeBlocchi.h"
#include "interp/ModoInterpolazione.h"
#include "mapfile/Identita.h"

namespace gascal {

OperazioneInCorso::OperazioneInCorso(Contesto &ctx) : m_ctx(ctx)
{
    m_ctx.stato.StatoProgramma = StatoApp::Operazione;
}

OperazioneInCorso::~OperazioneInCorso()
{
    if (m_ctx.stato.StatoProgramma == StatoApp::Operazione)
        m_ctx.stato.StatoProgramma = StatoApp::Connesso;
}

EsitoOperazione OperazioniEcu::EseguiRichiesta()
{
    const Operazione operazione = m_ctx.stato.OperazioneRichiesta;
    EsitoOperazione esito = Esegui(operazione);
    m_ctx.stato.OperazioneRichiesta = Operazione::Nessuna;
    return esito;
}

EsitoOperazione OperazioniEcu::Esegui(Operazione operazione, const QString &file)
{
    EsitoOperazione esito;
    esito.operazione = operazione;
    OperazioneInCorso inCorso(m_ctx);
    SequenzeBlocchi sequenze(m_ctx);
    StatoApp &s = m_ctx.stato;
    const QString percorso = file.isEmpty() ? s.FileDefinizioni : file;
    switch (operazione) {
    case Operazione::Nessuna:
        break;
    case Operazione::ScriviConfig:
        esito.riuscita = sequenze.ScriviBlk3();
        break;
    case Operazione::ScriviRetta:
        esito.riuscita = sequenze.ScriviMappe();
        break;
    case Operazione::CommutaStato:
        esito.riuscita = sequenze.CommutaStato();
        break;
    case Operazione::InviaEMemorizza:
        esito.riuscita = sequenze.InviaEMemorizza(m_ctx.code.MessaggioDaInviare);
        break;
    case Operazione::ScriviComandi:
        esito.riuscita = sequenze.ScriviBlk2();
        break;
    case Operazione::SalvaMappa:
        s.FileDefinizioni.clear();
        esito.riuscita = SalvaMappa(percorso, esito);
        break;
    case Operazione::CaricaMappa:
        s.FileDefinizioni.clear();
        esito.riuscita = CaricaMappa(percorso, esito);
        break;
    }
    // The map file named in the title now belongs to this ECU.
    if (esito.riuscita && (operazione == Operazione::SalvaMappa || operazione == Operazione::CaricaMappa))
        s.SerieTitolo = Identita::NumeroSerie(m_ctx.TabMsg.value(Contesto::RecProduzione));
    return esito;
}

bool OperazioniEcu::SalvaMappa(const QString &percorso, EsitoOperazione &esito)
{
    Mappa mappa(m_ctx);
    const bool ok = mappa.SalvaMappa(percorso);
    esito.segnalata = !ok && mappa.ErroreSegnalato();
    return ok;
}

bool OperazioniEcu::CaricaMappa(const QString &percorso, EsitoOperazione &esito)
{
    if (!FileExist(percorso)) {
        m_ctx.ui.Messaggio(m_ctx.diz.Testo(10), m_ctx.Titolo(), ServiziUi::Pulsanti::Ok,
                           ServiziUi::Icona::Critica);
        esito.segnalata = true;
        return false;
    }
    // The load checks the file against the ECU, backs the ECU up, and undoes
    // a write that fails part-way; it tells the user itself why it failed.
    Mappa mappa(m_ctx);
    const Impostazioni &imp = m_ctx.imp;
    if (Conferma && percorso != imp.FileDefGpl && percorso != imp.FileDefCng)
        mappa.ConfermaPrimaDiScrivere(Conferma);
    const bool ok = mappa.CaricaMappa(percorso);
    m_backup = mappa.FileBackup();
    if (!ok) {
        esito.segnalata = mappa.ErroreSegnalato();
        return false;
    }
    // The ECU is read again from the start, as after any new set-up.
    m_ctx.stato.ErroreComunicazione = 1;
    m_ctx.stato.FileDefOffline.clear();
    return true;
}

EsitoOperazione OperazioniEcu::Ripristina()
{
    EsitoOperazione esito;
    OperazioneInCorso inCorso(m_ctx);
    esito.testo = ModoInterpolazione::Ripristina(m_ctx, &esito.riuscita);
    return esito;
}

} // namespace gascal
