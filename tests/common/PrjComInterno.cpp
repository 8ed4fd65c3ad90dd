#include "PrjComInterno.h"
#include "EcuInterna.h"
#include "OrologioPasso.h"
#include "CommandDispatcher.h"
#include "ReplyWriter.h"
#include <QtEndian>

namespace {
const QByteArray Sonda = QByteArray::fromHex("420104210066");
constexpr int TentativiScrittura = 3;
constexpr int BudgetRipetizioniMs = 1500;
constexpr int SilenzioDopoGuastoMs = 50;
constexpr int LunghezzaMassima = 4096;
constexpr int Intestazione = 8;

Reply Malformata(quint8 codice, const QString &problema = {}) { return Reply{codice, EcuStatus::BadRequest, problema.toLatin1()}; }
} // namespace

PrjComInterno::PrjComInterno(OrologioPasso &orologio, EcuInterna &ecu) : m_orologio(orologio), m_ecu(ecu) {}

bool PrjComInterno::Avvia(const QString &, const QStringList &)
{
    Uccidi();
    Azzera();
    m_attivo = true;
    ++m_avvii;
    return true;
}

void PrjComInterno::Azzera()
{
    m_apertaPorta = false;
    m_porta = 255;
    m_modo = 0;
    m_attesaEcuMs = CommandDispatcher::DefaultEcuWaitMs;
    m_linea = LineSettings();
    m_ultimaPorta = PortReport();
    m_uscita.clear();
    m_coda.clear();
    m_esce = false;
}

void PrjComInterno::Uccidi()
{
    m_attivo = false;
    if (m_inCorso != 0)
        m_orologio.Annulla(m_inCorso);
    m_inCorso = 0;
    m_coda.clear();
}

bool PrjComInterno::Scrivi(const QByteArray &frame)
{
    if (!m_attivo)
        return false;
    m_coda << frame;
    if (m_inCorso == 0)
        Prossima();
    return true;
}

void PrjComInterno::Prossima()
{
    if (m_coda.isEmpty() || !m_attivo)
        return;
    const QByteArray frame = m_coda.takeFirst();
    Esito e;
    // Little-endian length; a frame not whole is refused as PrjCom's reader does.
    const int lunghezza = frame.size() >= 2 ? quint8(frame.at(0)) | quint8(frame.at(1)) << 8 : 0;
    quint8 comando = 0;
    if (lunghezza < Intestazione || lunghezza > LunghezzaMassima || lunghezza != frame.size()) {
        e.risposta = Malformata(0, QStringLiteral("bad frame length %1").arg(lunghezza));
    } else {
        comando = quint8(frame.at(2));
        e = Gestisci(comando, frame.mid(Intestazione));
    }
    QByteArray risposta = ReplyWriter::frame(e.risposta, PortaAperta(), m_modo);
    if (Guasto)
        risposta = Guasto(comando, risposta);
    m_inCorso = m_orologio.Tra(Viaggio_us + e.durata_us, [this, risposta] {
        m_inCorso = 0;
        if (!m_attivo)
            return;
        m_uscita += risposta;
        ++m_risposte;
        if (m_esce) {
            m_attivo = false;
            m_coda.clear();
            return;
        }
        Prossima();
    });
}

PrjComInterno::Esito PrjComInterno::Gestisci(quint8 comando, const QByteArray &dati)
{
    switch (comando) {
    case 1:
        m_apertaPorta = false;
        m_esce = true;
        return {Reply{1, EcuStatus::Success, {}}};
    case 2:
        m_apertaPorta = false;
        m_porta = 255;
        m_modo = 0;
        m_attesaEcuMs = CommandDispatcher::DefaultEcuWaitMs;
        return {Reply{2, EcuStatus::Success, {}}};
    case 3:
        return Porta(dati);
    case 4: {
        if (dati.size() != 1 || quint8(dati.at(0)) > 2) {
            Reply r = Malformata(4);
            r.payload = QByteArray(1, char(m_modo));
            return {r};
        }
        m_modo = quint8(dati.at(0));
        return {Reply{4, EcuStatus::Success, QByteArray(1, char(m_modo))}};
    }
    case 6:
        return Messaggio(dati);
    case 8: {
        if (dati.size() != 4)
            return {Malformata(8)};
        const quint32 ms = qFromLittleEndian<quint32>(dati.constData());
        m_attesaEcuMs = ms == 0 ? CommandDispatcher::DefaultEcuWaitMs : int(qMin<quint32>(ms, 60000));
        return {Reply{8, EcuStatus::Success, {}}};
    }
    case 10:
        if (!m_linea.selectFromProbe(dati))
            return {Malformata(10)};
        return {Reply{10, EcuStatus::Success, {}}};
    case 11:
        return {Reply{11, EcuStatus::Success,
                      QByteArray(1, char(CommandDispatcher::VersionMajor)) + char(CommandDispatcher::VersionMinor)}};
    case 12:
        return {Reply{0, EcuStatus::Success, m_ultimaPorta.encode()}};
    default:
        return {Malformata(0, QStringLiteral("unknown command %1").arg(comando))};
    }
}

