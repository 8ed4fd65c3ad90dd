#pragma once

#include <QRect>

class QWidget;

// Window positions and sizes are designed in twips (1/1440 inch). They become
// pixels through the screen's logical DPI, so the windows keep their
// proportions on HiDPI screens.
namespace gascal::Twips {

int PxX(int twips, const QWidget *finestra);
int PxY(int twips, const QWidget *finestra);
int DaPxX(int px, const QWidget *finestra);
int DaPxY(int px, const QWidget *finestra);
// Places a control at a rectangle given in twips.
void Posiziona(QWidget *controllo, int left, int top, int width, int height);
// Resizes a window to a size given in twips.
void Dimensiona(QWidget *finestra, int width, int height);

} // namespace gascal::Twips
