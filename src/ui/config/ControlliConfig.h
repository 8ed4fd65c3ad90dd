#pragma once

#include <QString>

class QComboBox;
class QLabel;
class QWidget;

namespace gascal {

struct ListaScelte;

// The small pieces the two configuration pages share: the combo box bound
// to a list of the core, and property writes that happen only on change.
namespace ControlliConfig {

// A list-style combo box named after its design control.
QComboBox *Combo(QWidget *genitore, const char *nome);
// A caption label with its design text.
QLabel *Etichetta(QWidget *genitore, const char *nome, const QString &testo);
// A group title: bold.
QLabel *Titolo(QWidget *genitore, const char *nome, const QString &testo);

// Shows the list in the combo box: items, selection, enabled and shown
// state, each written only when it differs, without raising the user's
// choice signal.
void Mostra(QComboBox *combo, const ListaScelte &lista);

void ImpostaTesto(QLabel *etichetta, const QString &testo);
void ImpostaVisibile(QWidget *controllo, bool visibile);

} // namespace ControlliConfig
} // namespace gascal
