#include "ui/line/FrmRettaGrafico.h"

#include "app/Conversioni.h"
#include "ui/line/ModelloPaginaRetta.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace gascal {

using M = ModelloPaginaRetta;

namespace {
const QColor ColoreBarra(46, 125, 50);
const QColor ColoreBarraPivot(21, 67, 24);
const QColor ColorePivot(25, 70, 170);
const QColor ColoreSelezione(220, 30, 30);
const QColor ColoreCursore(230, 120, 0);
const QColor ColoreMarcatore(200, 0, 160);
} // namespace

FrmRettaGrafico::FrmRettaGrafico(const ModelloPaginaRetta &modello, QWidget *parent)
    : QWidget(parent), m_modello(modello)
{
    setObjectName(QStringLiteral("ImgRetta"));
}

const QVector<QPair<int, double>> &FrmRettaGrafico::Marcatori() const
{
    return m_modello.Marcatori();
}

void FrmRettaGrafico::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.scale(logicalDpiX() / 1440.0, logicalDpiY() / 1440.0);
    p.setRenderHint(QPainter::Antialiasing);

    // Background with a grid every 10 steps (640 µs; closer when the
    // automatic range draws the steps taller) and the zero line.
    const double zoom = m_modello.Zoom();
    const int grigliaPassi = zoom >= 4 ? 2 : zoom >= 2 ? 5 : 10;
    p.fillRect(M::Sfondo, QColor(250, 250, 244));
    p.setPen(QPen(QColor(220, 220, 210), 0));
    for (int passi = -150; passi <= 150; passi += grigliaPassi) {
        const double y = M::Y(passi, zoom);
        if (y > M::Sfondo.top() && y < M::Sfondo.bottom())
            p.drawLine(QPointF(M::Sfondo.left(), y), QPointF(M::Sfondo.right(), y));
    }
    p.setPen(QPen(Qt::black, 15));
    p.drawLine(M::Sfondo.left(), M::LineaZero, M::Sfondo.right(), M::LineaZero);
    p.setPen(QPen(Qt::gray, 0));
    p.drawRect(M::Sfondo);
    DisegnaScale(p, zoom);

    const ModelloRetta &r = m_modello.Retta();
    const auto &retta = r.Retta;
    const auto &pivot = r.Pivot;
    const bool tutti = m_modello.tuttiPunti;
    p.setPen(Qt::NoPen);
    for (int i = 0; i < ModelloRetta::NumPunti; ++i) {
        const bool diPivot = std::find(pivot.begin(), pivot.end(), i) != pivot.end();
        p.setBrush(diPivot && !tutti ? ColoreBarraPivot : ColoreBarra);
        p.drawRect(m_modello.BarraDisegnata(i, retta[i]));
    }

    if (!tutti) {
        // Pivot markers sit on the value end of their bar; the selected one
        // is ringed and pointed at from above.
        for (int k = 0; k < ModelloRetta::NumPivot; ++k) {
            const QRect barra = M::RettangoloPunto(pivot[k], retta[pivot[k]]);
            const QPointF centro(barra.center().x() + 0.5, M::Y(retta[pivot[k]], zoom));
            p.setBrush(ColorePivot);
            p.setPen(QPen(Qt::white, 15));
            p.drawEllipse(centro, 90.0, 90.0);
            if (k == r.PivotSel) {
                p.setBrush(Qt::NoBrush);
                p.setPen(QPen(ColoreSelezione, 30));
                p.drawEllipse(centro, 150.0, 150.0);
                QPainterPath freccia;
                const double cima = std::min<double>(centro.y(), M::LineaZero) - 210;
                freccia.moveTo(centro.x(), cima);
                freccia.lineTo(centro.x() - 105, cima - 180);
                freccia.lineTo(centro.x() + 105, cima - 180);
                freccia.closeSubpath();
                p.setPen(Qt::NoPen);
                p.fillPath(freccia, ColoreSelezione);
            }
        }
    }

    // Proposed corrections: a diamond at the target height of their point.
    p.setPen(QPen(Qt::white, 10));
    p.setBrush(ColoreMarcatore);
    for (const auto &[punto, passi] : m_modello.Marcatori()) {
        if (punto < 0 || punto >= ModelloRetta::NumPunti)
            continue;
        const double x = M::RettangoloPunto(punto, 0).center().x() + 0.5;
        const double y = M::Y(passi, zoom);
        const QPointF rombo[4] = {{x, y - 100}, {x + 80, y}, {x, y + 100}, {x - 80, y}};
        p.drawPolygon(rombo, 4);
    }

    if (m_modello.CursoreVisibile()) {
        const double x = M::RettangoloPunto(m_modello.CursorePunto(), 0).center().x() + 0.5;
        p.setPen(QPen(ColoreCursore, 20, Qt::DashLine));
        p.drawLine(QPointF(x, M::Sfondo.top()), QPointF(x, M::Sfondo.bottom()));
        const double yCursore = M::LineaZero - (M::LineaZero - m_modello.CursoreY()) * zoom;
        p.drawLine(QPointF(M::Sfondo.left(), yCursore), QPointF(M::Sfondo.right(), yCursore));
        // ShpCalibP: the working point, pulsing every 250 ms.
        p.setPen(QPen(ColoreCursore, 25));
        const bool fase = m_modello.FaseCalib();
        p.setBrush(fase ? ColoreCursore : QColor(Qt::transparent));
        const double raggio = fase ? 75.0 : 120.0;
        p.drawEllipse(QPointF(x, yCursore), raggio, raggio);
    }
    // A disabled page (no ECU answers) shows an old line: the same grey
    // wash as the live bar's old values.
    if (!isEnabled())
        p.fillRect(M::Sfondo, QColor(236, 236, 236, 175));
}

