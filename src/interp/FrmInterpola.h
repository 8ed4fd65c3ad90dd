#pragma once

#include "interp/Interpolazione.h"

#include <QHash>
#include <QRectF>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace gascal {

class Contesto;
class GraficoCampioni;

// The road-sample interpolation window: while it is open the frame's
// refresh (Aggiornalinee) samples stable operating points on petrol and on
// gas, draws both tables' curves, and, when asked, shows the proposed
// corrections as markers on the calibration line page. Non-modal, owned by
// the frame. Closing it puts the ECU's pressure sensor and end-of-gas
// settings back.
class FrmInterpola : public QWidget
{
    Q_OBJECT
public:
    static const QString Filtro;
    static const QString Sezione;
    // Design size in twips.
    static constexpr int Larghezza = 10560;
    static constexpr int Altezza = 7080;

    explicit FrmInterpola(Contesto &ctx, QWidget *frame = nullptr);

    void Form_Load();
    void CaricaLingua();
    // The refresh, called by the frame every 100 ms while the mode is on.
    void Aggiornalinee();
    // Places the window over the frame's centre (450 twips higher), never
    // off the top left of the screen.
    void CentraForm(const QWidget *frame);

    Interpolazione &Modello() { return m_modello; }

    // The calibration line page's markers: shown, removed.
    std::function<void(const QVector<Interpolazione::Marcatore> &)> MostraMarcatori;
    std::function<void()> RimuoviMarcatori;

    GraficoCampioni *PctRetta;
    QGroupBox *Frame1;
    QPlainTextEdit *TxtCampioni;
    QLabel *LblTmpStability;
    // Why no correction can be shown yet (empty once one can).
    QLabel *LblMotivo;
    QComboBox *CmbTmpStability;
    QCheckBox *ChkTypeSline;
    QCheckBox *ChkDisabilCampBenz;
    QPushButton *CmdEraseBenz;
    QPushButton *CmdEraseGas;
    QPushButton *CmdPlottaDeflessio;
    QPushButton *CmdMapOpen;
    QPushButton *CmdMapSave;

    static const QColor ColoreBenzina;
    static const QColor ColoreGas;

    void CmdEraseBenz_Click();
    void CmdEraseGas_Click();
    void CmdPlottaDeflessio_Click();
    void CmdMapOpen_Click();
    void CmdMapSave_Click();
    void ToggleFrame1();

signals:
    void chiusa();

protected:
    void closeEvent(QCloseEvent *evento) override;
    void resizeEvent(QResizeEvent *evento) override;

private:
    void CreaControlli();
    void Ridisegna();
    void Rimuovi();
    int StabilitaMs();
    // Says why no correction can be shown yet (nothing once one can).
    void MostraMotivo();
    void Ridimensiona(QSize nuova);
    QString Testo(int k) const;

    Contesto &m_ctx;
    Interpolazione m_modello;
    QSize m_dimensionePrecedente;
    QHash<QWidget *, QRectF> m_geometrie; // unrounded, so that resizing never drifts
    QString m_erroreMemoMostrato;
};

} // namespace gascal
