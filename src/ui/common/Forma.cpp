#include "ui/common/Forma.h"

#include <QPainter>

namespace gascal {

Forma::Forma(Tipo tipo, QWidget *parent) : QWidget(parent), m_tipo(tipo)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Forma::ImpostaOpaca(bool opaca)
{
    if (m_opaca == opaca)
        return;
    m_opaca = opaca;
    update();
}

void Forma::ImpostaColoreRiempimento(const QColor &colore)
{
    if (m_riempimento == colore)
        return;
    m_riempimento = colore;
    update();
}

void Forma::ImpostaColoreBordo(const QColor &colore)
{
    if (m_bordo == colore)
        return;
    m_bordo = colore;
    update();
}

void Forma::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, m_tipo == Tipo::Cerchio);
    p.setPen(QPen(m_bordo, 1));
    p.setBrush(m_opaca ? QBrush(m_riempimento) : QBrush(Qt::NoBrush));
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (m_tipo == Tipo::Cerchio)
        p.drawEllipse(r);
    else
        p.drawRect(r);
}

} // namespace gascal