void FrmRettaGrafico::DisegnaScale(QPainter &p, double zoom)
{
    // The correction in ms on the grid lines (every 20 steps, 1.28 ms) and
    // the petrol time in ms under every 5th point.
    // The painter counts in twips: one point is 20 twips.
    QFont font = this->font();
    font.setPixelSize(qRound(font.pointSizeF() * 20 * 0.85));
    p.setFont(font);
    p.setPen(QColor(120, 120, 110));
    const QString sep = m_sepDecimale;
    const int etichettePassi = zoom >= 4 ? 5 : zoom >= 2 ? 10 : 20;
    for (int passi = -140; passi <= 140; passi += etichettePassi) {
        const int y = qRound(M::Y(passi, zoom));
        if (passi == 0 || y - 90 < M::Sfondo.top() || y + 90 > M::Sfondo.bottom())
            continue;
        const QString testo = ModelloRetta::TestoMs(passi * double(ModelloRetta::GetCorrUSec()), 2, sep);
        p.drawText(QRect(M::Sfondo.left() + 30, y - 230, 1200, 220), Qt::AlignLeft | Qt::AlignBottom,
                   passi > 0 ? QLatin1Char('+') + testo : testo);
    }
    const auto &scala = m_modello.Retta().Scala;
    if (std::all_of(scala.begin(), scala.end(), [](qint32 v) { return v == 0; }))
        return;
    for (int i = 0; i < ModelloRetta::NumPunti; i += 5) {
        const int x = M::RettangoloPunto(i, 0).center().x();
        p.drawLine(x, M::Sfondo.bottom(), x, M::Sfondo.bottom() + 60);
        p.drawText(QRect(x - 400, M::Sfondo.bottom() + 60, 800, 220), Qt::AlignHCenter | Qt::AlignTop,
                   ModelloRetta::TestoMs(scala[i], 1, sep));
    }
}

void FrmRettaGrafico::mousePressEvent(QMouseEvent *evento)
{
    const double x = evento->position().x() * 1440.0 / logicalDpiX();
    const double y = evento->position().y() * 1440.0 / logicalDpiY();
    const int k = m_modello.PivotAlClic(x, y);
    if (k >= 0)
        emit pivotCliccato(k);
}

} // namespace gascal
