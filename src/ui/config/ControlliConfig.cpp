#include "ui/config/ControlliConfig.h"

#include "config/ListaScelte.h"
#include "ui/common/FiltroRotella.h"
#include "ui/common/Twips.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>

namespace gascal::ControlliConfig {

QComboBox *Combo(QWidget *genitore, const char *nome)
{
    auto *c = new QComboBox(genitore);
    c->setObjectName(QLatin1String(nome));
    c->setEditable(false);
    c->setSizeAdjustPolicy(QComboBox::AdjustToContentsOnFirstShow);
    c->setMaxVisibleItems(16);
    FiltroRotella::Applica(c);
    return c;
}

QLabel *Etichetta(QWidget *genitore, const char *nome, const QString &testo)
{
    auto *l = new QLabel(testo, genitore);
    l->setObjectName(QLatin1String(nome));
    l->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    return l;
}

QLabel *Titolo(QWidget *genitore, const char *nome, const QString &testo)
{
    QLabel *l = Etichetta(genitore, nome, testo);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    l->setAutoFillBackground(true);
    return l;
}

void PosizionaTitolo(QLabel *titolo, int left, int top)
{
    titolo->adjustSize();
    titolo->move(Twips::PxX(left, titolo), Twips::PxY(top, titolo) - titolo->height() / 2);
}

void PosizionaEtichetta(QLabel *etichetta, int left, int top, int width)
{
    etichetta->setWordWrap(true);
    Twips::Posiziona(etichetta, left, top - 60, width, 480);
}

void Mostra(QComboBox *combo, const ListaScelte &lista)
{
    const QSignalBlocker blocco(combo);
    QStringList attuali;
    attuali.reserve(combo->count());
    for (int i = 0; i < combo->count(); ++i)
        attuali << combo->itemText(i);
    if (attuali != lista.Voci) {
        combo->clear();
        combo->addItems(lista.Voci);
        combo->setCurrentIndex(-1);
    }
    if (combo->currentIndex() != lista.Selezione)
        combo->setCurrentIndex(lista.Selezione);
    // The list's own state: a page disabled during an operation disables its
    // controls only for that time.
    if (combo->testAttribute(Qt::WA_ForceDisabled) == lista.Abilitata)
        combo->setEnabled(lista.Abilitata);
    ImpostaVisibile(combo, lista.Visibile);
}


} // namespace gascal::ControlliConfig
