#include "ui/interp/GraficoCampioni.h"

#include "ui/common/Twips.h"

#include <QPainter>
#include <algorithm>

namespace gascal {

GraficoCampioni::GraficoCampioni(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

double GraficoCampioni::UnitaTwips(int latoTwips)
{
    return std::max(15.0, (latoTwips - 90) / static_cast<double>(Unita));
}

QPointF GraficoCampioni::PosizioneTwips(qint32 X, qint32 Y, QSizeF latoTwips)
{
    const double ux = UnitaTwips(static_cast<int>(latoTwips.width()));
    const double uy = UnitaTwips(static_cast<int>(latoTwips.height()));
    return {OrigineTwips + Y / 5.0 * ux, OrigineTwips + X / 100.0 * uy};
}

void GraficoCampioni::ImpostaSerie(const Serie &benzina, const Serie &gas)
{
    m_benzina = benzina;
    m_gas = gas;
    update();
}

void GraficoCampioni::ImpostaGriglia(const QVector<qint32> &quote, const QVector<qint32> &tempi)
{
    m_quote = quote;
    m_tempi = tempi;
    update();
}

void GraficoCampioni::ImpostaCursore(qint32 quota, qint32 tempo)
{
    if (quota == m_cursoreQuota && tempo == m_cursoreTempo)
        return;
    m_cursoreQuota = quota;
    m_cursoreTempo = tempo;
    update();
}

QPointF GraficoCampioni::Px(qint32 X, qint32 Y) const
{
    const QSizeF lato(Twips::DaPxX(width(), this), Twips::DaPxY(height(), this));
    const QPointF t = PosizioneTwips(X, Y, lato);
    return {t.x() * logicalDpiX() / 1440.0, t.y() * logicalDpiY() / 1440.0};
}

void GraficoCampioni::DisegnaGriglia(QPainter &p) const
{
    const QPointF origine = Px(0, 0);
    const QPointF fine = Px(100 * Unita, 5 * Unita);
    p.setPen(QPen(QColor(200, 200, 200), 1));
    p.setFont(QFont(font().family(), 7));
    const QFontMetrics fm(p.font());
    for (qint32 q : m_quote) {
        const double x = Px(0, q).x();
        p.drawLine(QPointF(x, origine.y()), QPointF(x, fine.y()));
    }
    for (qint32 t : m_tempi) {
        const double y = Px(t, 0).y();
        p.drawLine(QPointF(origine.x(), y), QPointF(fine.x(), y));
    }
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(origine, QPointF(fine.x(), origine.y()));
    p.drawLine(origine, QPointF(origine.x(), fine.y()));
    p.setPen(QColor(90, 90, 90));
    // Row quantity along the top edge, petrol time in ms down the left one.
    for (qint32 q : m_quote.mid(1)) {
        const QString testo = QString::number(q);
        const double larghezza = fm.horizontalAdvance(testo);
        const double x = std::min(Px(0, q).x() - larghezza / 2.0, width() - larghezza - 3.0);
        p.drawText(QPointF(x, origine.y() + fm.ascent() + 2), testo);
    }
    for (qint32 t : m_tempi.mid(1)) {
        const QString testo = QString::number(t / 1000);
        p.drawText(QPointF(origine.x() + 3, Px(t, 0).y() - 2), testo);
    }
}

void GraficoCampioni::DisegnaSerie(QPainter &p, const Serie &serie) const
{
    const double lato = Twips::PxX(30, this);
    p.setPen(Qt::NoPen);
    p.setBrush(serie.colore);
    for (const Punto &punto : serie.curva) {
        if (punto == Punto{})
            continue; // the trimmed ends
        const QPointF c = Px(punto.X, punto.Y);
        p.drawRect(QRectF(c.x() - lato / 2, c.y() - lato / 2, lato, lato));
    }
    // The samples: rings around the mean of each row.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(serie.colore.darker(130), 1.5));
    const double raggio = Twips::PxX(60, this);
    for (int r = 0; r < TabelleCampioni::Righe; ++r) {
        if (serie.campioni[r] > 0)
            p.drawEllipse(Px(serie.campioni[r], 32 * r), raggio, raggio);
    }
}

void GraficoCampioni::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setRenderHint(QPainter::Antialiasing);
    DisegnaGriglia(p);
    if (m_cursoreQuota >= 0 && m_cursoreTempo >= 0) {
        const QPointF c = Px(m_cursoreTempo, m_cursoreQuota);
        p.setPen(QPen(QColor(160, 160, 160), 1, Qt::DashLine));
        p.drawLine(QPointF(c.x(), Px(0, 0).y()), QPointF(c.x(), height()));
        p.drawLine(QPointF(Px(0, 0).x(), c.y()), QPointF(width(), c.y()));
    }
    DisegnaSerie(p, m_benzina);
    DisegnaSerie(p, m_gas);
    p.setPen(QColor(128, 128, 128));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace gascal
