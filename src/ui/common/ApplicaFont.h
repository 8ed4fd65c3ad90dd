#pragma once

#include <QString>

class QWidget;

namespace gascal {

// Gives a window and every control on it the dictionary's font. Nothing
// happens for an empty font name or a character set outside 0..255; the
// character set itself needs no setting (texts are Unicode), only the check.
void ApplicaFont(QWidget *finestra, int charset, const QString &nomeFont);

} // namespace gascal
