#include "ui/line/FrmRettaGrafico.h"

#include "app/Conversioni.h"
#include "ui/line/ModelloRetta.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace gascal {

const QRect FrmRettaGrafico::Sfondo(240, 480, 8880, 9120);

namespace {
const QColor ColoreBarra(46, 125, 50);
const QColor ColoreBarraPivot(21, 67, 24);
const QColor ColorePivot(25, 70, 170);
const QColor ColoreSelezione(220, 30, 30);
const QColor ColoreCursore(230, 120, 0);
const QColor ColoreMarcatore(200, 0, 160);
} // namespace

FrmRettaGrafico::FrmRettaGrafico(const ModelloRetta &modello, QWidget *parent)
    : QWidget(parent), m_modello(modello)
{
    setObjectName(QStringLiteral("ImgRetta"));
}

QRect FrmRettaGrafico::RettangoloPunto(int i, qint32 v)
{
    const int left = SinistraPrimaBarra + i * (LarghezzaBarra + SpazioBarre);
    if (v >= 0)
        return {left, LineaZero - TwipsPerPasso * v, LarghezzaBarra, TwipsPerPasso * v + AltezzaBase};
    return {left, LineaZero, LarghezzaBarra, TwipsPerPasso * -v + AltezzaBase};
}

void FrmRettaGrafico::ImpostaAdatta(bool adatta)
{
    if (adatta != m_adatta) {
        m_adatta = adatta;
        update();
    }
}

double FrmRettaGrafico::Zoom() const
{
    if (!m_adatta)
        return 1.0;
    // The farthest heights above and below zero, in steps, of the bars, the
    // markers and the working point.
    double sopra = 0, sotto = 0;
    for (qint32 v : m_modello.Retta) {
        sopra = std::max<double>(sopra, v);
        sotto = std::max<double>(sotto, -v);
    }
    for (const auto &[punto, passi] : m_marcatori) {
        sopra = std::max(sopra, passi);
        sotto = std::max(sotto, -passi);
    }
    if (m_cursore) {
        const double passi = double(LineaZero - m_yCursore) / TwipsPerPasso;
        sopra = std::max(sopra, passi);
        sotto = std::max(sotto, -passi);
    }
    // Room above for the selection arrow, below for the bars' base.
    const double spazioSopra = LineaZero - Sfondo.top() - 450;
    const double spazioSotto = Sfondo.bottom() - LineaZero - AltezzaBase - 150;
    double zoom = ZoomMassimo;
    if (sopra > 0)
        zoom = std::min(zoom, spazioSopra / (sopra * TwipsPerPasso));
    if (sotto > 0)
        zoom = std::min(zoom, spazioSotto / (sotto * TwipsPerPasso));
    return std::max(1.0, zoom);
}

QRectF FrmRettaGrafico::BarraDisegnata(int i, qint32 v) const
{
    const double zoom = Zoom();
    const QRect base = RettangoloPunto(i, 0);
    const double alto = TwipsPerPasso * zoom * std::abs(v) + AltezzaBase;
    return QRectF(base.left(), v >= 0 ? Y(v, zoom) : LineaZero, base.width(), alto);
}

int FrmRettaGrafico::PivotAlClic(double x, double y) const
{
    for (int i = 0; i < ModelloRetta::NumPunti; ++i) {
        const QRectF barra = BarraDisegnata(i, m_modello.Retta[i]);
        if (x >= barra.left() && x < barra.left() + barra.width() && y >= barra.top()
            && y < barra.top() + barra.height()) {
            for (int k = 0; k < ModelloRetta::NumPivot; ++k)
                if (qAbs(m_modello.Pivot[k] - i) <= 1)
                    return k;
            return -1;
        }
    }
    for (int k = 0; k < ModelloRetta::NumPivot; ++k) {
        const QRect barra = RettangoloPunto(m_modello.Pivot[k], 0);
        if (barra.left() - barra.width() < x && x <= barra.left() + 2 * barra.width())
            return k;
    }
    return -1;
}

void FrmRettaGrafico::ImpostaTuttiPunti(bool tutti)
{
    if (tutti != m_tutti) {
        m_tutti = tutti;
        update();
    }
}

void FrmRettaGrafico::ImpostaCursore(bool visibile, int punto, int yTwips)
{
    if (visibile == m_cursore && (!visibile || (punto == m_punto && yTwips == m_yCursore)))
        return;
    m_cursore = visibile;
    m_punto = punto;
    m_yCursore = yTwips;
    update();
}

void FrmRettaGrafico::ImpostaFaseCalib(int fase)
{
    if (fase != m_fase) {
        m_fase = fase;
        if (m_cursore)
            update();
    }
}

void FrmRettaGrafico::ImpostaMarcatori(const QVector<QPair<int, double>> &marcatori)
{
    m_marcatori = marcatori;
    update();
}

