#pragma once

#include "link/RapportoPorta.h"

#include <QByteArray>
#include <optional>

namespace gascal {

class Collegamento;
struct ImpostazioniLink;
struct MsgRecord;
struct AmbienteDecodifica;

// The common request patterns on the link, all with the reply time-out of
// the link settings. Each returns the transaction status; an exchange in which
// the ECU itself did not answer well (ECU status not 1, or no answer message)
// counts as failed too, so that silence is never taken for an ECU answer.
class Transazioni
{
public:
    enum : int { EcuNonRisponde = 5 };
    // An exchange whose answer was lost or garbled on the line is sent again
    // this many times at most, within the one time-out of the transaction.
    static constexpr int Ripetizioni = 2;

    Transazioni(Collegamento &link, const ImpostazioniLink &impostazioni);

    // Sends one ECU message (command 6); the answer is in RispDati. Every
    // message the program sends is a whole read, a whole-block write or the
    // store, so a message whose answer got lost or garbled is sent again.
    int Scambia(const QByteArray &messaggio);
    // Sends a record's own request; the answer is in RispDati.
    int Richiedi(const MsgRecord &record);
    // Reads a record with its own request and decodes the answer; `salvaImmagine`
    // also keeps the answer as the record's image.
    int LeggiRecord(MsgRecord &record, const AmbienteDecodifica &ambiente, bool salvaImmagine);
    // Reads with a program-built request (service, data).
    int LeggiServizio(quint8 servizio, const QByteArray &dati = {});
    // Writes a block: the payload wrapped in a message of the service.
    int ScriviServizio(quint8 servizio, const QByteArray &payload);
    // Command 4: the communication process's mode.
    int Modo(quint8 modo);
    // Command 8: the ECU wait, normal or long.
    int AttesaEcu(bool lunga);
    // Command 12: what the communication process knows about the port of the
    // last command 3; nothing when it has no report (an older process answers
    // the unknown command with a status other than 1).
    std::optional<RapportoPorta> RapportoUltimaPorta();
    // Command 8 with a wait in milliseconds (low 16 bits sent).
    static QByteArray DatiAttesa(qint64 millisecondi);

    // The last answer message.
    const QByteArray &RispDati() const;
    // The mode in the last reply.
    qint32 ModoCorrente() const;

    Collegamento &Link() { return m_link; }
    qint64 Timeout() const;

private:
    int Esito(int stato) const;

    Collegamento &m_link;
    const ImpostazioniLink &m_impostazioni;
};

} // namespace gascal
