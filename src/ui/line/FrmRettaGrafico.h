#pragma once

#include <QPair>
#include <QVector>
#include <QWidget>

class QPainter;

namespace gascal {

class ModelloPaginaRetta;

// The drawing of the calibration line page, in the page's own twips: the
// background picture, the 56 bars around the zero line, the pivot markers,
// the selection marker, the crosshair at the ECU's working point with its
// blinking marker, and the proposed-correction markers, all as the page's
// model (ModelloPaginaRetta) says. It lies at the page's top-left corner, so
// its coordinates are the page's.
class FrmRettaGrafico : public QWidget
{
    Q_OBJECT
public:
    explicit FrmRettaGrafico(const ModelloPaginaRetta &modello, QWidget *parent = nullptr);

    // Decimal separator of the scale labels.
    void ImpostaSepDecimale(const QString &sep) { m_sepDecimale = sep; }
    // The proposed corrections drawn: (point, target height in line steps).
    const QVector<QPair<int, double>> &Marcatori() const;

signals:
    void pivotCliccato(int pivot);

protected:
    void paintEvent(QPaintEvent *evento) override;
    void mousePressEvent(QMouseEvent *evento) override;

private:
    void DisegnaScale(QPainter &p, double zoom);

    const ModelloPaginaRetta &m_modello;
    QString m_sepDecimale = QStringLiteral(".");
};

} // namespace gascal