void FrmRettaGrafico::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.scale(logicalDpiX() / 1440.0, logicalDpiY() / 1440.0);
    p.setRenderHint(QPainter::Antialiasing);

    // Background with a grid every 10 steps (640 µs; closer when the
    // automatic range draws the steps taller) and the zero line.
    const double zoom = Zoom();
    const int grigliaPassi = zoom >= 4 ? 2 : zoom >= 2 ? 5 : 10;
    p.fillRect(Sfondo, QColor(250, 250, 244));
    p.setPen(QPen(QColor(220, 220, 210), 0));
    for (int passi = -150; passi <= 150; passi += grigliaPassi) {
        const double y = Y(passi, zoom);
        if (y > Sfondo.top() && y < Sfondo.bottom())
            p.drawLine(QPointF(Sfondo.left(), y), QPointF(Sfondo.right(), y));
    }
    p.setPen(QPen(Qt::black, 15));
    p.drawLine(Sfondo.left(), LineaZero, Sfondo.right(), LineaZero);
    p.setPen(QPen(Qt::gray, 0));
    p.drawRect(Sfondo);
    DisegnaScale(p, zoom);

    const auto &retta = m_modello.Retta;
    const auto &pivot = m_modello.Pivot;
    p.setPen(Qt::NoPen);
    for (int i = 0; i < ModelloRetta::NumPunti; ++i) {
        const bool diPivot = std::find(pivot.begin(), pivot.end(), i) != pivot.end();
        p.setBrush(diPivot && !m_tutti ? ColoreBarraPivot : ColoreBarra);
        p.drawRect(BarraDisegnata(i, retta[i]));
    }

    if (!m_tutti) {
        // Pivot markers sit on the value end of their bar; the selected one
        // is ringed and pointed at from above.
        for (int k = 0; k < ModelloRetta::NumPivot; ++k) {
            const QRect barra = RettangoloPunto(pivot[k], retta[pivot[k]]);
            const QPointF centro(barra.center().x() + 0.5, Y(retta[pivot[k]], zoom));
            p.setBrush(ColorePivot);
            p.setPen(QPen(Qt::white, 15));
            p.drawEllipse(centro, 90.0, 90.0);
            if (k == m_modello.PivotSel) {
                p.setBrush(Qt::NoBrush);
                p.setPen(QPen(ColoreSelezione, 30));
                p.drawEllipse(centro, 150.0, 150.0);
                QPainterPath freccia;
                const double cima = std::min<double>(centro.y(), LineaZero) - 210;
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
    for (const auto &[punto, passi] : m_marcatori) {
        if (punto < 0 || punto >= ModelloRetta::NumPunti)
            continue;
        const double x = RettangoloPunto(punto, 0).center().x() + 0.5;
        const double y = Y(passi, zoom);
        const QPointF rombo[4] = {{x, y - 100}, {x + 80, y}, {x, y + 100}, {x - 80, y}};
        p.drawPolygon(rombo, 4);
    }

    if (m_cursore) {
        const double x = RettangoloPunto(m_punto, 0).center().x() + 0.5;
        p.setPen(QPen(ColoreCursore, 20, Qt::DashLine));
        p.drawLine(QPointF(x, Sfondo.top()), QPointF(x, Sfondo.bottom()));
        const double yCursore = LineaZero - (LineaZero - m_yCursore) * zoom;
        p.drawLine(QPointF(Sfondo.left(), yCursore), QPointF(Sfondo.right(), yCursore));
        // ShpCalibP: the working point, pulsing every 250 ms.
        p.setPen(QPen(ColoreCursore, 25));
        p.setBrush(m_fase ? ColoreCursore : QColor(Qt::transparent));
        const double raggio = m_fase ? 75.0 : 120.0;
        p.drawEllipse(QPointF(x, yCursore), raggio, raggio);
    }
    // A disabled page (no ECU answers) shows an old line: the same grey
    // wash as the live bar's old values.
    if (!isEnabled())
        p.fillRect(Sfondo, QColor(236, 236, 236, 175));
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
        const int y = qRound(Y(passi, zoom));
        if (passi == 0 || y - 90 < Sfondo.top() || y + 90 > Sfondo.bottom())
            continue;
        const QString testo = ModelloRetta::TestoMs(passi * double(ModelloRetta::GetCorrUSec()), 2, sep);
        p.drawText(QRect(Sfondo.left() + 30, y - 230, 1200, 220), Qt::AlignLeft | Qt::AlignBottom,
                   passi > 0 ? QLatin1Char('+') + testo : testo);
    }
    const auto &scala = m_modello.Scala;
    if (std::all_of(scala.begin(), scala.end(), [](qint32 v) { return v == 0; }))
        return;
    for (int i = 0; i < ModelloRetta::NumPunti; i += 5) {
        const int x = RettangoloPunto(i, 0).center().x();
        p.drawLine(x, Sfondo.bottom(), x, Sfondo.bottom() + 60);
        p.drawText(QRect(x - 400, Sfondo.bottom() + 60, 800, 220), Qt::AlignHCenter | Qt::AlignTop,
                   ModelloRetta::TestoMs(scala[i], 1, sep));
    }
}

void FrmRettaGrafico::mousePressEvent(QMouseEvent *evento)
{
    const double x = evento->position().x() * 1440.0 / logicalDpiX();
    const double y = evento->position().y() * 1440.0 / logicalDpiY();
    const int k = PivotAlClic(x, y);
    if (k >= 0)
        emit pivotCliccato(k);
}

} // namespace gascal
