#include "ui/main/EsecutoreOperazioni.h"

#include "interp/ModoInterpolazione.h"

#include "app/Contesto.h"
#include "app/FileSistema.h"
#include "app/ServiziUi.h"
#include "ecu/SequenzeBlocchi.h"
#include "mapfile/Identita.h"
#include "mapfile/Mappa.h"
#include "ui/common/PaginaEditor.h"
#include "ui/main/BarraComandi.h"
#include "ui/main/FrmConfronto.h"
#include "ui/main/FrmWait.h"
#include "ui/main/MDIFrm.h"

namespace gascal {

void EsecutoreOperazioni::TitoloDaQuestaEcu()
{
    m_ctx.stato.SerieTitolo = Identita::NumeroSerie(m_ctx.TabMsg.value(Contesto::RecProduzione));
}

void EsecutoreOperazioni::ErroreOperazione(bool conIcona)
{
    m_ctx.ui.Messaggio(m_ctx.diz.Testo(1), m_ctx.Titolo(), ServiziUi::Pulsanti::Ok,
                       conIcona ? ServiziUi::Icona::Critica : ServiziUi::Icona::Nessuna);
}

bool EsecutoreOperazioni::CaricaMappa(bool &segnalato)
{
    StatoApp &s = m_ctx.stato;
    const QString percorso = s.FileDefinizioni;
    s.FileDefinizioni.clear();
    if (!FileExist(percorso)) {
        m_ctx.ui.Messaggio(m_ctx.diz.Testo(10), m_ctx.Titolo(), ServiziUi::Pulsanti::Ok,
                           ServiziUi::Icona::Critica);
        segnalato = true;
        return false;
    }
    // The load checks the file against the ECU, backs the ECU up, and undoes
    // a write that fails part-way; it tells the user itself why it failed.
    Mappa mappa(m_ctx);
    // A map file chosen by the user is compared with the ECU first; the
    // definition files of a reset are not (the fuel question came before).
    const Impostazioni &imp = m_ctx.imp;
    if (percorso != imp.FileDefGpl && percorso != imp.FileDefCng)
        mappa.ConfermaPrimaDiScrivere([this](const QString &file, const QList<ConfrontoMappe::Differenza> &d) {
            return FrmConfronto::Conferma(m_ctx, file, d, &m_frame);
        });
    if (!mappa.CaricaMappa(percorso)) {
        segnalato = mappa.ErroreSegnalato();
        return false;
    }
    s.ErroreComunicazione = 1;
    m_frame.Attesa()->StatoMessaggio = FrmWait::MappaScritta;
    s.FileDefOffline.clear();
    return true;
}

void EsecutoreOperazioni::EseguiRipristino()
{
    m_frame.Attesa()->MostraAttivita();
    bool riuscito = false;
    const QString testo = ModoInterpolazione::Ripristina(m_ctx, &riuscito);
    m_frame.AggiornaPaginaCorrente();
    m_frame.Attesa()->Aggiorna();
    m_ctx.ui.Messaggio(testo, m_ctx.Titolo(), ServiziUi::Pulsanti::Ok,
                       riuscito ? ServiziUi::Icona::Informazione : ServiziUi::Icona::Critica);
}

void EsecutoreOperazioni::EseguiOperazione()
{
    StatoApp &s = m_ctx.stato;
    m_frame.Attesa()->MostraAttivita();
    SequenzeBlocchi sequenze(m_ctx);
    switch (s.OperazioneRichiesta) {
    case 5:
        m_ctx.tx.Modo(1);
        break;
    case 6:
        m_ctx.tx.Modo(0);
        break;
    case 10:
        m_ctx.tx.Modo(2);
        break;
    case 7:
        if (!sequenze.ScriviBlk3())
            ErroreOperazione();
        break;
    case 8: {
        const bool ok = sequenze.ScriviMappe();
        m_frame.FrmRetta()->PlottaRetta(true);
        m_frame.FrmRetta()->Legenda();
        if (!ok)
            ErroreOperazione();
        break;
    }
    case 12:
        if (!sequenze.CommutaStato())
            ErroreOperazione();
        break;
    case 19:
        if (!sequenze.InviaEMemorizza(m_ctx.code.MessaggioDaInviare))
            ErroreOperazione(false);
        break;
    case 27: {
        const bool ok = sequenze.ScriviBlk2();
        m_frame.FrmConfig()->AggiornaSelezioni();
        if (!ok)
            ErroreOperazione();
        break;
    }
    case 9: {
        Mappa mappa(m_ctx);
        const bool ok = mappa.SalvaMappa(s.FileDefinizioni);
        s.FileDefinizioni.clear();
        if (ok) {
            m_frame.Attesa()->StatoMessaggio = FrmWait::MappaSalvata;
            TitoloDaQuestaEcu();
        }
        else if (!mappa.ErroreSegnalato()) // one message, with its true cause
            ErroreOperazione();
        m_frame.Comandi()->EsitoFile(ok);
        break;
    }
    case 18: {
        bool segnalato = false;
        const bool ok = CaricaMappa(segnalato);
        if (ok)
            TitoloDaQuestaEcu();
        if (!ok && !segnalato)
            ErroreOperazione();
        m_frame.Comandi()->EsitoFile(ok);
        break;
    }
    case 48:
        break;
    default:
        ErroreOperazione();
        break;
    }
    m_frame.AggiornaPaginaCorrente();
    s.OperazioneRichiesta = 0;
    m_frame.Attesa()->Aggiorna();
}

} // namespace gascal
