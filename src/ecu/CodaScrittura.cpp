#include "ecu/CodaScrittura.h"

namespace gascal {

bool CodaScrittura::Vuota() const
{
    for (const VoceCoda &v : m_voci)
        if (v.Indice >= 0)
            return false;
    return true;
}

void CodaScrittura::Aggiungi(qint32 valore, qint32 indice, qint32 maschera)
{
    if (Vuota())
        m_voci.clear();
    m_voci.append(VoceCoda{valore, indice, maschera});
}

void CodaScrittura::Imposta(qint32 valore, qint32 indice, qint32 maschera)
{
    m_voci = {VoceCoda{valore, indice, maschera}};
}

void CodaScrittura::Applica(QVector<qint32> &valori, qsizetype quante) const
{
    const qsizetype fine = quante < 0 ? m_voci.size() : qMin(quante, m_voci.size());
    for (qsizetype i = 0; i < fine; ++i) {
        const VoceCoda &v = m_voci.at(i);
        if (v.Indice < 0 || v.Indice >= valori.size())
            continue;
        qint32 &valore = valori[v.Indice];
        if (v.Maschera < 1)
            valore = v.Valore;
        else if (v.Valore != 0)
            valore |= v.Maschera;
        else
            valore &= ~v.Maschera;
    }
}

void CodaScrittura::Consuma(qsizetype quante)
{
    m_voci.remove(0, qMin(quante, m_voci.size()));
    if (m_voci.isEmpty())
        m_voci.append(VoceCoda{});
}

} // namespace gascal
