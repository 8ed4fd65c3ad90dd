#pragma once

#include <QRect>
#include <QVector>
#include <QWidget>

class QPainter;

namespace gascal {

class ModelloRetta;

// The drawing of the calibration line page, in the page's own twips: the
// background picture, the 56 bars around the zero line, the pivot markers,
// the selection marker, the crosshair at the ECU's working point with its
// blinking marker, and the proposed-correction markers. It lies at the
// page's top-left corner, so its coordinates are the page's.
class FrmRettaGrafico : public QWidget
{
    Q_OBJECT
public:
    // Design geometry (twips).
    static constexpr int LineaZero = 4440;
    static constexpr int TwipsPerPasso = 30;
    static constexpr int AltezzaBase = 105;
    static constexpr int SinistraPrimaBarra = 480;
    static constexpr int LarghezzaBarra = 135;
    static constexpr int SpazioBarre = 15;
    static const QRect Sfondo; // ImgRetta

    FrmRettaGrafico(const ModelloRetta &modello, QWidget *parent = nullptr);

    // Bar of point i with value v (twips).
    static QRect RettangoloPunto(int i, qint32 v);
    // The pivot (0..8) that a click at (x, y) twips selects, or -1: on a bar,
    // the first pivot within one point of it; elsewhere, the first pivot
    // whose bar lies within one bar width (Left - Width < X <= Left + 2 Width).
    int PivotAlClic(double x, double y) const;

    // While the whole line is edited the pivot and selection markers hide.
    void ImpostaTuttiPunti(bool tutti);
    // The crosshair: hidden, or on point `punto` at height `yTwips`.
    void ImpostaCursore(bool visibile, int punto, int yTwips);
    // The working-point marker's animation step (0 or 1).
    void ImpostaFaseCalib(int fase);
    // Proposed corrections: (point, target height in line steps).
    void ImpostaMarcatori(const QVector<QPair<int, double>> &marcatori);

    // Automatic range: the steps are drawn taller, up to ZoomMassimo times,
    // so that the whole line (and its markers) just fills the plot.
    static constexpr double ZoomMassimo = 10.0;
    void ImpostaAdatta(bool adatta);
    bool Adatta() const { return m_adatta; }
    // The height factor in use (1 without the automatic range).
    double Zoom() const;
    // Bar of point i with value v as drawn now (twips).
    QRectF BarraDisegnata(int i, qint32 v) const;

    // Decimal separator of the scale labels.
    void ImpostaSepDecimale(const QString &sep) { m_sepDecimale = sep; }

    bool CursoreVisibile() const { return m_cursore; }
    int CursorePunto() const { return m_punto; }
    int CursoreY() const { return m_yCursore; }
    const QVector<QPair<int, double>> &Marcatori() const { return m_marcatori; }

signals:
    void pivotCliccato(int pivot);

protected:
    void paintEvent(QPaintEvent *evento) override;
    void mousePressEvent(QMouseEvent *evento) override;

private:
    void DisegnaScale(QPainter &p, double zoom);
    // The height on screen of a point `passi` steps from zero (twips).
    static double Y(double passi, double zoom) { return LineaZero - TwipsPerPasso * zoom * passi; }

    const ModelloRetta &m_modello;
    QString m_sepDecimale = QStringLiteral(".");
    bool m_tutti = false;
    bool m_cursore = false;
    int m_punto = 0;
    int m_yCursore = LineaZero;
    int m_fase = 0;
    QVector<QPair<int, double>> m_marcatori;
    bool m_adatta = false;
};

} // namespace gascal
