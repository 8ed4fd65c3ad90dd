#include "link/Collegamento.h"

#include "app/Orologio.h"
#include "app/ServiziUi.h"
#include "app/StatoApp.h"

#include <QEventLoop>
#include <QTimer>
#include <cmath>

namespace gascal {

namespace {
using Pulsanti = ServiziUi::Pulsanti;
using Icona = ServiziUi::Icona;
} // namespace

Collegamento::Collegamento(StatoApp &stato, ServiziUi &ui, QObject *parent)
    : QObject(parent), m_stato(stato), m_ui(ui)
{
    // PrjCom's standard error stays the program's own.
    m_processo.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_processo.setReadChannel(QProcess::StandardOutput);
}

Collegamento::~Collegamento()
{
    if (m_processo.state() != QProcess::NotRunning) {
        m_processo.closeWriteChannel(); // PrjCom ends on end of input
        if (!m_processo.waitForFinished(1000)) {
            m_processo.kill();
            m_processo.waitForFinished(1000);
        }
    }
}

void Collegamento::OpenPipe(const QString &programma)
{
    m_processo.setProgram(programma);
    m_processo.setArguments({});
    m_processo.start(QIODevice::ReadWrite | QIODevice::Unbuffered);
    if (!m_processo.waitForStarted(5000))
        m_ui.Messaggio(QStringLiteral("Error 005 - Can't create process"), QString(), Pulsanti::Ok,
                       Icona::Nessuna);
}

bool Collegamento::ProcessoAttivo() const
{
    return m_processo.state() == QProcess::Running;
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
    // A process that never started or has died still looks like an open pipe
    // that nobody reads: the request goes nowhere and the reply times out.
    if (m_processo.state() != QProcess::Running)
        return FramePipe::Ok;
    if (m_processo.write(frame) != frame.size())
        return FramePipe::InvioFallito;
    return FramePipe::Ok;
}

bool Collegamento::AttendiDati(double scadenza_us)
{
    for (;;) {
        if (m_processo.bytesAvailable() > 0)
            return true;
        const double restano = scadenza_us - TimerApi_uSec();
        if (restano < 0)
            return false;
        // Sleep until the reply arrives or the deadline passes; window events
        // keep flowing meanwhile.
        QEventLoop ciclo;
        QTimer scadenza;
        scadenza.setSingleShot(true);
        scadenza.setTimerType(Qt::PreciseTimer);
        connect(&scadenza, &QTimer::timeout, &ciclo, &QEventLoop::quit);
        connect(&m_processo, &QProcess::readyReadStandardOutput, &ciclo, &QEventLoop::quit);
        connect(&m_processo, &QProcess::finished, &ciclo, &QEventLoop::quit);
        scadenza.start(static_cast<int>(std::ceil(restano / 1000.0)));
        if (m_processo.bytesAvailable() > 0)
            return true;
        ciclo.exec();
        if (m_processo.state() != QProcess::Running && m_processo.bytesAvailable() == 0) {
            // A dead process never answers: sleep out the rest of the time.
            const double resto = scadenza_us - TimerApi_uSec();
            if (resto >= 0)
                AttesaUSec(resto + 1);
        }
    }
}

int Collegamento::InviaComando(qint64 comando, const QByteArray &dati, qint64 timeout_us,
                               QByteArray *risposta)
{
    if (risposta)
        risposta->clear();
    // Bytes still in the pipe belong to an earlier transaction that was given
    // up (a late reply after a time-out): they are not this request's answer.
    if (m_processo.bytesAvailable() > 0)
        m_processo.readAllStandardOutput();

    if (WritePipe(comando, 0, 0, 0, 0, 0, dati) != FramePipe::Ok) {
        m_ui.Messaggio(QStringLiteral("Error 008 - Pipe send error "), TitoloErrore(), Pulsanti::Ok,
                       Icona::Critica);
        return FramePipe::InvioFallito;
    }

    double scadenza = TimerApi_uSec() + static_cast<double>(timeout_us);
    while (!AttendiDati(scadenza)) {
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

    const QByteArray frame = m_processo.readAllStandardOutput();
    if (risposta)
        *risposta = frame;
    const int stato = FramePipe::DecodificaRisposta(frame, m_risposta);

    const int sp = m_stato.StatoProgramma;
    if (stato != FramePipe::Ok && sp != StatoApp::Ricerca && sp != StatoApp::Chiusura)
        m_ui.Messaggio(QStringLiteral("Error 006 - Comunication error"),
                       QStringLiteral("Comunication  error"), Pulsanti::Ok, Icona::Critica);
    if (m_risposta.RispByte4 != 1 && sp != StatoApp::Ricerca && sp != StatoApp::Offline && sp != 6
        && sp != StatoApp::Autotuning)
        m_stato.ErroreComunicazione = 1;
    return stato;
}

bool Collegamento::ChiudiPipe(qint64 timeout_us)
{
    for (int invio = 0; invio < 3; ++invio) {
        if (InviaComando(1, QByteArray(), timeout_us) == FramePipe::Ok) {
            m_processo.closeWriteChannel();
            m_processo.waitForFinished(1000);
            return true;
        }
    }
    m_ui.Messaggio(QStringLiteral("Error 010  - Can't close the pipe"), QString(), Pulsanti::Ok,
                   Icona::Nessuna);
    return false;
}

} // namespace gascal
