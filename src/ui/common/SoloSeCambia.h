#pragma once

class QLabel;
class QString;
class QWidget;

namespace gascal {

// Property writes that happen only on a change: the live parts are refreshed
// every tick, and an unchanged text or visibility must not repaint.
void ImpostaTesto(QLabel *etichetta, const QString &testo);
void ImpostaVisibile(QWidget *controllo, bool visibile);

} // namespace gascal
