#pragma once

#include "ui/common/PaginaEditor.h"
#include "ui/line/ModelloPaginaRetta.h"

#include <QPair>
#include <QVector>
#include <functional>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;

namespace gascal {

class Contesto;
class FrmRettaGrafico;

// The calibration line page: draws the line of Contesto::retta with its
// pivots and the ECU's working point, lists the pivots in a legend and turns
// buttons, keys and mouse clicks into the calls of its model
// (ModelloPaginaRetta). Every finished edit is sent to the ECU through
// operation 8.
class FrmRetta : public PaginaEditor
{
    Q_OBJECT
    Contesto &m_ctx;
    ModelloPaginaRetta m_modello;

public:
    explicit FrmRetta(Contesto &ctx, QWidget *parent = nullptr);

    void CaricaLingua() override;
    void DemoRetta() override;
    void PlottaRetta(bool ricarica) override;
    void Legenda() override;
    void AggiornaCursore() override;
    void TastiRetta(int tasto) override;
    void FineRipetizione() override;

    ModelloPaginaRetta &Modello() { return m_modello; }
    // Selects pivot n, counted from 1.
    void SelezionaPivot(int n);

    // Proposed corrections from the road samples (see ModelloPaginaRetta).
    void MostraCorrezioniProposte(const QVector<QPair<int, qint32>> &deflessioni);
    void CancellaCorrezioniProposte() { MostraCorrezioniProposte({}); }

    // Opens the autotuning window; until it is given the button stays disabled.
    void ImpostaAutotuning(std::function<void()> apri);
    // Asks for the fuel (the fuel selection window by default); returns the
    // definition file or empty.
    std::function<QString()> SceltaAlimentazione;

    FrmRettaGrafico *Grafico;
    QLabel *LblParaRetta;
    QLabel *LblTempoBenzVal;
    QLabel *LblMs;
    QTableWidget *GrdLegenda;
    QCheckBox *ChkAll;
    // The automatic range of the plot: the whole line fills it.
    QCheckBox *ChkAdatta;
    QPushButton *ImgChkAll;
    QPushButton *CmdUp;
    QPushButton *CmdDw;
    QPushButton *CmdLeft;
    QPushButton *CmdRight;
    QPushButton *CmdNextPivot;
    QPushButton *CmdReset;
    QPushButton *CmdResetAll;
    QPushButton *CmdAutotunig;
    // Ticks while an edit is held: its due steps, or its end when the
    // button went up unseen.
    QTimer *TimerRipetizione;

signals:
    // The reset-all chose a definition file: the frame rebuilds its title as
    // after opening a map file.
    void fileDefinizioniScelto();

private:
    void Form_Load();
    void DisponiControlli();
    void CollegaPulsante(QPushButton *pulsante, int add);
    // After an edit started or a key: the drawing, and the timer of a held edit.
    void Modificata(bool inizio);
    void PassoRipetizione();
    void Ridisegna();

    std::function<void()> m_apriAutotuning;
    QAbstractButton *m_pulsante = nullptr; // the button holding the edit, if any
};

} // namespace gascal
