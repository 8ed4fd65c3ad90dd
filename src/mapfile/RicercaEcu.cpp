#include "mapfile/RicercaEcu.h"

#include "app/Contesto.h"
#include "app/Orologio.h"
#include "app/ServiziUi.h"
#include "ecu/FileTesto.h"
#include "mapfile/Identita.h"

#include <QTimer>

namespace gascal {

namespace {

// PrjCom answers a missing port at once, and an ECU that answers the probe
// but refuses a read answers at once too: without a pause the search would be
// a loop as fast as the pipes. After each whole pass over the ports and probes
// (and after such a failed read) it sleeps this long, the user interface alive.
constexpr double PausaTraGiri_usec = 100000;

// Records read when the ECU answers: identity, live data, commands, configuration,
// block 5, production data and calibration map.
constexpr int RecordLetti = 7;

} // namespace

std::optional<int> RicercaEcu::PortaFissa(const QString &percorso)
{
    const QStringList righe = percorso.isEmpty() ? QStringList() : FileTesto::LeggiFileTesto(percorso);
    if (righe.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int porta = righe.first().trimmed().toInt(&ok);
    if (!ok || porta < 0 || porta > 255)
        return std::nullopt;
    return porta;
}

void RicercaEcu::CercaCentralina()
{
    StatoApp &stato = m_ctx.stato;
    const ImpostazioniLink &impLink = m_ctx.impLink;
    const qint64 attesa = impLink.AttesaPipe_usec;

    // A stop pressed between two searches (an ECU without firmware makes each
    // search end at once) is not cleared here: it ends this search too.
    const std::optional<int> fissa = PortaFissa(m_ctx.imp.FilePortCom);
    int porta = fissa.value_or(0);
    m_ctx.diagnosi.Azzera();
    m_ctx.link.InviaComando(2, QByteArray(1, '\0'), attesa);

    const QList<QByteArray> &sonde = impLink.ListaFirmware;
    qsizetype k = 0;
    QList<QByteArray> blocchi(RecordLetti);

    // Reads the seven records, each only while the earlier ones succeeded.
    auto leggiTutto = [&]() {
        if (m_ctx.TabMsg.size() < RecordLetti)
            return false;
        for (int n = 0; n < RecordLetti; ++n) {
            if (m_ctx.tx.Richiedi(m_ctx.TabMsg.at(n)) != 0)
                return false;
            blocchi[n] = m_ctx.tx.RispDati();
            // The identity is the answer less its header and its checksum.
            if (n == Contesto::RecIdentita)
                m_ctx.TabMsg[n].Immagine = blocchi.at(n).chopped(1).mid(5);
        }
        return true;
    };

    for (;;) {
        if (stato.LavoroOffline == 1 || stato.UscitaRichiesta == 1) {
            stato.ErroreComunicazione = 0;
            return;
        }
        m_ctx.link.InviaComando(10, sonde.value(k), attesa);
        QByteArray grezza;
        const int s = m_ctx.link.InviaComando(3, QByteArray(1, static_cast<char>(porta)), attesa,
                                              &grezza);

        // A boot loader without firmware echoes the probe.
        const QByteArray &prova = m_ctx.imp.MsgProva;
        if (!prova.isEmpty() && grezza.size() >= prova.size() && grezza.endsWith(prova)) {
            m_ctx.TabMsg[Contesto::RecIdentita].Immagine = prova;
            RegistraTentativo(RapportoPorta::Esito::SenzaFirmware);
            return;
        }

        const bool fermata = stato.LavoroOffline == 1 || stato.UscitaRichiesta == 1;
        if (!fermata && (s != 0 || m_ctx.link.RispByte4() != 1)) {
            if (s == 0)
                RegistraTentativo();
            if (k < sonde.size() - 1) {
                ++k;
                continue;
            }
            k = 0;
            if (!fissa)
                porta = (impLink.SoloUsb || porta >= m_ctx.imp.LimitePorte) ? 0 : porta + 1;
            if (fissa || porta == 0)
                AttesaUSec(PausaTraGiri_usec);
            continue;
        }
        if (fermata) {
            stato.ErroreComunicazione = 0;
            return;
        }
        if (leggiTutto())
            break;
        // The ECU answered the probe but not every read: try again, same port
        // and probe, after a pause.
        RegistraTentativo(RapportoPorta::Esito::LettureFallite);
        AttesaUSec(PausaTraGiri_usec);
    }

    for (int n = 1; n < RecordLetti; ++n) {
        m_ctx.TabMsg[n].Immagine = blocchi.at(n);
        m_ctx.Decodifica(n, blocchi.at(n));
    }
    // Where the ECU was found, for the frame's connection state.
    std::optional<RapportoPorta> collegata = m_ctx.tx.RapportoUltimaPorta();
    if (!collegata || collegata->porta != porta) {
        collegata = RapportoPorta{};
        collegata->porta = porta;
    }
    m_ctx.diagnosi.Collegata(*collegata);
    stato.StatoProgramma = StatoApp::Connesso;
    stato.CaricaDefAvvio = 0;
    stato.ErroreComunicazione = 0;
    if (m_ctx.AggiornaFinestre)
        m_ctx.AggiornaFinestre();
}

void RicercaEcu::RegistraTentativo(std::optional<RapportoPorta::Esito> esito)
{
    std::optional<RapportoPorta> rapporto = m_ctx.tx.RapportoUltimaPorta();
    if (!rapporto)
        return;
    if (esito)
        rapporto->esito = *esito;
    m_ctx.diagnosi.Registra(*rapporto);
}

bool RicercaEcu::CercaEntro(int millisecondi)
{
    StatoApp &stato = m_ctx.stato;
    stato.StatoProgramma = StatoApp::Ricerca; // time-outs of missing ports stay silent
    stato.ErroreComunicazione = 1;
    bool scaduto = false;
    QTimer limite;
    limite.setSingleShot(true);
    QObject::connect(&limite, &QTimer::timeout, [&] {
        scaduto = true;
        stato.LavoroOffline = 1;
    });
    limite.start(millisecondi);
    CercaCentralina();
    // The stop was the limit's own, not the user's.
    if (scaduto)
        stato.LavoroOffline = 0;
    return scaduto;
}

QString RicercaEcu::TestoNonProgrammata()
{
    return QStringLiteral("***ATTENZIONE: centralina non programmata!\r\n\r\n"
                          "*** Procedere con la riprogrammazione!");
}

void RicercaEcu::VerificaFirmware(const QByteArray &atteso, const QByteArray &trovato)
{
    using namespace Identita;
    StatoApp &stato = m_ctx.stato;
    // The same ECU without firmware is found again at every search: it is
    // reported once, while the update button still blinks for it.
    const bool giaSegnalata = stato.MarcatoreAggiornamento == QLatin1String("Lampeggia");
    stato.MarcatoreAggiornamento.clear();

    if (trovato == m_ctx.imp.MsgProva) {
        if (!giaSegnalata)
            m_ctx.ui.Messaggio(TestoNonProgrammata(), m_ctx.Titolo(), ServiziUi::Pulsanti::Ok,
                               ServiziUi::Icona::Nessuna);
        stato.MarcatoreAggiornamento = QStringLiteral("Lampeggia");
        return;
    }

    const int e1 = IdByte1(atteso), e2 = IdByte2(atteso);
    const int f1 = IdByte1(trovato), f2 = IdByte2(trovato);
    const bool almenoAtteso = e1 <= f1 && (e2 <= f2 || e1 != f1);
    if (almenoAtteso && (e1 != f1 || e2 != f2)) {
        // Firmware newer than this program: it must not write into that ECU.
        m_ctx.ui.Messaggio(m_ctx.diz.Testo(4) + QStringLiteral("\r\n") + m_ctx.diz.Testo(5),
                           m_ctx.Titolo(), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Critica);
        stato.UscitaRichiesta = 1;
    }
    // An older firmware is accepted without a word.
}

} // namespace gascal
