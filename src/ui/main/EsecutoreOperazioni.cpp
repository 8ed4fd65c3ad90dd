#include "ui/main/EsecutoreOperazioni.h"

#include "app/Contesto.h"
#include "app/ServiziUi.h"
#include "ecu/OperazioniEcu.h"
#include "ui/common/PaginaEditor.h"
#include "ui/main/BarraComandi.h"
#include "ui/main/FrmConfronto.h"
#include "ui/main/FrmWait.h"
#include "ui/main/MDIFrm.h"

namespace gascal {

void EsecutoreOperazioni::ErroreOperazione(bool conIcona)
{
    m_ctx.ui.Messaggio(m_ctx.diz.Testo(1), m_ctx.Titolo(), ServiziUi::Pulsanti::Ok,
                       conIcona ? ServiziUi::Icona::Critica : ServiziUi::Icona::Nessuna);
}

void EsecutoreOperazioni::Prepara(OperazioniEcu &operazioni)
{
    operazioni.Conferma = [this](const QString &file, const QList<ConfrontoMappe::Differenza> &d) {
        return FrmConfronto::Conferma(m_ctx, file, d, &m_frame);
    };
}

void EsecutoreOperazioni::Inizio()
{
    m_frame.AbilitaFinestre(false);
    m_frame.Attesa()->MostraAttivita();
}

void EsecutoreOperazioni::Fine(const EsitoOperazione &esito)
{
    switch (esito.operazione) {
    case Operazione::Nessuna:
        // The restore of a journal: the pages show what the ECU holds, then
        // the message says how it went.
        m_frame.AggiornaPaginaCorrente();
        m_frame.Attesa()->Aggiorna();
        if (!esito.testo.isEmpty())
            m_ctx.ui.Messaggio(esito.testo, m_ctx.Titolo(), ServiziUi::Pulsanti::Ok,
                               esito.riuscita ? ServiziUi::Icona::Informazione : ServiziUi::Icona::Critica);
        m_frame.AbilitaFinestre(true);
        return;
    case Operazione::ScriviRetta:
        m_frame.FrmRetta()->PlottaRetta(true);
        m_frame.FrmRetta()->Legenda();
        break;
    case Operazione::ScriviComandi:
        m_frame.FrmConfig()->AggiornaSelezioni();
        break;
    case Operazione::SalvaMappa:
    case Operazione::CaricaMappa:
        if (esito.riuscita)
            m_frame.Attesa()->StatoMessaggio = esito.operazione == Operazione::SalvaMappa
                ? FrmWait::MappaSalvata : FrmWait::MappaScritta;
        break;
    default:
        break;
    }
    // One message, with its true cause: a failure already told is not told again.
    if (!esito.riuscita && !esito.segnalata)
        ErroreOperazione(esito.operazione != Operazione::InviaEMemorizza);
    if (esito.operazione == Operazione::SalvaMappa || esito.operazione == Operazione::CaricaMappa)
        m_frame.Comandi()->EsitoFile(esito.riuscita);
    m_frame.AggiornaPaginaCorrente();
    m_frame.Attesa()->Aggiorna();
    m_frame.AbilitaFinestre(true);
}

} // namespace gascal
