#include "autotune/SequenzaTaratura.h"

#include "app/Contesto.h"
#include "app/Orologio.h"
#include "app/ServiziUi.h"
#include "app/TestoByte.h"
#include "autotune/CalcolaModello.h"
#include "autotune/ControlloProfilo.h"
#include "autotune/VistaTaratura.h"
#include "ecu/Blocco.h"
#include "ecu/SequenzeBlocchi.h"
#include "link/MessaggioEcu.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>

namespace gascal {

namespace {
constexpr double Ms = 1000.0;
constexpr double PassoStop = 50 * Ms;   // the longest wait between two looks at Stop
const QString CrLf = QStringLiteral("\r\n");
} // namespace

SequenzaTaratura::SequenzaTaratura(Contesto &ctx, VistaTaratura &vista, RettaTaratura &retta)
    : m_ctx(ctx), m_vista(vista), m_retta(retta)
{
    m_log.copia = [this](const QString &riga) { m_vista.RigaLog(riga); };
}

// ---- records, waits, texts -------------------------------------------------

qint32 SequenzaTaratura::V(int record, int k) const
{
    return m_ctx.Valore(record, k);
}

void SequenzaTaratura::Imposta(int record, int k, qint32 valore)
{
    if (m_ctx.EsisteValore(record, k))
        m_ctx.TabMsg[record].Valori[k] = valore;
}

bool SequenzaTaratura::Gira() const
{
    return V(Contesto::RecLive, 6) & 1;
}

qint32 SequenzaTaratura::Giri() const
{
    return V(Contesto::RecLive, 4);
}

bool SequenzaTaratura::RinfrescaRecord(int n)
{
    if (n < 0 || n >= m_ctx.TabMsg.size())
        return false;
    // Strict: a good reply from the ECU, then image and values.
    return m_ctx.tx.LeggiRecord(m_ctx.TabMsg[n], m_ctx.Ambiente(), true) == 0
        && m_ctx.link.RispByte4() == 1;
}

bool SequenzaTaratura::ScriviCopia(const MsgRecord &copia, quint8 servizio)
{
    const int stato = m_ctx.link.InviaComando(6, MessaggioEcu::Componi(servizio, Blocco::CodificaBlocco(copia)),
                                              m_ctx.impLink.AttesaPipe_usec);
    return stato == 0 && m_ctx.link.RispByte4() == 1;
}

bool SequenzaTaratura::ScriviRecord(int n, quint8 servizio, Test test)
{
    if (n < 0 || n >= m_ctx.TabMsg.size())
        return false;
    const int stato = m_ctx.link.InviaComando(
        6, MessaggioEcu::Componi(servizio, Blocco::CodificaBlocco(m_ctx.TabMsg[n])), m_ctx.impLink.AttesaPipe_usec);
    switch (test) {
    case Test::Stretto:
        return stato == 0 && m_ctx.link.RispByte4() == 1;
    case Test::Largo:
        return !(stato != 0 && m_ctx.link.RispByte4() == 1);
    case Test::Nessuno:
        return true;
    }
    return true;
}

bool SequenzaTaratura::Attendi(double microsecondi, bool interrompibile)
{
    const double fine = TimerApi_uSec() + microsecondi;
    for (;;) {
        if (interrompibile && StopTaratura)
            return false;
        const double restano = fine - TimerApi_uSec();
        if (restano <= 0)
            return true;
        AttesaUSec(std::min(restano, PassoStop));
    }
}

QString SequenzaTaratura::Testo(int k) const
{
    const qsizetype base = m_ctx.diz.Sezione(QStringLiteral("[Frm_AutoTuning]"));
    return base < 0 ? QString() : m_ctx.diz.Testo(base + k);
}

void SequenzaTaratura::Stato(const QString &testo)
{
    m_ultimoStato = testo;
    m_vista.MostraStato(testo);
}

QString SequenzaTaratura::TestoRipristinoSezione(int k, const QString &inglese) const
{
    return m_ctx.diz.TestoSezione(QStringLiteral("[Ripristino]"), k, inglese);
}

bool SequenzaTaratura::Scaduta(double inizio, double limite_usec)
{
    if (TimerApi_uSec() - inizio <= limite_usec)
        return false;
    QString attesa = m_ultimoStato;
    attesa.replace(CrLf, QStringLiteral(" "));
    m_attesaScaduta = attesa.simplified();
    return true;
}

qint32 SequenzaTaratura::ControlloModo() const
{
    // A reset or a power cut clears the ECU's state-request and tuning bits.
    return (V(Contesto::RecComandi, 2) & m_modoAtteso) != m_modoAtteso ? ModoPerso : Completato;
}

QString SequenzaTaratura::TestoRisultato(qint32 r) const
{
    switch (r) {
    case Completato: return Testo(14);
    case Fermato: return Testo(7);
    case GiriBassi:
    case MotoreFermo: return Testo(15);
    case Comunicazione: return Testo(12);
    case FuoriTolleranza: return Testo(13);
    case CambioCarburante: return Testo(16);
    case Modello: return TestoErroreModello();
    case ModoPerso:
        return TestoRipristinoSezione(10, QStringLiteral("The ECU left the tuning mode or the gas (reset or power cut): autotuning aborted."));
    case TempoScaduto:
        return TestoRipristinoSezione(11, QStringLiteral("Waited too long: %1")).arg(m_attesaScaduta);
    default: return QString();
    }
}

void SequenzaTaratura::Registra(const QString &riga)
{
    m_log.Riga(riga);
}

void SequenzaTaratura::RegistraDati(qint64 campioni, qint64 campione)
{
    m_log.Dati(TimerApi_uSec(), campioni, campione, TBenzMin, TBenzMax, TGasCil, Giri(), V(Contesto::RecComandi, 5));
}

QString SequenzaTaratura::Numero(double v) const
{
    QString t = QString::number(v, 'f', 2);
    if (m_ctx.imp.SepDecimale != QLatin1String("."))
        t.replace(QLatin1Char('.'), m_ctx.imp.SepDecimale);
    return t;
}

QString SequenzaTaratura::Millesimi(qint32 valore) const
{
    return Numero(valore / 1000.0);
}

QString SequenzaTaratura::TestoCorrezione() const
{
    return Testo(44) + CrLf + Millesimi(V(Contesto::RecComandi, 5));
}

qint32 SequenzaTaratura::Passo() const
{
    return m_retta.GetCorrUSec();
}

qint32 SequenzaTaratura::Quantizza(double corr, qint32 passo)
{
    return static_cast<qint32>(std::nearbyint(corr / passo)) * passo;
}

qint32 SequenzaTaratura::Correzione(qint32 tGas, qint32 riferimento, qint32 percento, qint32 massimo, qint32 passo)
{
    double corr = std::nearbyint(percento / 100.0 * (static_cast<double>(tGas) - riferimento));
    if (std::abs(corr) > massimo)
        corr = corr < 0 ? -massimo : massimo;
    return Quantizza(corr, passo);
}

bool SequenzaTaratura::VerificaGuardiaPiedistallo(qint32 &corr) const
{
    const qint32 piedistallo = V(Contesto::RecConfig, 16);
    const qint32 tempo = V(Contesto::RecLive, 1) + V(Contesto::RecLive, 3);
    if (V(Contesto::RecConfig, 6) > 0 && tempo + corr < piedistallo) {
        corr = Quantizza(static_cast<double>(piedistallo) - tempo, Passo());
        return false;
    }
    return true;
}

// ---- the window's buttons ---------------------------------------------------

bool SequenzaTaratura::Go()
{
    if (m_inCorso || m_ctx.stato.StatoProgramma == StatoApp::Offline)
        return false;
    if (const QString no = ControlloProfilo::Rifiuto(FileParaTun, m_ctx.ui, m_ctx.imp.SepDecimale); !no.isEmpty()) {
        m_ctx.ui.Messaggio(no, QStringLiteral("ParaTun.txt"), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Critica);
        return false;   // before any write
    }
    if (V(Contesto::RecComandi, 0) == 3 && V(Contesto::RecComandi, 1) == 0) {
        // On gas but not confirmed: the service bit through operation 27 first.
        m_ctx.code.ValoriDaScrivere2.Imposta(8, 2, 8);
        m_ctx.stato.RichiediOperazione(Operazione::ScriviComandi);
        AttesaUSec(500 * Ms);
    }
    m_ctx.stato.AutotuningRichiesto = 1;
    profilo.RpmMinimi = 200;
    StopTaratura = false;
    PassoTaratura = 0;
    profilo.TempTaratura = 50;
    return true;
}

bool SequenzaTaratura::Ferma()
{
    StopTaratura = true;
    return !m_inCorso && m_ctx.stato.StatoProgramma != StatoApp::Autotuning;
}

void SequenzaTaratura::Accetta(int selezionata)
{
    if (SelAlimentazione == -2 || SelIniettore == -2)
        Scegli(selezionata);
    AccettaTaratura = true;
}

void SequenzaTaratura::Scegli(int indice)
{
    if (indice < 0)
        return;
    if (SelAlimentazione == -2)
        SelAlimentazione = indice > 0 ? 8 : 0;
    else if (SelIniettore == -2)
        SelIniettore = indice;
    m_vista.AbilitaAccept(false);
}

// ---- the driver ---------------------------------------------------------------

void SequenzaTaratura::TaraturaAvvio()
{
    m_inCorso = true;
    m_rettaScritta = false;
    m_modoAtteso = 0;
    m_attesaScaduta.clear();
    m_testoRipristino.clear();
    m_ripristinoMancato = false;
    const bool logOk = m_log.Apri(FileSatoTun);
    Q_UNUSED(logOk);   // without a log the run goes on; the lines still reach the view
    Registra(Didascalia + QStringLiteral(" - ")
             + QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")));
    Registra(QStringLiteral("TEMP - ") + QString::number(V(Contesto::RecLive, 9)));

    qint32 r = 0;
    // The steps in order; a switch rather than a table of member pointers,
    // whose indexed call GCC's bounds sanitizer misreads.
    for (int k = 1; k <= 6 && r == 0; ++k) {
        PassoTaratura = k;
        m_vista.Passo(k);
        switch (k) {
        case 1: PreparaTaratura(r); break;
        case 2: ConfiguraTaratura(r); break;
        case 3: CampionaMinimo(r); break;
        case 4: CampionaMassimo(r); break;
        case 5: TaraIniettori(r); break;
        default: TaraMinimo(r); break;
        }
    }
    m_modoAtteso = 0;
    if (r == 0) {
        // The run is what the user accepted: nothing is put back. A link
        // lost after this does not undo it; the frame searches again.
        m_ctx.ripristino.Chiudi();
        m_retta.PlottaRetta();
    }

    m_log.Chiudi();
    m_vista.LampeggioInTaratura(true);
    if (r == Fermato)
        Stato(Testo(7));
    Ripristina(r);
    Rapporto(r);

    const bool linkOk = m_ctx.link.RispByte4() == 1;
    if (linkOk)
        m_ctx.link.InviaComando(4, QByteArray(1, '\0'), m_ctx.impLink.AttesaPipe_usec);
    m_vista.ViualizzaLblTempi(false);
    m_vista.ListaVisibile(false);
    // "On petrol at idle: press Start" only when the ECU really is back.
    Stato(m_ripristinoMancato ? m_testoRipristino : Testo(4));
    m_vista.FineTaratura();
    if (!linkOk)
        m_ctx.stato.ErroreComunicazione = 1;
    m_ctx.stato.StatoProgramma = StatoApp::Connesso;
    m_ultimo = r;
    m_inCorso = false;
}

void SequenzaTaratura::Ripristina(qint32 r)
{
    // Everything the run changed goes back from its journal, whatever ended
    // it: the fuel and the tuning bits first, then the configuration, the
    // line and its pivots; each block is read back before the journal goes.
    RipristinoEcu &ripristino = m_ctx.ripristino;
    if (r == 0 || !ripristino.Aperto())
        return;
    Attendi(750 * Ms, false);
    const RipristinoEcu::Esito e = ripristino.Ripristina();
    m_testoRipristino = ripristino.Testo(e);
    m_ripristinoMancato = !e.completo;
    if (!e.completo) {
        // The next connection to this ECU tries again.
        ripristino.Rilascia();
        m_ctx.stato.ErroreComunicazione = 1;
    }
}

void SequenzaTaratura::Rapporto(qint32 r)
{
    if (!m_vista.AttendeConferma())
        return;
    if (r != Completato && r != Fermato) {
        QString dettaglio = TestoRisultato(r);
        if (!m_testoRipristino.isEmpty())
            dettaglio += CrLf + m_testoRipristino;
        Stato(dettaglio + CrLf + CrLf + Testo(17));
        // The user acknowledges a failure with Stop.
        while (!StopTaratura) {
            m_vista.LampeggioInTaratura(false);
            AttesaUSec(20 * Ms);
        }
        m_vista.LampeggioInTaratura(true);
    } else if (r == Fermato) {
        Stato(m_testoRipristino.isEmpty() ? Testo(7) : Testo(7) + CrLf + m_testoRipristino);
        for (int i = 0; i < 10; ++i) {
            m_vista.StatoVisibile(i % 2 == 1);
            AttesaUSec(250 * Ms);
        }
        m_vista.StatoVisibile(true);
    }
}

// ---- the lists of choices --------------------------------------------------------

QStringList SequenzaTaratura::VociAlimentazione() const
{
    // The first two entries of the injector page's fuel list.
    return {m_ctx.diz.TestoSezione(QStringLiteral("[Frm_Congif_2]"), 6),
            m_ctx.diz.TestoSezione(QStringLiteral("[Frm_Congif_2]"), 7)};
}

QStringList SequenzaTaratura::VociIniettore() const
{
    // The injector page's family list: every name of the injector table.
    QStringList voci;
    for (const TipoIniettore &t : m_ctx.scale.TabIniettori)
        voci.append(t.Nome);
    return voci;
}

void SequenzaTaratura::CaricaSelezioneAlimentazione()
{
    m_vista.CaricaLista(VociAlimentazione());
    SelAlimentazione = -2;
    m_vista.AbilitaAccept(true);
}

void SequenzaTaratura::CaricaSelezioneIniettore()
{
    m_vista.CaricaLista(VociIniettore());
    if (m_ctx.scale.TabIniettori.size() > 1) {
        SelIniettore = -2;
        m_vista.AbilitaAccept(true);
    } else {
        SelIniettore = 0;
    }
}

// ---- step 1 -------------------------------------------------------------------

qint32 SequenzaTaratura::ContaGiri()
{
    if (Giri() != 0 && Giri() >= profilo.RpmMinimi) {
        ContaGiriBassi = 10;
        return 0;
    }
    if (ContaGiriBassi < 0)
        return GiriBassi;
    --ContaGiriBassi;
    return 0;
}

void SequenzaTaratura::PreparaTaratura(qint32 &r)
{
    Stato(Testo(18));
    CopiaRecord2.Richiesta.clear();
    CopiaRecord3.Richiesta.clear();
    profilo.CaricaProfiloTaratura(FileParaTun, false, m_ctx.ui, m_ctx.imp.SepDecimale);
    const auto aRegime = [this] { return Gira() && Giri() >= profilo.RpmMinimi; };
    const auto rinfresca = [this] {
        return RinfrescaRecord(Contesto::RecLive) && RinfrescaRecord(Contesto::RecComandi);
    };

    // A: on gas without confirmation: wait for the switch to be put on petrol.
    while (V(Contesto::RecComandi, 0) == 3 && V(Contesto::RecComandi, 1) == 0) {
        Stato(Testo(16));
        m_vista.LampeggioInTaratura(false);
        Attendi(50 * Ms);
        if (StopTaratura) { r = Fermato; return; }
        if (!rinfresca()) { r = Comunicazione; return; }
        if (!aRegime())
            Stato(Testo(3));
        Attendi(50 * Ms);
    }

    // B: back to petrol, engine running.
    Stato(Testo(18));
    m_vista.LampeggioInTaratura(true);
    double inizio = TimerApi_uSec();
    for (;;) {
        if (Scaduta(inizio, AttesaMotore_usec)) { r = TempoScaduto; return; }
        Attendi(50 * Ms);
        if (V(Contesto::RecComandi, 0) == 3) {
            if (!SequenzeBlocchi(m_ctx).CommutaStato()) { r = Comunicazione; return; }
            Attendi(2000 * Ms);
        }
        Attendi(50 * Ms);
        if (StopTaratura) { r = Fermato; return; }
        if (!rinfresca()) { r = Comunicazione; return; }
        if (aRegime()) {
            if (V(Contesto::RecComandi, 1) != 3)
                break;
        } else {
            Stato(Testo(3));
        }
    }

    // C: the fuel.
    Stato(Testo(10));
    ContaGiriBassi = 10;
    CaricaSelezioneAlimentazione();
    m_vista.ListaVisibile(true);
    while (SelAlimentazione < 0) {
        if (StopTaratura) { r = Fermato; return; }
        if (!rinfresca()) { r = Comunicazione; return; }
        if (!Gira()) { r = MotoreFermo; return; }
        if ((r = ContaGiri()) != 0) return;
        Attendi(100 * Ms);
    }
    m_vista.ListaVisibile(false);
    profilo.CaricaProfiloTaratura(FileParaTun, SelAlimentazione >= 1, m_ctx.ui, m_ctx.imp.SepDecimale);

    // D: the temperature.
    inizio = TimerApi_uSec();
    for (;;) {
        if (Scaduta(inizio, AttesaMotore_usec)) { r = TempoScaduto; return; }
        if (StopTaratura) { r = Fermato; return; }
        if (!rinfresca()) { r = Comunicazione; return; }
        if (aRegime()) {
            if (V(Contesto::RecLive, 9) >= profilo.TempTaratura)
                break;
            Stato(Testo(6) + QStringLiteral(" (< ") + QString::number(profilo.TempTaratura) + QStringLiteral(")"));
        } else {
            Stato(Testo(3));
        }
        Attendi(50 * Ms);
    }

    // E: the injector type.
    Stato(Testo(9));
    ContaGiriBassi = 10;
    CaricaSelezioneIniettore();
    while (SelIniettore <= -1) {
        if (StopTaratura) { r = Fermato; return; }
        if (!rinfresca()) { r = Comunicazione; return; }
        if (!Gira()) { r = MotoreFermo; return; }
        if ((r = ContaGiri()) != 0) return;
        Attendi(100 * Ms);
        m_vista.ListaVisibile(true);
    }
    m_vista.ListaVisibile(false);
    r = Completato;
}

// ---- step 2 -------------------------------------------------------------------

void SequenzaTaratura::ConfiguraTaratura(qint32 &r)
{
    r = Comunicazione;
    Stato(Testo(18));
    const int stato = m_ctx.link.InviaComando(4, QByteArray(1, '\2'), m_ctx.impLink.AttesaPipe_usec);
    if (stato != 0 && m_ctx.link.RispByte4() == 1)
        return;
    if (!RinfrescaRecord(Contesto::RecComandi))
        return;
    CopiaRecord2 = m_ctx.TabMsg[Contesto::RecComandi];
    if (!RinfrescaRecord(Contesto::RecConfig))
        return;
    CopiaRecord3 = m_ctx.TabMsg[Contesto::RecConfig];
    // The line and its pivots too: the run may download a new one.
    if (!RinfrescaRecord(Contesto::RecBlk5) || !RinfrescaRecord(Contesto::RecMappa))
        return;
    RipristinoEcu &ripristino = m_ctx.ripristino;
    const QString motivo = ripristino.Apri(
        QStringLiteral("autotuning"),
        // The petrol request first, while the state-request bit still makes
        // the ECU take it; then the rest of record 2 once the configuration is back.
        {ripristino.Voce(Contesto::RecComandi, {{0, 0}}, 1000), ripristino.Voce(Contesto::RecConfig),
         ripristino.Voce(Contesto::RecComandi, {{0, 0}, {2, 0}, {5, 0}}, 1000), ripristino.Voce(Contesto::RecMappa),
         ripristino.Voce(Contesto::RecBlk5)});
    if (!motivo.isEmpty()) {
        m_testoRipristino = motivo;   // nothing was written: told with the result
        return;
    }

    const qint32 v12 = V(Contesto::RecConfig, 12);
    if ((v12 & 8) != SelAlimentazione)
        Imposta(Contesto::RecConfig, 12, v12 ^ 8);
    const auto &tab = m_ctx.scale.TabIniettori;
    if (SelIniettore >= 0 && SelIniettore < tab.size()) {
        const TipoIniettore &t = tab.at(SelIniettore);
        Imposta(Contesto::RecConfig, 1, t.Codice);
        Imposta(Contesto::RecConfig, 3, t.P[0]);
        Imposta(Contesto::RecConfig, 4, t.P[1]);
        Imposta(Contesto::RecConfig, 5, t.P[2]);
        Imposta(Contesto::RecConfig, 16, t.P[5]);
    }
    if (!ScriviRecord(Contesto::RecConfig, MessaggioEcu::ServScriviBlk3, Test::Largo))
        return;
    Attendi(250 * Ms, false);
    if (!RinfrescaRecord(Contesto::RecConfig) || !RinfrescaRecord(Contesto::RecComandi))
        return;

    const qint32 v2 = V(Contesto::RecComandi, 2);
    if (!(v2 & 1))
        Imposta(Contesto::RecComandi, 2, v2 | 1);
    if (!ScriviRecord(Contesto::RecComandi, MessaggioEcu::ServScriviBlk2, Test::Largo))
        return;
    Attendi(500 * Ms, false);
    if (!RinfrescaRecord(Contesto::RecComandi))
        return;
    m_modoAtteso = 1;
    r = Completato;
}

} // namespace gascal
