#pragma once

#include "config/LogicaCommutazione.h"
#include "config/LogicaIniettori.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace gascal {

// The settings of the two configuration pages under stable command-line
// names: each list of the pages as NAME = ITEM (the item the page would
// show), plus the raw values the pages show outside lists. Built on the
// pages' own core classes, so the tool and the pages agree.
class ImpostazioniPerNome
{
public:
    explicit ImpostazioniPerNome(Contesto &ctx);

    // The lists (from the scale configuration and the dictionary).
    void RiempiListe();
    // What the pages show of the ECU's values.
    void Aggiorna();

    // Every setting, one a line: "NAME = ITEM" ("-" when no item matches).
    QStringList Righe() const;
    // The line of one setting; empty for an unknown name.
    QString Riga(const QString &nome) const;
    // The names of the lists that `set` accepts, and of every setting.
    QStringList NomiListe() const;
    QStringList NomiTutti() const;
    // The list of a name, or null.
    const ListaScelte *Lista(const QString &nome) const;
    // The position of an item in a list, matched as text after trimming; -1.
    static int CercaVoce(const ListaScelte &lista, const QString &voce);
    // Why the item cannot be chosen now (a hidden or disabled list, the
    // interpolation entry); empty when it can.
    QString Ostacolo(const QString &nome, int voce) const;
    // Applies the page's handler for the item: true when it asked for the
    // write (operation 7).
    bool Scegli(const QString &nome, int voce);

    LogicaCommutazione Commutazione;
    LogicaIniettori Iniettori;

private:
    struct Voce {
        const char *nome;
        ListaScelte *lista;
        std::function<bool(int)> scegli;
    };
    struct Valore {
        const char *nome;
        std::function<qint32()> leggi;
    };
    const Voce *Trova(const QString &nome) const;

    Contesto &m_ctx;
    std::vector<Voce> m_liste;
    std::vector<Valore> m_valori;
};

} // namespace gascal
