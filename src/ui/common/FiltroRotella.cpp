#include "ui/common/FiltroRotella.h"

#include <QEvent>
#include <QWidget>

namespace gascal {

void FiltroRotella::Applica(QWidget *controllo)
{
    if (controllo->focusPolicy() == Qt::WheelFocus)
        controllo->setFocusPolicy(Qt::StrongFocus);
    controllo->installEventFilter(new FiltroRotella(controllo));
}

bool FiltroRotella::eventFilter(QObject *oggetto, QEvent *evento)
{
    if (evento->type() != QEvent::Wheel || static_cast<QWidget *>(oggetto)->hasFocus())
        return false;
    // Not taken: the application hands the wheel to the parent.
    evento->ignore();
    return true;
}

} // namespace gascal
