#include "ui/common/Immagine.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace gascal {

namespace {

QColor Tinta(bool acceso, const QColor &colore)
{
    if (acceso)
        return colore;
    const int g = qGray(colore.rgb());
    return QColor(g / 2 + 96, g / 2 + 96, g / 2 + 96);
}

void Pompa(QPainter &p, const QRectF &r, bool acceso)
{
    const QColor corpo = Tinta(acceso, QColor(0, 150, 60));
    p.setPen(QPen(Qt::black, r.width() / 40));
    p.setBrush(corpo);
    const QRectF colonna(r.left() + r.width() * 0.18, r.top() + r.height() * 0.12,
                         r.width() * 0.45, r.height() * 0.78);
    p.drawRoundedRect(colonna, r.width() * 0.05, r.width() * 0.05);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(colonna.left() + colonna.width() * 0.15, colonna.top() + colonna.height() * 0.1,
                      colonna.width() * 0.7, colonna.height() * 0.3));
    QPainterPath tubo;
    tubo.moveTo(colonna.right(), colonna.top() + colonna.height() * 0.2);
    tubo.lineTo(r.left() + r.width() * 0.8, colonna.top() + colonna.height() * 0.3);
    tubo.lineTo(r.left() + r.width() * 0.8, colonna.bottom() - colonna.height() * 0.2);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Tinta(acceso, Qt::black), r.width() / 16, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(tubo);
}

void Bombola(QPainter &p, const QRectF &r, bool acceso)
{
    p.setPen(QPen(Qt::black, r.width() / 40));
    p.setBrush(Tinta(acceso, QColor(30, 110, 220)));
    const QRectF corpo(r.left() + r.width() * 0.1, r.top() + r.height() * 0.3, r.width() * 0.8,
                       r.height() * 0.5);
    p.drawRoundedRect(corpo, corpo.height() / 2, corpo.height() / 2);
    p.setBrush(Tinta(acceso, QColor(200, 200, 200)));
    p.drawRect(QRectF(r.center().x() - r.width() * 0.08, r.top() + r.height() * 0.15,
                      r.width() * 0.16, r.height() * 0.15));
    p.setPen(QPen(Tinta(acceso, Qt::white), r.width() / 30));
    p.setFont(QFont(p.font().family(), -1, QFont::Bold));
    QFont f = p.font();
    f.setPixelSize(qMax(6, static_cast<int>(corpo.height() * 0.55)));
    p.setFont(f);
    p.drawText(corpo, Qt::AlignCenter, QStringLiteral("GAS"));
}

void Chiave(QPainter &p, const QRectF &r, bool acceso)
{
    const QColor oro = Tinta(acceso, QColor(230, 180, 20));
    p.setPen(QPen(Qt::black, r.width() / 40));
    p.setBrush(oro);
    const double d = r.width() * 0.36;
    p.drawEllipse(QRectF(r.left() + r.width() * 0.08, r.center().y() - d / 2, d, d));
    p.setBrush(p.pen().color());
    p.drawEllipse(QRectF(r.left() + r.width() * 0.08 + d * 0.35, r.center().y() - d * 0.15, d * 0.3, d * 0.3));
    p.setBrush(oro);
    const double y = r.center().y() - r.height() * 0.06;
    p.drawRect(QRectF(r.left() + r.width() * 0.08 + d, y, r.width() * 0.48, r.height() * 0.12));
    p.drawRect(QRectF(r.right() - r.width() * 0.26, y + r.height() * 0.12, r.width() * 0.08, r.height() * 0.12));
    p.drawRect(QRectF(r.right() - r.width() * 0.14, y + r.height() * 0.12, r.width() * 0.06, r.height() * 0.08));
}

void Valvola(QPainter &p, const QRectF &r, bool acceso)
{
    p.setPen(QPen(Qt::black, r.width() / 40));
    p.setBrush(Tinta(acceso, QColor(220, 40, 40)));
    p.drawRect(QRectF(r.left() + r.width() * 0.28, r.top() + r.height() * 0.1, r.width() * 0.44,
                      r.height() * 0.42));
    p.setBrush(Tinta(acceso, QColor(170, 170, 170)));
    p.drawRect(QRectF(r.left() + r.width() * 0.08, r.top() + r.height() * 0.6, r.width() * 0.84,
                      r.height() * 0.2));
    p.drawRect(QRectF(r.center().x() - r.width() * 0.06, r.top() + r.height() * 0.52,
                      r.width() * 0.12, r.height() * 0.08));
    // coil windings
    p.setPen(QPen(Tinta(acceso, QColor(120, 0, 0)), r.width() / 30));
    for (int i = 1; i <= 3; ++i) {
        const double y = r.top() + r.height() * (0.1 + 0.105 * i);
        p.drawLine(QPointF(r.left() + r.width() * 0.3, y), QPointF(r.right() - r.width() * 0.3, y));
    }
}

