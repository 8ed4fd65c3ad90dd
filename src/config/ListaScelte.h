#pragma once

#include <QStringList>

namespace gascal {

// What a drop-down list of a configuration page shows: its items, the
// selected position (-1 = none), and whether it can be used and is shown.
// The page copies it into its combo box; the command-line tool prints it.
struct ListaScelte {
    QStringList Voci;
    int Selezione = -1;
    bool Abilitata = true;
    bool Visibile = true;

    // The selected item's text, empty without a selection.
    QString Testo() const { return Voci.value(Selezione); }
    void Svuota()
    {
        Voci.clear();
        Selezione = -1;
    }
    void Seleziona(int voce) { Selezione = voce >= 0 && voce < Voci.size() ? voce : -1; }
};

} // namespace gascal
