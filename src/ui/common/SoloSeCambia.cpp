#include "ui/common/SoloSeCambia.h"

#include <QLabel>

namespace gascal {

void ImpostaTesto(QLabel *etichetta, const QString &testo)
{
    if (etichetta->text() != testo)
        etichetta->setText(testo);
}

void ImpostaVisibile(QWidget *controllo, bool visibile)
{
    if (controllo->isHidden() == visibile)
        controllo->setVisible(visibile);
}

} // namespace gascal
