#include "interp/CampionatoreStabilita.h"

#include "app/Orologio.h"
#include "interp/Punto.h"

#include <algorithm>
#include <cstdlib>

namespace gascal {

int CampionatoreStabilita::RigaDi(qint32 quota)
{
    return static_cast<int>(std::clamp<qint64>(Conversioni::Arrotonda(quota / 32.0), 0, TabelleCampioni::Righe - 1));
}

int CampionatoreStabilita::FasciaDi(qint32 giri)
{
    if (giri >= 3000)
        return 2;
    if (giri < 1500)
        return 0;
    return 1;
}

bool CampionatoreStabilita::Stabile(const LetturaCampione &v) const
{
    return (v.stato & 4) == 0 && (v.stato & 1) != 0 && v.giri >= 300 && v.giri <= 5000 && v.temperatura >= 50
        && !m_attesaInCorso && m_riferimento != -1 && std::abs(v.quota - m_riferimento) <= ScartoQuota;
}

bool CampionatoreStabilita::Passo(const LetturaCampione &v, int stabilitaMs)
{
    const double adesso = TimerApi_uSec();
    // A change of fuel upsets the mixture for a while: nothing is sampled.
    if (v.carburante != m_ultimoCarburante) {
        m_ultimoCarburante = v.carburante;
        m_attesaInCorso = true;
        m_fineAttesa = adesso + AttesaCambio_usec;
    }
    if (m_attesaInCorso && adesso > m_fineAttesa)
        m_attesaInCorso = false;

    if (!Stabile(v)) {
        m_fineFinestra = adesso + stabilitaMs * 1000.0;
        m_conteggio = 1;
        m_riferimento = v.quota;
        m_sommaQuota = v.quota;
        m_sommaTempo = v.tempoBenzina;
        m_sommaGiri = v.giri;
        return false;
    }
    if (adesso > m_fineFinestra) {
        bool memorizzato = false;
        if (m_conteggio > 0) {
            const double n = static_cast<double>(m_conteggio);
            MemorizzaCampione(static_cast<qint32>(Conversioni::Arrotonda(m_sommaTempo / n)),
                              static_cast<qint32>(Conversioni::Arrotonda(m_sommaGiri / n)),
                              static_cast<qint32>(Conversioni::Arrotonda(m_sommaQuota / n)), v.carburante);
            memorizzato = true;
        }
        m_riferimento = -1;
        return memorizzato;
    }
    ++m_conteggio;
    m_sommaTempo += v.tempoBenzina;
    m_sommaQuota += v.quota;
    m_sommaGiri += v.giri;
    return false;
}

void CampionatoreStabilita::MemorizzaCampione(qint32 tempo, qint32 giri, qint32 quota, qint32 carburante)
{
    const int r = RigaDi(quota);
    const int base = carburante != 0 ? TabelleCampioni::GaM : TabelleCampioni::BeM;
    qint32 &cella = m_tabelle[base + 1 + FasciaDi(giri)][r];
    cella = cella == 0 ? tempo : static_cast<qint32>(Conversioni::Arrotonda((static_cast<double>(cella) + tempo) / 2));
    double somma = 0;
    int pieni = 0;
    for (int f = 1; f <= 3; ++f) {
        const qint32 valore = m_tabelle[base + f][r];
        if (valore != 0) {
            somma += valore;
            ++pieni;
        }
    }
    m_tabelle[base][r] = pieni > 0 ? static_cast<qint32>(Conversioni::Arrotonda(somma / pieni)) : 0;
}

} // namespace gascal