void Manometro(QPainter &p, const QRectF &r, bool acceso)
{
    p.setPen(QPen(Qt::black, r.width() / 30));
    p.setBrush(Qt::white);
    const QRectF q = r.adjusted(r.width() * 0.1, r.height() * 0.1, -r.width() * 0.1, -r.height() * 0.1);
    p.drawEllipse(q);
    p.setPen(QPen(Tinta(acceso, QColor(200, 0, 0)), r.width() / 20, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(q.center(), QPointF(q.right() - q.width() * 0.2, q.top() + q.height() * 0.25));
    p.setPen(QPen(Qt::black, r.width() / 40));
    p.drawArc(q.adjusted(q.width() * 0.15, q.height() * 0.15, -q.width() * 0.15, -q.height() * 0.15),
              -30 * 16, 240 * 16);
}

void Termometro(QPainter &p, const QRectF &r, bool acceso)
{
    p.setPen(QPen(Qt::black, r.width() / 40));
    p.setBrush(Qt::white);
    const double w = r.width() * 0.18;
    p.drawRoundedRect(QRectF(r.center().x() - w / 2, r.top() + r.height() * 0.08, w, r.height() * 0.65), w / 2, w / 2);
    p.setBrush(Tinta(acceso, QColor(220, 30, 30)));
    const double d = r.width() * 0.34;
    p.drawEllipse(QRectF(r.center().x() - d / 2, r.bottom() - r.height() * 0.08 - d, d, d));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(r.center().x() - w / 4, r.top() + r.height() * 0.35, w / 2, r.height() * 0.35));
}

void Logo(QPainter &p, const QRectF &r)
{
    QLinearGradient sfondo(r.topLeft(), r.bottomLeft());
    sfondo.setColorAt(0, QColor(20, 60, 140));
    sfondo.setColorAt(1, QColor(5, 25, 70));
    p.setPen(QPen(QColor(200, 210, 230), 1));
    p.setBrush(sfondo);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), r.height() * 0.15, r.height() * 0.15);
    // a flame: the gas
    const double h = r.height() * 0.7;
    const QPointF base(r.left() + r.height() * 0.55, r.center().y() + h / 2);
    QPainterPath fiamma;
    fiamma.moveTo(base);
    fiamma.cubicTo(base + QPointF(-h * 0.45, -h * 0.2), base + QPointF(-h * 0.1, -h * 0.7),
                   base + QPointF(h * 0.05, -h));
    fiamma.cubicTo(base + QPointF(h * 0.15, -h * 0.6), base + QPointF(h * 0.45, -h * 0.3), base);
    QLinearGradient fuoco(base, base + QPointF(0, -h));
    fuoco.setColorAt(0, QColor(40, 120, 255));
    fuoco.setColorAt(0.5, QColor(255, 160, 0));
    fuoco.setColorAt(1, QColor(255, 230, 80));
    p.setPen(Qt::NoPen);
    p.setBrush(fuoco);
    p.drawPath(fiamma);
    QFont f = p.font();
    f.setBold(true);
    f.setItalic(true);
    f.setPixelSize(qMax(8, static_cast<int>(r.height() * 0.42)));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(r.adjusted(r.height() * 1.0, 0, -r.height() * 0.1, 0), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("GasCal"));
}

} // namespace

Immagine::Immagine(Tipo tipo, bool acceso, QWidget *parent)
    : QWidget(parent), m_tipo(tipo), m_acceso(acceso)
{
}

void Immagine::ImpostaRialzata(bool rialzata)
{
    if (m_rialzata == rialzata)
        return;
    m_rialzata = rialzata;
    update();
}

void Immagine::Disegna(QPainter &p, const QRectF &r, Tipo tipo, bool acceso)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    switch (tipo) {
    case Tipo::Benzina: Pompa(p, r, acceso); break;
    case Tipo::Gas: Bombola(p, r, acceso); break;
    case Tipo::Chiave: Chiave(p, r, acceso); break;
    case Tipo::Elettrovalvola: Valvola(p, r, acceso); break;
    case Tipo::Pressione: Manometro(p, r, acceso); break;
    case Tipo::Termometro: Termometro(p, r, acceso); break;
    case Tipo::Logo: Logo(p, r); break;
    }
    p.restore();
}

void Immagine::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QRectF r = QRectF(rect());
    if (m_rialzata) {
        // raised: light top-left edge, dark bottom-right edge
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(QPen(Qt::darkGray, 2));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        r.adjust(2, 2, -2, -2);
    }
    Disegna(p, r, m_tipo, m_acceso);
}

void Immagine::mousePressEvent(QMouseEvent *evento)
{
    emit premuta(evento->modifiers());
}

void Immagine::mouseReleaseEvent(QMouseEvent *evento)
{
    emit rilasciata(evento->modifiers());
}

} // namespace gascal
