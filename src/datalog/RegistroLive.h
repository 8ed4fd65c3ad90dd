#pragma once

#include "datalog/CampioneLive.h"
#include "datalog/RegistratoreCsv.h"

#include <QDateTime>
#include <deque>

namespace gascal {

class Contesto;

// What the frame keeps of the live reads: the latest reads for the chart
// window (a bounded history) and, while recording, one CSV row per read
// under the data folder's "logs". Recording ends by itself when the link is
// lost.
class RegistroLive
{
public:
    // 20 reads a second for 20 minutes: twice the chart's longest window.
    static constexpr qsizetype MaxCampioni = 24000;

    // After each successful read of the live record. False when a recording
    // row could not be written (the recording has then stopped; Errore()).
    bool Lettura(const Contesto &ctx, double istante_usec);

    // Starts a recording: Data/logs/<yyyyMMdd-HHmmss>_<serial>.csv. False
    // with Errore() when the file cannot be created.
    bool Avvia(const Contesto &ctx, const QDateTime &adesso);
    void Ferma();
    bool Registrando() const { return m_csv.Aperto(); }
    QString Percorso() const { return m_csv.Percorso(); }
    QString Errore() const { return m_csv.Errore(); }
    // Stops the recording unless the program is connected. True when it stopped now.
    bool ControllaCollegamento(const Contesto &ctx);

    // The name of a recording started at `adesso` on the ECU of that serial.
    static QString NomeFile(const QDateTime &adesso, qint32 seriale);

    // Reads taken so far (also those dropped from the history).
    qint64 Totale() const { return m_totale; }
    // The reads after number `da` (0-based, counted by Totale) still held,
    // and the count to ask from next time.
    std::vector<CampioneLive> Dal(qint64 da, qint64 *prossimo = nullptr) const;

private:
    std::deque<CampioneLive> m_storico;
    qint64 m_totale = 0;
    double m_inizioSessione_usec = -1;
    double m_inizioRegistrazione_ms = -1;
    RegistratoreCsv m_csv;
};

} // namespace gascal
