#pragma once

#include "link/FramePipe.h"
#include "link/Trasporto.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace gascal {

class ServiziUi;
struct StatoApp;

// The link to the communication process: PrjCom runs as a child process with
// its standard input and output on two pipes, and every exchange with the ECU
// is one request frame and one reply frame on them. The pipes are a Trasporto,
// which a test can replace with a peer in its own process.
class Collegamento : public QObject
{
    Q_OBJECT
public:
    Collegamento(StatoApp &stato, ServiziUi &ui, QObject *parent = nullptr);
    ~Collegamento() override;

    // Puts the link on another carrier of its frames (a test's in-process
    // PrjCom); the one it had is ended. OpenPipe starts the new one.
    void UsaTrasporto(std::unique_ptr<Trasporto> trasporto);

    // Starts the communication process `programma` (its full path) with
    // `argomenti`. Failures are reported by message box; the program goes on.
    void OpenPipe(const QString &programma, const QStringList &argomenti = {});

    // Writes one request frame; 0 = written, 4 = failed.
    int WritePipe(qint64 comando, quint8 p1, quint8 p2, quint8 p3, quint8 p4, qint64 p5,
                  const QByteArray &dati);

    // One transaction: 0 good reply, 1 bad length, 2 bad code, 3 missing
    // payload, 4 send failed / cancelled / no reply on a failed link.
    // `risposta` receives the raw reply frame (empty when there is none).
    int InviaComando(qint64 comando, const QByteArray &dati, qint64 timeout_us,
                     QByteArray *risposta = nullptr);

    // The closing handshake: command 1, up to three sends. Returns true when
    // the process accepted the close.
    bool ChiudiPipe(qint64 timeout_us);

    // The last reply's fields.
    const RispostaPipe &Risposta() const { return m_risposta; }
    qint32 RispCodice() const { return m_risposta.RispCodice; }
    qint32 RispByte4() const { return m_risposta.RispByte4; }
    qint32 RispByte6() const { return m_risposta.RispByte6; }
    const QByteArray &RispDati() const { return m_risposta.RispDati; }

    bool ProcessoAttivo() const;
    StatoApp &Stato() { return m_stato; }
    // The communication process's id, 0 when it does not run.
    qint64 IdProcesso() const;
    // How many times the process was started again after it ended by itself.
    int Riavvii() const { return m_riavvii; }

    // Texts of the link's own messages.
    static QString TitoloErrore() { return QStringLiteral("Comunication error"); }
    static QString TestoRiavvio();

    // A process that ends by itself is started again, at most once in this time.
    static constexpr double IntervalloRiavvio_usec = 1000000;

private:
    enum class Attesa { Risposta, Scaduta, ProcessoFinito };

    // Waits until the deadline for the reply to this request: replies to
    // earlier requests are dropped on the way. `frame` gets the bytes taken
    // as the reply.
    Attesa AttendiRisposta(quint8 comando, const QByteArray &dati, double scadenza_us,
                           QByteArray &frame);
    // Starts the process again when it ended by itself (not closed by us),
    // once the interval since the last start is over; the user is told once
    // until the link works again.
    void RiavviaSeFinito(double scadenza_us);
    bool Avvia();

    StatoApp &m_stato;
    ServiziUi &m_ui;
    std::unique_ptr<Trasporto> m_trasporto;
    RispostaPipe m_risposta;
    QString m_programma;
    QStringList m_argomenti;
    bool m_avviato = false;      // the process ran once: an end is unexpected
    bool m_chiusura = false;     // the closing handshake is under way
    bool m_riavvioDetto = false; // the user was told of a restart
    double m_ultimoAvvio = -1e18;
    int m_riavvii = 0;
};

} // namespace gascal
