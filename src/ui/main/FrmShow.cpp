#include "ui/main/FrmShow.h"

#include "app/Impostazioni.h"
#include "ui/common/Immagine.h"
#include "ui/common/Twips.h"

#include <QPainter>
#include <QTimer>

namespace gascal {

FrmShow::FrmShow(QWidget *owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint), Timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("FrmShow"));
    setAttribute(Qt::WA_DeleteOnClose);
    Twips::Dimensiona(this, 6000, 2700);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &FrmShow::Timer1_Timer);
    Timer1->start();
}

void FrmShow::Timer1_Timer()
{
    --Tag;
    if (Tag < 0) {
        Timer1->stop();
        close();
    }
}

void FrmShow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(5, 25, 70));
    const QRectF logo(width() * 0.08, height() * 0.15, width() * 0.84, height() * 0.5);
    Immagine::Disegna(p, logo, Immagine::Tipo::Logo, true);
    p.setPen(QColor(200, 210, 230));
    p.drawText(QRectF(0, height() * 0.7, width(), height() * 0.2), Qt::AlignCenter,
               Impostazioni::Versione());
}

} // namespace gascal
