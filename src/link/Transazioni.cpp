#include "link/Transazioni.h"

#include "app/Orologio.h"
#include "app/StatoApp.h"
#include "app/TestoByte.h"
#include "ecu/Blocco.h"
#include "link/Collegamento.h"
#include "link/ImpostazioniLink.h"
#include "link/MessaggioEcu.h"
#include "link/MsgRecord.h"

namespace gascal {

Transazioni::Transazioni(Collegamento &link, const ImpostazioniLink &impostazioni)
    : m_link(link), m_impostazioni(impostazioni)
{
}

qint64 Transazioni::Timeout() const
{
    return m_impostazioni.AttesaPipe_usec;
}

int Transazioni::Esito(int stato) const
{
    if (stato != 0)
        return stato;
    if (m_link.RispByte4() != 1 || m_link.RispDati().isEmpty())
        return EcuNonRisponde;
    return 0;
}

int Transazioni::Scambia(const QByteArray &messaggio)
{
    // ECU statuses of PrjCom's reply that are worth another try: nothing came
    // in time, or what came was garbled. A refusal or a port that is gone is not.
    constexpr qint32 NessunaRisposta = 0, RispostaGuasta = 2;
    StatoApp &stato = m_link.Stato();
    const quint8 erroreIniziale = stato.ErroreComunicazione;
    const double fine = TimerApi_uSec() + static_cast<double>(Timeout());
    qint64 tempo = Timeout();
    for (int tentativo = 0;; ++tentativo) {
        const double inizio = TimerApi_uSec();
        const int esito = Esito(m_link.InviaComando(6, messaggio, tempo));
        const qint32 ecu = m_link.RispByte4();
        if (esito != EcuNonRisponde || tentativo == Ripetizioni
            || (ecu != NessunaRisposta && ecu != RispostaGuasta))
            return esito;
        // Another try only when one as long as this one still fits.
        const double adesso = TimerApi_uSec();
        if (fine - adesso < adesso - inizio)
            return esito;
        tempo = static_cast<qint64>(fine - adesso);
        // A try that failed is not yet the transaction's failure.
        stato.ErroreComunicazione = erroreIniziale;
    }
}

int Transazioni::Richiedi(const MsgRecord &record)
{
    return Scambia(HexToStr(record.Richiesta));
}

int Transazioni::LeggiRecord(MsgRecord &record, const AmbienteDecodifica &ambiente, bool salvaImmagine)
{
    const int stato = Richiedi(record);
    if (stato != 0)
        return stato;
    if (salvaImmagine)
        record.Immagine = m_link.RispDati();
    Blocco::DecodificaBlocco(m_link.RispDati(), record, ambiente);
    return 0;
}

int Transazioni::LeggiServizio(quint8 servizio, const QByteArray &dati)
{
    return Scambia(MessaggioEcu::Componi(servizio, dati));
}

int Transazioni::ScriviServizio(quint8 servizio, const QByteArray &payload)
{
    return Scambia(MessaggioEcu::Componi(servizio, payload));
}

int Transazioni::Modo(quint8 modo)
{
    return m_link.InviaComando(4, QByteArray(1, static_cast<char>(modo)), Timeout());
}

QByteArray Transazioni::DatiAttesa(qint64 millisecondi)
{
    QByteArray dati(4, '\0');
    dati[0] = static_cast<char>(millisecondi & 0xFF);
    dati[1] = static_cast<char>((millisecondi >> 8) & 0xFF);
    return dati;
}

int Transazioni::AttesaEcu(bool lunga)
{
    return m_link.InviaComando(8, DatiAttesa(m_impostazioni.AttesaEcuMs(lunga)), Timeout());
}

std::optional<RapportoPorta> Transazioni::RapportoUltimaPorta()
{
    if (m_link.InviaComando(12, QByteArray(), Timeout()) != 0 || m_link.RispByte4() != 1)
        return std::nullopt;
    return RapportoPorta::Decodifica(m_link.RispDati());
}

const QByteArray &Transazioni::RispDati() const
{
    return m_link.RispDati();
}

qint32 Transazioni::ModoCorrente() const
{
    return m_link.RispByte6();
}

} // namespace gascal
