#pragma once

#include "link/FramePipe.h"

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>

namespace gascal {

class ServiziUi;
struct StatoApp;

// The link to the communication process: PrjCom runs as a child process with
// its standard input and output on two pipes, and every exchange with the ECU
// is one request frame and one reply frame on them.
class Collegamento : public QObject
{
    Q_OBJECT
public:
    Collegamento(StatoApp &stato, ServiziUi &ui, QObject *parent = nullptr);
    ~Collegamento() override;

    // Starts the communication process `programma` (its full path).
    // Failures are reported by message box; the program goes on.
    void OpenPipe(const QString &programma);

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

    // Texts of the link's own messages.
    static QString TitoloErrore() { return QStringLiteral("Comunication error"); }

private:
    // Waits for reply bytes until the deadline; false on time-out.
    bool AttendiDati(double scadenza_us);

    StatoApp &m_stato;
    ServiziUi &m_ui;
    QProcess m_processo;
    RispostaPipe m_risposta;
};

} // namespace gascal
