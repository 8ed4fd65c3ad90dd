#include "ui/common/ApplicaFont.h"

#include <QWidget>

namespace gascal {

namespace {
void ImpostaFamiglia(QWidget *controllo, const QString &nomeFont)
{
    QFont font = controllo->font();
    if (font.family() == nomeFont)
        return;
    font.setFamily(nomeFont);
    controllo->setFont(font);
}
} // namespace

void ApplicaFont(QWidget *finestra, int charset, const QString &nomeFont)
{
    if (finestra == nullptr || nomeFont.isEmpty() || charset < 0 || charset > 255)
        return;
    ImpostaFamiglia(finestra, nomeFont);
    const QList<QWidget *> controlli = finestra->findChildren<QWidget *>();
    for (QWidget *controllo : controlli)
        ImpostaFamiglia(controllo, nomeFont);
}

} // namespace gascal
