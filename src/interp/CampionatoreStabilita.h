#pragma once

#include "interp/TabelleCampioni.h"


namespace gascal {

// The live values the sampler looks at.
struct LetturaCampione {
    qint32 tempoBenzina = 0; // value 1 of record 1, µs
    qint32 giri = 0;         // value 4 of record 1, rpm
    qint32 quota = 0;        // value 5 of record 1, the row quantity
    qint32 stato = 0;        // value 6 of record 1: bit 0 running, bit 2 transient
    qint32 temperatura = 0;  // value 9 of record 1, °C
    qint32 carburante = 0;   // value 1 of record 2: 0 on petrol, otherwise on gas
};

// Samples stable operating points into the tables: a window opens when the
// point is not stable and, if the point stays stable (running, no transient,
// 300..5000 rpm, reducer at 50 °C or more, the row quantity within 50 of the
// window's first one, no fuel change in the last 4 s) until the stability
// time has passed, the window's means become one sample of the fuel now
// reported. Its time is the clock in use (app/Orologio.h).
class CampionatoreStabilita
{
public:
    static constexpr double AttesaCambio_usec = 4e6;
    static constexpr int ScartoQuota = 50;

    explicit CampionatoreStabilita(TabelleCampioni &tabelle) : m_tabelle(tabelle) {}

    // One step; true when it stored a sample.
    bool Passo(const LetturaCampione &v, int stabilitaMs);
    // Closes the stability window (the petrol-sampling switch does so).
    void ChiudiFinestra() { m_riferimento = -1; }
    bool FinestraAperta() const { return m_riferimento != -1; }
    bool AttesaInCorso() const { return m_attesaInCorso; }

    // Stores one sample: the row from the row quantity, the band from the
    // speed, the fuel from value 1 of record 2; a second sample in a cell
    // averages with it; the fuel's mean row follows its bands.
    void MemorizzaCampione(qint32 tempo, qint32 giri, qint32 quota, qint32 carburante);

    static int RigaDi(qint32 quota);
    static int FasciaDi(qint32 giri);

private:
    bool Stabile(const LetturaCampione &v) const;

    TabelleCampioni &m_tabelle;
    qint32 m_riferimento = -1;
    qint64 m_conteggio = 0;
    qint64 m_sommaTempo = 0;
    qint64 m_sommaQuota = 0;
    qint64 m_sommaGiri = 0;
    double m_fineFinestra = 0;
    qint32 m_ultimoCarburante = 0;
    bool m_attesaInCorso = false;
    double m_fineAttesa = 0;
};

} // namespace gascal
