#include "link/Collegamento.h"

#include "app/Orologio.h"
#include "app/ServiziUi.h"
#include "app/StatoApp.h"
#include "link/TrasportoProcesso.h"

namespace gascal {

namespace {
using Pulsanti = ServiziUi::Pulsanti;
using Icona = ServiziUi::Icona;
constexpr int EcuRisponde = 1;
} // namespace

Collegamento::Collegamento(StatoApp &stato, ServiziUi &ui, QObject *parent)
    : QObject(parent), m_stato(stato), m_ui(ui), m_trasporto(std::make_unique<TrasportoProcesso>())
{
}

Collegamento::~Collegamento()
{
    m_chiusura = true;
    m_trasporto->Termina(); // PrjCom ends on end of input
}

void Collegamento::UsaTrasporto(std::unique_ptr<Trasporto> trasporto)
{
    m_trasporto->Termina();
    m_trasporto = std::move(trasporto);
}

QString Collegamento::TestoRiavvio()
{
    return QStringLiteral("The communication process PrjCom ended unexpectedly and has been "
                          "started again. The ECU is searched for again.");
}

bool Collegamento::Avvia()
{
    m_ultimoAvvio = TimerApi_uSec();
    const bool avviato = m_trasporto->Avvia(m_programma, m_argomenti);
    m_avviato = m_avviato || avviato;
    return avviato;
}

void Collegamento::OpenPipe(const QString &programma, const QStringList &argomenti)
{
    m_programma = programma;
    m_argomenti = argomenti;
    m_chiusura = false;
    if (!Avvia())
        m_ui.Messaggio(QStringLiteral("Error 005 - Can't create process"), QString(), Pulsanti::Ok,
                       Icona::Nessuna);
}

void Collegamento::RiavviaSeFinito(double scadenza_us)
{
    if (!m_avviato || m_chiusura || m_trasporto->Attivo())
        return;
    // A process that dies at once is not restarted in a loop: the rest of the
    // interval is slept out, within this transaction's time.
    const double quando = m_ultimoAvvio + IntervalloRiavvio_usec;
    if (quando > TimerApi_uSec()) {
        if (quando > scadenza_us)
            return;
        AttesaUSec(quando - TimerApi_uSec());
    }
    const bool avviato = Avvia();
    ++m_riavvii;
    if (m_riavvioDetto)
        return;
    m_riavvioDetto = true;
    if (avviato)
        m_ui.Messaggio(TestoRiavvio(), TitoloErrore() + QLatin1Char(' '), Pulsanti::Ok, Icona::Esclamazione);
    else
        m_ui.Messaggio(QStringLiteral("Error 005 - Can't create process"), QString(), Pulsanti::Ok,
                       Icona::Nessuna);
}

bool Collegamento::ProcessoAttivo() const
{
    return m_trasporto->Attivo();
}

qint64 Collegamento::IdProcesso() const
{
    return m_trasporto->IdProcesso();
}

int Collegamento::WritePipe(qint64 comando, quint8 p1, quint8 p2, quint8 p3, quint8 p4, qint64 p5,
                            const QByteArray &dati)
{
    if (comando < 0 || comando > 255 || p5 < 0 || p5 > 255 || dati.size() > 0xFFFF - 8) {
        m_ui.Messaggio(QStringLiteral("WritePipe_Err: ") + QStringLiteral("Overflow"), QString(),
                       Pulsanti::Ok, Icona::Nessuna);
        return FramePipe::InvioFallito;
    }
    const QByteArray frame = FramePipe::Richiesta(static_cast<quint8>(comando), p1, p2, p3, p4,
                                                  static_cast<quint8>(p5), dati);
    // A process that never started still looks like an open pipe that nobody
    // reads: the request goes nowhere and the reply times out.
    if (!m_trasporto->Attivo())
        return FramePipe::Ok;
    if (!m_trasporto->Scrivi(frame))
        return FramePipe::InvioFallito;
    return FramePipe::Ok;
}

Collegamento::Attesa Collegamento::AttendiRisposta(quint8 comando, const QByteArray &dati,
                                                   double scadenza_us, QByteArray &frame)
{
    const bool vivo = m_trasporto->Attivo();
    QByteArray ricevuti;
    for (;;) {
        AttendiCondizione(scadenza_us, [this] {
            return m_trasporto->Disponibili() > 0 || !m_trasporto->Attivo();
        });
        if (m_trasporto->Disponibili() == 0) {
            if (vivo && !m_trasporto->Attivo())
                return Attesa::ProcessoFinito; // no reply will ever come
            // A process that never ran shows as a time-out.
            AttendiCondizione(scadenza_us, {});
            return Attesa::Scaduta;
        }
        ricevuti += m_trasporto->Leggi();
        // Whole replies to earlier requests come first: they are dropped.
        for (qsizetype n = FramePipe::LunghezzaFrame(ricevuti);
             n > 0 && !FramePipe::RispondeA(ricevuti.left(n), comando, dati);
             n = FramePipe::LunghezzaFrame(ricevuti))
            ricevuti.remove(0, n);
        if (!ricevuti.isEmpty()) {
            // The reply, or bytes that are no whole frame: the check judges them.
            frame = ricevuti;
            return Attesa::Risposta;
        }
    }
}

int Collegamento::InviaComando(qint64 comando, const QByteArray &dati, qint64 timeout_us,
                               QByteArray *risposta)
{
    if (risposta)
        risposta->clear();
    RiavviaSeFinito(TimerApi_uSec() + static_cast<double>(timeout_us));
    // Bytes still in the pipe belong to an earlier transaction that was given
    // up (a late reply after a time-out): they are not this request's answer.
    if (m_trasporto->Disponibili() > 0)
        m_trasporto->Leggi();

    if (WritePipe(comando, 0, 0, 0, 0, 0, dati) != FramePipe::Ok) {
        m_ui.Messaggio(QStringLiteral("Error 008 - Pipe send error "), TitoloErrore(), Pulsanti::Ok,
                       Icona::Critica);
        return FramePipe::InvioFallito;
    }

    const quint8 codice = static_cast<quint8>(comando);
    QByteArray frame;
    double scadenza = TimerApi_uSec() + static_cast<double>(timeout_us);
    for (;;) {
        const Attesa esito = AttendiRisposta(codice, dati, scadenza, frame);
        if (esito == Attesa::Risposta)
            break;
        if (esito == Attesa::ProcessoFinito) {
            // PrjCom died: the link has failed. It is started again (and the
            // user told) by the next transaction, the search's first.
            m_stato.ErroreComunicazione = 1;
            return FramePipe::InvioFallito;
        }
        if (m_stato.ErroreComunicazione == 1) {
            // The link has already failed: no dialog again, but no success
            // either, so that nobody takes the silence for an ECU answer.
            return FramePipe::InvioFallito;
        }
        const ServiziUi::Risposta scelta = m_ui.Messaggio(QStringLiteral("Error 007 - Time Out"),
                                               TitoloErrore() + QLatin1Char(' '),
                                               Pulsanti::RiprovaAnnulla, Icona::Nessuna);
        if (scelta != ServiziUi::Risposta::Riprova) {
            m_stato.ErroreComunicazione = 1;
            return FramePipe::InvioFallito;
        }
        scadenza = TimerApi_uSec() + static_cast<double>(timeout_us);
    }

    if (risposta)
        *risposta = frame;
    const int stato = FramePipe::DecodificaRisposta(frame, m_risposta);

    const int sp = m_stato.StatoProgramma;
    if (stato != FramePipe::Ok && sp != StatoApp::Ricerca && sp != StatoApp::Chiusura)
        m_ui.Messaggio(QStringLiteral("Error 006 - Comunication error"),
                       QStringLiteral("Comunication  error"), Pulsanti::Ok, Icona::Critica);
    if (m_risposta.RispByte4 != EcuRisponde && sp != StatoApp::Ricerca && sp != StatoApp::Offline
        && sp != 6 && sp != StatoApp::Autotuning)
        m_stato.ErroreComunicazione = 1;
    // An ECU answer through a restarted process: the link works again, and a
    // later end of the process is told again.
    if (stato == FramePipe::Ok && codice == 6 && m_risposta.RispByte4 == EcuRisponde)
        m_riavvioDetto = false;
    return stato;
}

bool Collegamento::ChiudiPipe(qint64 timeout_us)
{
    m_chiusura = true;
    for (int invio = 0; invio < 3; ++invio) {
        if (InviaComando(1, QByteArray(), timeout_us) == FramePipe::Ok) {
            m_trasporto->ChiudiIngresso(1000);
            return true;
        }
    }
    m_ui.Messaggio(QStringLiteral("Error 010  - Can't close the pipe"), QString(), Pulsanti::Ok,
                   Icona::Nessuna);
    return false;
}

} // namespace gascal
