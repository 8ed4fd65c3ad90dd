#pragma once

#include "ui/common/SoloSeCambia.h"

#include <QString>

class QComboBox;
class QLabel;
class QWidget;

namespace gascal {

struct ListaScelte;

// The small pieces the two configuration pages share: the combo box bound
// to a list of the core, captions and titles.
namespace ControlliConfig {

// A list-style combo box named after its design control; the wheel changes
// it only while it has the focus.
QComboBox *Combo(QWidget *genitore, const char *nome);
// A caption label with its design text.
QLabel *Etichetta(QWidget *genitore, const char *nome, const QString &testo);
// A group title: bold.
QLabel *Titolo(QWidget *genitore, const char *nome, const QString &testo);
// Places a group title on the top border of its frame (twips), centred on
// the line whatever the font's height.
void PosizionaTitolo(QLabel *titolo, int left, int top);
// Places a caption left of its list, row `top` being the list's top (twips):
// two lines fit when a translation is long.
void PosizionaEtichetta(QLabel *etichetta, int left, int top, int width);

// Shows the list in the combo box: items, selection, enabled and shown
// state, each written only when it differs, without raising the user's
// choice signal.
void Mostra(QComboBox *combo, const ListaScelte &lista);

} // namespace ControlliConfig
} // namespace gascal
