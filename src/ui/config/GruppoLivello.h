#pragma once

#include <QObject>
#include <array>

class QComboBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QWidget;

namespace gascal {

class Forma;
class LogicaLivello;

// The level group of the injector page: sensor type, default button, the
// four mark bars with their labels and lamps, the two live readings, and the
// empty-tank and full-tank buttons. Its controls sit on the page; it binds
// them to LogicaLivello. Bar and lamp k: 0 = 3/4, 1 = 2/4, 2 = 1/4, 3 = R.
class GruppoLivello : public QObject
{
    Q_OBJECT
public:
    GruppoLivello(LogicaLivello &logica, QWidget *pagina);

    // Places the group at a rectangle of the page (twips).
    void Disponi(int left, int top, int width);
    // Shows what the logic holds (lists, bars, labels, captions).
    void Mostra();
    // The live part: readings and lamps, written only on change.
    void MostraLive();

    QComboBox *CmbTipoLev;
    QPushButton *CmdLevDef, *CmdMinimo, *CmdMassimo;
    QLabel *LblParaFineGas, *LblLivelli, *LblLevelNoFiltro, *LblLevelFiltro, *LblLevelNoFiltroVal,
        *LblLevelFiltroVal;
    std::array<QLabel *, 4> LblLevel{};
    std::array<QScrollBar *, 4> HScrLevel{};
    std::array<Forma *, 4> ShpLevel{};
    Forma *ShpLivello;

private:
    void HScrLevel_Change(int k, int valore);

    LogicaLivello &m_logica;
    QWidget *m_pagina;
};

} // namespace gascal
