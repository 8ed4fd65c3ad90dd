#include "app/CicloProgramma.h"

#include "app/Contesto.h"
#include "app/VistaCiclo.h"
#include "ecu/ScrittureInSospeso.h"
#include "mapfile/Identita.h"
#include "mapfile/RicercaEcu.h"

namespace gascal {

CicloProgramma::CicloProgramma(Contesto &ctx, VistaCiclo &vista)
    : m_ctx(ctx), m_vista(vista), m_operazioni(ctx), m_ritmo(ctx)
{
}

void CicloProgramma::ScartaScritture()
{
    const gascal::Operazione scartata = ScrittureInSospeso::Scarta(m_ctx);
    m_vista.ScrittureScartate(scartata);
}

bool CicloProgramma::Ricerca(int limiteMs)
{
    StatoApp &s = m_ctx.stato;
    // What was chosen for the ECU that went away is not for the one that
    // answers next.
    ScartaScritture();
    s.StatoProgramma = StatoApp::Ricerca;
    m_vista.InizioRicerca();
    RicercaEcu ricerca(m_ctx);
    bool scaduta = false;
    if (limiteMs > 0)
        scaduta = ricerca.CercaEntro(limiteMs);
    else
        ricerca.CercaCentralina();
    // Nor what came up while searching (a held line edit that ended).
    ScartaScritture();
    return scaduta;
}

void CicloProgramma::VerificaFirmware()
{
    RicercaEcu(m_ctx).VerificaFirmware(m_ctx.imp.FirmwareAtteso,
                                       m_ctx.TabMsg.value(Contesto::RecIdentita).Immagine);
}

QString CicloProgramma::RipristinoPendente()
{
    return m_ctx.ripristino.RipristinaPendente();
}

void CicloProgramma::Esegui(const std::function<EsitoOperazione()> &lavoro)
{
    m_vista.InizioOperazione();
    const EsitoOperazione esito = lavoro();
    m_vista.FineOperazione(esito);
}

void CicloProgramma::Passo()
{
    StatoApp &s = m_ctx.stato;
    if (s.ErroreComunicazione == 1) {
        Ricerca();
        const bool titoloCambiato = s.StatoProgramma == StatoApp::Connesso
            && s.EcuTrovata(Identita::NumeroSerie(m_ctx.TabMsg.value(Contesto::RecProduzione)));
        // A search that the user stopped or that ends the program found nothing to check.
        if (s.LavoroOffline != 1 && s.UscitaRichiesta != 1)
            VerificaFirmware();
        m_vista.FineRicerca(titoloCambiato);
        if (s.StatoProgramma == StatoApp::Connesso) {
            const QString testo = RipristinoPendente();
            if (!testo.isEmpty())
                m_vista.RipristinoAllaConnessione(testo);
        }
    } else if (s.AutotuningRichiesto == 1) {
        s.AutotuningRichiesto = 0;
        s.StatoProgramma = StatoApp::Autotuning;
    } else if (s.LavoroOffline == 1) {
        s.LavoroOffline = 0;
        s.StatoProgramma = StatoApp::Offline;
        m_vista.InizioOffline();
    } else if (s.UscitaRichiesta == 1) {
        // What the program changed in the ECU goes back before the program ends.
        m_vista.PrimaDellaChiusura();
        if (s.RipristinoRichiesto == 1 && s.StatoProgramma == StatoApp::Connesso)
            Esegui([this] { return m_operazioni.Ripristina(); });
        s.StatoProgramma = StatoApp::Chiusura;
        m_vista.Chiusura();
    }

    switch (s.StatoProgramma) {
    case StatoApp::Connesso:
        m_vista.Collegato();
        if (s.RipristinoRichiesto == 1)
            Esegui([this] { return m_operazioni.Ripristina(); });
        else if (s.OperazioneInAttesa())
            Esegui([this] { return m_operazioni.EseguiRichiesta(); });
        else if (m_ritmo.Leggi())
            m_vista.Lettura();
        break;
    case StatoApp::Autotuning:
        if (!m_vista.PassoTaratura())
            s.StatoProgramma = StatoApp::Connesso;
        break;
    case StatoApp::Offline:
        m_vista.PassoOffline();
        break;
    default:
        break;
    }
}

} // namespace gascal
