#include "PrjComInterno.h"
#include "OrologioPasso.h"
#include "ReplyWriter.h"
#include "RequestReader.h"

PrjComInterno::PrjComInterno(OrologioPasso &orologio, EcuInterna &ecu, const QString &cartella, const QString &dispositivo)
    : m_orologio(orologio), m_cartella(cartella), m_linea(ecu, dispositivo)
{
}

bool PrjComInterno::Avvia(const QString &, const QStringList &)
{
    Uccidi();
    m_linea.close();
    m_prjcom = std::make_unique<CommandDispatcher>(PortTable(m_cartella), m_linea);
    m_uscita.clear();
    m_attivo = true;
    ++m_avvii;
    return true;
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
    // The link writes each frame whole, in one write.
    const Request richiesta = RequestReader::decode(m_coda.takeFirst());
    const qint64 inizio_ms = m_linea.clockMs();
    const Reply r = m_prjcom->handle(richiesta);
    QByteArray risposta = ReplyWriter::frame(r, m_prjcom->openPort(), m_prjcom->mode());
    if (Guasto)
        risposta = Guasto(richiesta.command, risposta);
    const bool esce = m_prjcom->exitRequested();
    m_inCorso = m_orologio.Tra(Viaggio_us + (m_linea.clockMs() - inizio_ms) * 1000.0, [this, risposta, esce] {
        m_inCorso = 0;
        if (!m_attivo)
            return;
        m_uscita += risposta;
        ++m_risposte;
        if (esce)
            Uccidi();
        else
            Prossima();
    });
}
