#include "ui/common/IconePulsanti.h"

#include <QPainter>
#include <QPixmap>

namespace gascal::IconePulsanti {

namespace {

// A closed polygon given in fractions of the icon's side.
void Poligono(QPainter &p, double l, std::initializer_list<QPointF> punti)
{
    QPolygonF poligono;
    for (const QPointF &punto : punti)
        poligono << QPointF(punto.x() * l, punto.y() * l);
    p.drawPolygon(poligono);
}

void Disegna(QPainter &p, double l, Tipo tipo)
{
    const QPen tratto(Qt::black, l / 16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(tratto);
    switch (tipo) {
    case Tipo::Info: {
        p.setBrush(QColor(40, 110, 220));
        p.drawEllipse(QRectF(l * 0.1, l * 0.1, l * 0.8, l * 0.8));
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(static_cast<int>(l * 0.6));
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 0, l, l), Qt::AlignCenter, QStringLiteral("i"));
        break;
    }
    case Tipo::Lingua: {
        p.setBrush(QColor(120, 190, 255));
        const QRectF g(l * 0.1, l * 0.1, l * 0.8, l * 0.8);
        p.drawEllipse(g);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(g.adjusted(l * 0.22, 0, -l * 0.22, 0));
        p.drawLine(QPointF(g.left(), l / 2), QPointF(g.right(), l / 2));
        p.drawLine(QPointF(l / 2, g.top()), QPointF(l / 2, g.bottom()));
        break;
    }
    case Tipo::Apri: {
        p.setBrush(QColor(240, 200, 80));
        Poligono(p, l, {{0.08, 0.82}, {0.08, 0.22}, {0.38, 0.22}, {0.46, 0.32}, {0.8, 0.32}, {0.8, 0.45}, {0.92, 0.45}, {0.8, 0.82}});
        break;
    }
    case Tipo::Salva: {
        p.setBrush(QColor(60, 80, 160));
        p.drawRoundedRect(QRectF(l * 0.12, l * 0.12, l * 0.76, l * 0.76), l * 0.06, l * 0.06);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(l * 0.28, l * 0.12, l * 0.44, l * 0.28));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(l * 0.26, l * 0.56, l * 0.48, l * 0.32));
        break;
    }
    case Tipo::Pagina: {
        p.setBrush(QColor(0, 160, 80));
        Poligono(p, l, {{0.12, 0.38}, {0.55, 0.38}, {0.55, 0.18}, {0.9, 0.5}, {0.55, 0.82}, {0.55, 0.62}, {0.12, 0.62}});
        break;
    }
    case Tipo::Aggiorna: {
        p.setBrush(QColor(60, 60, 60));
        p.drawRect(QRectF(l * 0.25, l * 0.25, l * 0.5, l * 0.5));
        for (int i = 0; i < 3; ++i) {
            const double c = l * (0.34 + 0.16 * i);
            p.drawLine(QPointF(c, l * 0.1), QPointF(c, l * 0.25));
            p.drawLine(QPointF(c, l * 0.75), QPointF(c, l * 0.9));
            p.drawLine(QPointF(l * 0.1, c), QPointF(l * 0.25, c));
            p.drawLine(QPointF(l * 0.75, c), QPointF(l * 0.9, c));
        }
        break;
    }
    case Tipo::Via: {
        p.setBrush(QColor(0, 180, 0));
        QPolygonF triangolo;
        triangolo << QPointF(l * 0.25, l * 0.15) << QPointF(l * 0.85, l * 0.5) << QPointF(l * 0.25, l * 0.85);
        p.drawPolygon(triangolo);
        break;
    }
    case Tipo::Alt:
        p.setBrush(QColor(210, 0, 0));
        p.drawRect(QRectF(l * 0.2, l * 0.2, l * 0.6, l * 0.6));
        break;
    }
}

} // namespace

QIcon Icona(Tipo tipo, int lato)
{
    QPixmap pm(lato, lato);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    Disegna(p, lato, tipo);
    return QIcon(pm);
}

} // namespace gascal::IconePulsanti
