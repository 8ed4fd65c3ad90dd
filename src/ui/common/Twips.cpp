#include "ui/common/Twips.h"

#include <QWidget>
#include <cmath>

namespace gascal::Twips {

namespace {
int Converti(double valore, double numeratore, double denominatore)
{
    return static_cast<int>(std::lround(valore * numeratore / denominatore));
}
} // namespace

int PxX(int twips, const QWidget *finestra)
{
    return Converti(twips, finestra->logicalDpiX(), 1440.0);
}

int PxY(int twips, const QWidget *finestra)
{
    return Converti(twips, finestra->logicalDpiY(), 1440.0);
}

int DaPxX(int px, const QWidget *finestra)
{
    return Converti(px, 1440.0, finestra->logicalDpiX());
}

int DaPxY(int px, const QWidget *finestra)
{
    return Converti(px, 1440.0, finestra->logicalDpiY());
}

void Posiziona(QWidget *controllo, int left, int top, int width, int height)
{
    controllo->setGeometry(PxX(left, controllo), PxY(top, controllo), PxX(width, controllo),
                           PxY(height, controllo));
}

void Dimensiona(QWidget *finestra, int width, int height)
{
    finestra->resize(PxX(width, finestra), PxY(height, finestra));
}

} // namespace gascal::Twips
