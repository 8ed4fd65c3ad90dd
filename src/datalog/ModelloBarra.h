#pragma once

#include "datalog/VistaBarra.h"
#include "datalog/VistaCommutatore.h"

#include <QDateTime>
#include <QString>

#include <array>

namespace gascal {

class Contesto;
class Dizionario;

// The live bar's display rules, without widgets: from the message table, the
// connection state and the time it is given, what the bar shows (the texts,
// the engine speed segments, the gas time's warning, the pictures, the
// update button's blink, the origin of old values) and what the copy of the
// switch-over button shows (its LEDs with their blink phases, the buzzer).
// The bar's window calls the two refreshes every 100 ms and draws the views.
class ModelloBarra
{
public:
    // Engine speed thresholds of the bar's segments: a segment fills above its own.
    static const std::array<int, VistaBarra::NumSegmenti> SoglieGiri;
    // The LEDs' blink phases step at this period; a fast LED changes on every
    // step, a slow one on every second.
    static constexpr double PassoFase_us = 200e3;
    // The buzzer's beats: slow once a second, fast an extra beat every 300 ms.
    static constexpr double BattitoLento_us = 1e6;
    static constexpr double BattitoVeloce_us = 3e5;

    explicit ModelloBarra(const Contesto &ctx);

    // Text k of the bar's second section, the design's English without it.
    static QString Testo2(const Dizionario &diz, int k, const char *progetto);

    // The units after the values in the user's language.
    void CaricaLingua();

    // The values' refresh. `ora` is the wall clock: the time the values were
    // last live, and today's date for the text of old values.
    const VistaBarra &AggiornaValori(const QDateTime &ora);
    // The switch-over button's refresh, at `adesso_us` on the program's
    // monotonic clock (microseconds).
    const VistaCommutatore &AggiornaCommutatore(double adesso_us);

    const VistaBarra &Vista() const { return m_vista; }
    const VistaCommutatore &Commutatore() const { return m_commutatore; }

    // The values shown came from a file (loaded without the ECU), not from
    // the engine: the view says so until the ECU is read again.
    void ValoriDaFile(const QString &nomeFile);
    // The update button stops blinking at once.
    void SpegniAggiornamento() { m_vista.aggiornaRosso = false; }

private:
    void SegnaOrigine(const QDateTime &ora);
    QString TestoOrigine(const QDate &oggi) const;
    bool AvvisoTempoGas() const;
    void LampeggiaAggiornamento();
    int ContaBeep(qint32 parola, bool datiValidi, double adesso_us);

    const Contesto &m_ctx;
    VistaBarra m_vista;
    VistaCommutatore m_commutatore;
    int m_fase = 0;
    double m_prossimaFase = 0;
    double m_prossimoBeep = 0;
    // Where the values shown come from: nothing yet, the ECU (at m_quando),
    // or a file.
    enum class Origine { Nessuna, Ecu, File } m_origine = Origine::Nessuna;
    QDateTime m_quando;
    QString m_file;
    QString m_unitaGiri = QStringLiteral(" (rpm)");
    QString m_unitaMs = QStringLiteral(" (ms) ");
    QString m_unitaBar = QStringLiteral(" (bar)");
    QString m_unitaTemp = QStringLiteral(" (c)");
};

} // namespace gascal
