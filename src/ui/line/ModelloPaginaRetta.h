#pragma once

#include "ui/line/ModelloRetta.h"

#include <QPair>
#include <QRect>
#include <QString>
#include <QVector>

#include <functional>

namespace gascal {

class Contesto;

// The calibration line page's rules, without widgets: edits held on a
// button or a key (a step at once, another every 750 ms, the line sent
// once when the edit ends), the pivot selection by key or click, the two
// resets, the ECU's working point, the proposed corrections and the plot's
// geometry with its automatic range. The page draws the model of Contesto
// (ModelloRetta) and this one, and turns its input into these calls.
class ModelloPaginaRetta
{
public:
    // A held edit repeats its step this often.
    static constexpr double IntervalloRipetizione_us = 750000;
    // The working-point marker's animation step.
    static constexpr double PassoCalib_us = 250000;

    // The plot's design geometry (twips).
    static constexpr int LineaZero = 4440;
    static constexpr int TwipsPerPasso = 30;
    static constexpr int AltezzaBase = 105;
    static constexpr int SinistraPrimaBarra = 480;
    static constexpr int LarghezzaBarra = 135;
    static constexpr int SpazioBarre = 15;
    static constexpr QRect Sfondo{240, 480, 8880, 9120};
    // The automatic range draws the steps up to this many times taller.
    static constexpr double ZoomMassimo = 10.0;

    explicit ModelloPaginaRetta(Contesto &ctx);

    ModelloRetta &Retta();
    const ModelloRetta &Retta() const;

    // The unit after the petrol time, in the user's language.
    void CaricaLingua();

    // ---- edits
    // The whole line: raise and lower move every point, sideways is off.
    bool tuttiPunti = false;
    // An edit starts (ModelloRetta::Modifica): its first step at once. False
    // (nothing happens) while an operation is pending, while an edit is
    // already held, or for a sideways move of the first or last pivot.
    bool Premi(int add, double adesso_us);
    // The steps of the held edit that are due at `adesso_us`; true when one was made.
    bool Aggiorna(double adesso_us);
    // The edit ends: the line is sent to the ECU (unless an operation is pending).
    void Rilascia();
    bool ModificaInCorso() const { return m_inCorso; }
    // F5..F8 start an edit, F9 selects the next pivot; true when something changed.
    bool Tasto(int tasto, double adesso_us);

    // Selects pivot n, counted from 1 (others are ignored); the next one, round.
    void SelezionaPivot(int n);
    void ProssimoPivot();

    // Reset asks first (No by default), then puts the default line and
    // sends it; true when it did.
    bool Reset();
    // Reset-all asks, then `scelta` gives the fuel's definition file (empty:
    // nothing happens); the file is loaded into the ECU and names the title.
    // True when a file was chosen. Nothing while an operation is pending.
    bool ResetAll(const std::function<QString()> &scelta);

    // ---- the ECU's working point, from the live record
    void AggiornaCursore(double adesso_us);
    bool CursoreVisibile() const { return m_cursore; }
    int CursorePunto() const { return m_punto; }
    int CursoreY() const { return m_yCursore; }
    int FaseCalib() const { return m_fase; }
    // The petrol time: the mean of the last five readings, with its unit.
    QString TestoTempoBenzina() const;

    // ---- proposed corrections from the road samples: for each point with a
    // deflection d (µs), a marker at the height d / 64 + the point's current
    // correction; they stay where they were placed while the line is edited.
    void MostraCorrezioniProposte(const QVector<QPair<int, qint32>> &deflessioni);
    const QVector<QPair<int, double>> &Marcatori() const { return m_marcatori; }

    // ---- geometry (twips)
    // The automatic range: the whole line, its markers and the working point fill the plot.
    bool adatta = false;
    // The height factor in use (1 without the automatic range).
    double Zoom() const;
    // Bar of point i with value v at the design height, and as drawn now.
    static QRect RettangoloPunto(int i, qint32 v);
    QRectF BarraDisegnata(int i, qint32 v) const;
    // The height of a point `passi` steps from zero.
    static double Y(double passi, double zoom) { return LineaZero - TwipsPerPasso * zoom * passi; }
    // The pivot (0..8) that a click at (x, y) selects, or -1: on a bar, the
    // first pivot within one point of it; elsewhere, the first pivot whose
    // bar lies within one bar width (Left - Width < X <= Left + 2 Width).
    int PivotAlClic(double x, double y) const;

private:
    Contesto &m_ctx;
    bool m_inCorso = false;
    int m_add = 0;
    double m_prossimo = 0;
    bool m_cursore = false;
    int m_punto = 0;
    int m_yCursore = LineaZero;
    int m_fase = 0;
    double m_ultimoCalib = 0;
    QVector<qint32> m_tempiBenzina;
    QString m_unitaMs = QStringLiteral("ms");
    QVector<QPair<int, double>> m_marcatori;
};

} // namespace gascal
