#pragma once

#include "ui/common/PaginaEditor.h"

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
// buttons, keys and mouse clicks into edits of the model. Every finished edit
// is sent to the ECU through operation 8.
class FrmRetta : public PaginaEditor
{
    Q_OBJECT
public:
    // A held button or key repeats its step this often (ms).
    static constexpr int IntervalloRipetizione = 750;
    // The working-point marker's animation step (µs).
    static constexpr double PassoCalib = 250000.0;

    explicit FrmRetta(Contesto &ctx, QWidget *parent = nullptr);

    void CaricaLingua() override;
    void DemoRetta() override;
    void PlottaRetta(bool ricarica) override;
    void Legenda() override;
    void AggiornaCursore() override;
    void TastiRetta(int tasto) override;
    void FineRipetizione() override;

    // One edit (`add`: 1 raise, -1 lower, 2 right, else left). With `cicla`
    // the step repeats every 750 ms until FineRipetizione; the line is sent
    // once, when the edit ends. Nothing happens while an operation is
    // pending or while an edit is already held.
    void ModificaRetta(int add, bool cicla);
    void CmdNextPivot_Click();
    // Selects pivot n, counted from 1.
    void SelezionaPivot(int n);
    void CmdReset_Click();
    void CmdResetAll_Click();
    void CmdAutotunig_Click();

    // Proposed corrections from the road samples: for each point with a
    // deflection d (µs), a marker at the height d / 64 + the point's current
    // correction. The markers stay where they were placed while the line is
    // edited; an empty list removes them.
    void MostraCorrezioniProposte(const QVector<QPair<int, qint32>> &deflessioni);
    void CancellaCorrezioniProposte() { MostraCorrezioniProposte({}); }

    // Opens the autotuning window; until it is given the button stays disabled.
    void ImpostaAutotuning(std::function<void()> apri);
    // Asks for the fuel (the fuel selection window by default); returns the
    // definition file or empty.
    std::function<QString()> SceltaAlimentazione;

    bool Ripetizione() const { return m_ripeti; }
    bool ModificaInCorso() const { return m_inCorso; }

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
    QTimer *TimerRipetizione;

signals:
    // The reset-all chose a definition file: the frame rebuilds its title as
    // after opening a map file.
    void fileDefinizioniScelto();

private:
    void Form_Load();
    void DisponiControlli();
    void CollegaPulsante(QPushButton *pulsante, int add);
    void PassoRipetizione();
    void ConcludiModifica();
    void ChkAll_Click();
    void Ridisegna();

    Contesto &m_ctx;
    std::function<void()> m_apriAutotuning;
    bool m_ripeti = false;
    bool m_inCorso = false;
    int m_add = 0;
    QAbstractButton *m_pulsante = nullptr; // the button holding the edit, if any
    double m_ultimoCalib = 0;
    int m_faseCalib = 0;
    QVector<qint32> m_tempiBenzina; // the last petrol times, for a steady reading
    // The unit after the petrol time, in the user's language.
    QString m_unitaMs = QStringLiteral("ms");
};

} // namespace gascal
