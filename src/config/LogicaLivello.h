#pragma once

#include "config/ListaScelte.h"

#include <QString>
#include <QVector>
#include <array>

namespace gascal {

class Contesto;
class LogicaPagina;

// The level group of the injector page without its window: the sensor type
// list, the four threshold bars (index k: 0 = 3/4, 1 = 2/4, 2 = 1/4, 3 = R),
// their labels and lamps, the two live readings and the captions of the
// empty-tank and full-tank buttons, with what each action queues.
class LogicaLivello
{
public:
    // Record 3 positions; record 1 positions of the live readings.
    enum : int { PosTipo = 7, PosSoglia0 = 8, PosSoglia3 = 11 };
    enum : int { PosStatoLive = 6, PosFiltrato = 7, PosNonFiltrato = 8 };
    static constexpr qint32 FlagInvertito = 32;
    static constexpr int MassimoBarra = 1023;
    static inline const QString Nessuna = QStringLiteral("- - -");

    LogicaLivello(Contesto &ctx, LogicaPagina &pagina);

    ListaScelte CmbTipoLev;
    std::array<int, 4> HScrLevel{};
    std::array<QString, 4> LblLevel{QStringLiteral("3/4 = 4,5 v"), QStringLiteral("2/4 = 3 v"),
                                    QStringLiteral("1/4 = 2 v"), QStringLiteral("R = 1 v")};
    std::array<bool, 4> ShpLevel{}; // lamp filled
    QString LblLevelFiltroVal = QStringLiteral("10,50");
    QString LblLevelNoFiltroVal = QStringLiteral("10,50");
    // The buttons' captions, and their tags (the words that the captions
    // take: the full-tank word on CmdMassimo, the empty-tank word on CmdMinimo).
    QString CaptionMinimo = QStringLiteral("** MINIMO");
    QString CaptionMassimo = QStringLiteral("**MASSIMO");
    QString TagMinimo;
    QString TagMassimo;

    // CmbTipoLev: the named records of the level table.
    void Riempi();
    // The level part of the refresh.
    void AggiornaSelezioni();
    // The live readings and lamps (every 100 ms while the page is shown).
    void CaricaLivelliAttuale();

    // The actions; each true when it requested operation 7.
    bool SceltaTipo(int voce);                 // CmbTipoLev
    bool Default();                            // CmdLevDef
    bool Minimo();                             // CmdMinimo
    bool Massimo();                            // CmdMassimo
    // Bar k moved to `valore` (HScrLevel_Change): the neighbours it passes
    // follow on screen, only bar k is written. Not guarded by a pending
    // operation.
    bool SpostaBarra(int k, int valore);
    // The calibration with the tank empty / full: the button that carries
    // that word (CmdMinimo / CmdMassimo, swapped for an inverted sensor).
    bool CalibraVuoto();
    bool CalibraPieno();

    // Table index of the sensor the ECU holds, or -1.
    qsizetype IndiceTipo() const;
    // Inverted by the type record of the ECU's sensor code; by the flag of
    // the ECU's type word when the code is not in the table.
    bool Invertito() const;
    // The record position of mark k.
    int PosizioneMarca(int k, bool invertito) const { return invertito ? PosSoglia0 + k : PosSoglia3 - k; }
    // The page the group belongs to (its refresh flag and queue).
    LogicaPagina &Pagina() { return m_pagina; }

    // Table index of a list position, or -1.
    qsizetype IndiceDiVoce(int voce) const { return voce >= 0 && voce < m_indici.size() ? m_indici.at(voce) : -1; }

private:
    bool Calibra(bool daVuoto);
    bool ScriviTipo(qsizetype indice);
    QString Volt(qint32 lettura, int decimali) const;

    Contesto &m_ctx;
    LogicaPagina &m_pagina;
    QVector<qsizetype> m_indici; // table index of each list position
};

} // namespace gascal
