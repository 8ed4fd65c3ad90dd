#include "ecu/SequenzeBlocchi.h"

#include "app/Contesto.h"
#include "app/Orologio.h"
#include "ecu/CorniceModo.h"
#include "link/MessaggioEcu.h"

namespace gascal {

using namespace MessaggioEcu;

int SequenzeBlocchi::LeggiRecord(int n, bool fresca)
{
    if (n < 0 || n >= m_ctx.TabMsg.size())
        return Transazioni::EcuNonRisponde;
    return m_ctx.tx.LeggiRecord(m_ctx.TabMsg[n], m_ctx.Ambiente(), fresca);
}

bool SequenzeBlocchi::ScriviRecordConCoda(int record, quint8 servizio, bool coda2)
{
    CorniceModo cornice(m_ctx);
    CodaScrittura &coda = coda2 ? m_ctx.code.ValoriDaScrivere2 : m_ctx.code.ValoriDaScrivere;
    bool ok = cornice.Ok() && LeggiRecord(record, false) == 0;
    if (ok) {
        // Entries appended while the write runs are kept for the next run.
        const qsizetype applicate = coda.Numero();
        coda.Applica(m_ctx.TabMsg[record].Valori, applicate);
        ok = m_ctx.tx.ScriviServizio(servizio, Blocco::CodificaBlocco(m_ctx.TabMsg[record])) == 0
            && LeggiRecord(record, true) == 0;
        if (ok)
            coda.Consuma(applicate);
    }
    // The sequence succeeded only once the mode is back as it was.
    return cornice.Ripristina() && ok;
}

bool SequenzeBlocchi::ScriviBlk2()
{
    return ScriviRecordConCoda(Contesto::RecComandi, ServScriviBlk2, true);
}

bool SequenzeBlocchi::ScriviBlk3()
{
    return ScriviRecordConCoda(Contesto::RecConfig, ServScriviBlk3, false);
}

bool SequenzeBlocchi::ScriviMappe()
{
    CorniceModo cornice(m_ctx);
    const bool ok = cornice.Ok() && LeggiRecord(Contesto::RecMappa, false) == 0
        && LeggiRecord(Contesto::RecBlk5, false) == 0
        && m_ctx.tx.ScriviServizio(ServScriviMappa, m_ctx.code.DatiMap0) == 0
        && LeggiRecord(Contesto::RecMappa, true) == 0
        && m_ctx.tx.ScriviServizio(ServScriviBlk5, m_ctx.code.DatiBlk5) == 0
        && LeggiRecord(Contesto::RecBlk5, true) == 0;
    if (ok)
        m_ctx.code.DatiMap0.clear();
    return cornice.Ripristina() && ok;
}

bool SequenzeBlocchi::InviaEMemorizza(const QByteArray &messaggio)
{
    CorniceModo cornice(m_ctx);
    const bool ok = cornice.Ok() && m_ctx.tx.Scambia(messaggio) == 0
        && m_ctx.tx.AttesaEcu(true) == 0 && m_ctx.tx.Scambia(Componi(ServMemorizza)) == 0
        && m_ctx.tx.AttesaEcu(false) == 0 && LeggiRecord(Contesto::RecProduzione, true) == 0;
    return cornice.Ripristina() && ok;
}

int SequenzeBlocchi::LeggiCopia(quint8 servizio, int record, MsgRecord &copia)
{
    if (record >= m_ctx.TabMsg.size())
        return Transazioni::EcuNonRisponde;
    const int stato = m_ctx.tx.LeggiServizio(servizio);
    if (stato == 0)
        Blocco::DecodificaBlocco(m_ctx.tx.RispDati(), copia, m_ctx.Ambiente());
    return stato;
}

int SequenzeBlocchi::ScriviCopia(const MsgRecord &copia)
{
    return m_ctx.tx.ScriviServizio(ServScriviBlk2, Blocco::CodificaBlocco(copia));
}

bool SequenzeBlocchi::CommutaStato()
{
    CorniceModo cornice(m_ctx);
    const bool ok = cornice.Ok() && PassiCommutazione();
    return cornice.Ripristina() && ok;
}

bool SequenzeBlocchi::PassiCommutazione()
{
    if (m_ctx.TabMsg.size() <= Contesto::RecConfig)
        return false;
    // Private copies: the table's records are not changed.
    MsgRecord r2 = m_ctx.TabMsg.at(Contesto::RecComandi);
    MsgRecord r3 = m_ctx.TabMsg.at(Contesto::RecConfig);
    if (r2.Valori.size() < 3 || r3.Valori.size() < 7)
        return false;
    if (LeggiCopia(ServLeggiBlk2, Contesto::RecComandi, r2) != 0
        || LeggiCopia(ServLeggiBlk3, Contesto::RecConfig, r3) != 0)
        return false;

    const bool versoGas = (r2.Valori[0] == 0 && r2.Valori[1] == 0)
        || (r2.Valori[0] == 3 && r2.Valori[1] == 0 && r3.Valori[6] == 1);
    const qint32 obiettivo = versoGas ? 3 : 0;
    const qint32 bitVecchio = r2.Valori[2] & 1;
    if (bitVecchio == 0) {
        r2.Valori[2] ^= 1;
        if (ScriviCopia(r2) != 0)
            return false;
    }
    AttesaUSec(500000);
    if (LeggiCopia(ServLeggiBlk2, Contesto::RecComandi, r2) != 0
        || LeggiCopia(ServLeggiBlk3, Contesto::RecConfig, r3) != 0)
        return false;
    r2.Valori[0] = obiettivo;
    if (ScriviCopia(r2) != 0)
        return false;
    AttesaUSec(500000);
    if ((r2.Valori[2] & 1) == bitVecchio)
        return true;
    for (int prova = 0; prova < 8; ++prova) {
        AttesaUSec(250000);
        if (LeggiCopia(ServLeggiBlk2, Contesto::RecComandi, r2) != 0)
            return false;
        if ((r2.Valori[1] == 3 && obiettivo == 3) || (r2.Valori[1] == 0 && obiettivo == 0))
            break;
    }
    r2.Valori[2] ^= 1;
    return ScriviCopia(r2) == 0;
}

} // namespace gascal
