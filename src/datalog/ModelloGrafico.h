#pragma once

#include "datalog/CampioneLive.h"

#include <QPointF>
#include <QString>
#include <QVector>
#include <array>
#include <deque>
#include <vector>

namespace gascal {

// What the chart window draws, without widgets: one time series per
// channel (seconds, value in the unit shown), bounded so that a long session
// cannot grow the memory, fed in batches of live reads or from a recorded
// CSV, with the reading of every channel at a time (the cursor) and the
// points of a time window thinned for drawing.
class ModelloGrafico
{
public:
    enum Canale : int {
        Giri,
        TempoBenzina,
        TempoGas,
        PressioneGas,
        PressioneCollettore,
        TemperaturaGas,
        Carburante, // 1 while on gas, 0 on petrol: drawn as a band
        NumCanali
    };
    struct Descrizione {
        const char *nome;   // shown in the window
        const char *unita;  // "rpm", "ms", "bar", "°C", ""
        const char *colonna; // the CSV column
        double divisore;     // from the ECU's unit to the one shown
        int asse;            // 0 left (rpm), 1 right (ms, bar, °C), 2 the band
    };
    static const Descrizione &Info(int canale);

    // Twenty reads a second for the chart's longest window, twice over.
    static constexpr qsizetype CapacitaLive = 24000;

    explicit ModelloGrafico(qsizetype capacita = CapacitaLive) : m_capacita(capacita) {}

    void Svuota();
    // Appends the reads in order; the oldest points beyond the capacity go.
    void Aggiungi(const std::vector<CampioneLive> &campioni);
    // Reads a CSV of the live layout (the datalog or `gascal-cli live`) in
    // place of what is held, without a capacity limit. An empty text, or why
    // the file cannot be shown (the first bad line is named).
    QString CaricaCsv(const QString &percorso);

    // Rows taken since the last Svuota (also those no longer held).
    qint64 Righe() const { return m_righe; }
    qsizetype Punti() const { return qsizetype(m_serie[0].size()); }
    double Inizio() const;
    double Fine() const;
    // The value of a channel at time t: the last read not after t (the first
    // read before the start); false when nothing is held.
    bool ValoreA(int canale, double t, double &valore) const;
    // The points of a channel between t0 and t1 (plus one on each side so
    // that lines reach the edges), thinned to about `massimo` points while
    // keeping each bucket's lowest and highest value.
    QVector<QPointF> Finestra(int canale, double t0, double t1, int massimo) const;
    // The gas spans (start, end) in seconds that overlap t0..t1.
    std::vector<std::pair<double, double>> FasceGas(double t0, double t1) const;

private:
    void AggiungiPunto(double t, const std::array<double, NumCanali> &valori);

    qsizetype m_capacita;
    qint64 m_righe = 0;
    std::array<std::deque<QPointF>, NumCanali> m_serie;
};

} // namespace gascal