PrjComInterno::Esito PrjComInterno::Porta(const QByteArray &dati)
{
    if (dati.size() != 1)
        return {Malformata(3, QStringLiteral("command 3 wants one byte, got %1").arg(dati.size()))};
    const int numero = quint8(dati.at(0));
    Esito e{Reply{3, EcuStatus::Success, QByteArray(1, char(numero))}};
    if (m_apertaPorta && m_porta != numero)
        m_apertaPorta = false;
    m_porta = numero;
    // The ECU's port is there as long as ecusim is.
    const bool esiste = numero == PortaEcu && !m_ecu.Sparita();
    const QString dispositivo = esiste ? Dispositivo : QString();
    if (!esiste) {
        m_apertaPorta = false;
        m_porta = 255;
        e.risposta.status = EcuStatus::PortMissing;
        m_ultimaPorta = PortReport::describe(numero, dispositivo, e.risposta.status);
        return e;
    }
    m_apertaPorta = true;
    const EcuAnswer a = Scambio(Sonda, EcuLine::Shape::Probe, CommandDispatcher::DefaultEcuWaitMs, e.durata_us);
    e.risposta.status = a.status;
    m_ultimaPorta = PortReport::describe(numero, dispositivo, a.status);
    if (a.bytes.size() == EcuLine::ProbeAnswerSize)
        e.risposta.payload.append(a.bytes);
    return e;
}

PrjComInterno::Esito PrjComInterno::Messaggio(const QByteArray &dati)
{
    if (dati.isEmpty())
        return {Malformata(6)};
    if (!m_apertaPorta)
        return {Reply{6, EcuStatus::NoPortOpen, {}}};
    const int tentativi = m_modo == 2 ? TentativiScrittura : 1;
    Esito e{Reply{6, EcuStatus::NoAnswer, {}}};
    EcuAnswer a;
    for (int t = 0; t < tentativi; ++t) {
        a = Scambio(dati, EcuLine::Shape::Message, AttesaPrimoByteMs(), e.durata_us);
        const bool ripeti = a.status == EcuStatus::NoAnswer || a.status == EcuStatus::Malformed;
        if (!ripeti || !m_apertaPorta)
            break;
        if (e.durata_us / 1000 + AttesaPrimoByteMs() > BudgetRipetizioniMs)
            break;
    }
    e.risposta.status = a.status;
    e.risposta.payload = a.bytes;
    return e;
}

EcuAnswer PrjComInterno::Scambio(const QByteArray &messaggio, EcuLine::Shape forma, int attesaMs, double &durata_us)
{
    EcuAnswer a;
    const QByteArray risposta = m_ecu.Rispondi(messaggio);
    if (m_ecu.Sparita()) {
        // ecusim ended: its pseudo-terminal hangs up under the read.
        m_apertaPorta = false;
        durata_us += attesaMs * 1000.0;
        return a;
    }
    if (risposta.isEmpty() || m_ecu.RitardoMs() >= attesaMs) {
        durata_us += attesaMs * 1000.0;
        return a;
    }
    durata_us += m_ecu.RitardoMs() * 1000.0;
    a.bytes = forma == EcuLine::Shape::Probe ? risposta.left(EcuLine::ProbeAnswerSize) : risposta;
    a.status = EcuLine::judge(a.bytes, forma);
    if (a.status == EcuStatus::Malformed)
        durata_us += SilenzioDopoGuastoMs * 1000.0;
    return a;
}

int PrjComInterno::AttesaPrimoByteMs() const
{
    // Quiet polling keeps the short wait whatever command 8 set.
    return m_modo == 1 ? CommandDispatcher::DefaultEcuWaitMs : m_attesaEcuMs;
}
