#pragma once

#include "autotune/ModelloAutotuning.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace gascal {

class Contesto;
class Forma;

// The autotuning window: Go, Stop and Accept, the list of the fuel and
// injector choices, the status text, the petrol and gas time bars, the gas
// correction and the blinking indicator. The sequence runs in the frame's
// Timer1; the window draws what its model (ModelloAutotuning) shows and
// hands the buttons and the list to it.
class FrmAutotuning : public QWidget
{
    Q_OBJECT
public:
    static constexpr int Larghezza = 6300;
    static constexpr int Altezza = 5700;

    explicit FrmAutotuning(Contesto &ctx, QWidget *parent = nullptr);

    void CaricaLingua();
    ModelloAutotuning &Modello() { return m_modello; }
    SequenzaTaratura &Sequenza() { return m_modello.Sequenza(); }
    RettaAutotuning &Retta() { return m_modello.Retta(); }

    // Close button, close box and Esc: hides the window whenever no run is
    // going; false (and nothing happens) during a run.
    bool Chiudi();

    QListWidget *Lista;
    QPushButton *CmdGo;
    QPushButton *CmdStop;
    QPushButton *CmdAccept;
    QPushButton *CmdChiudi;   // Close, beside Accept
    QPushButton *CmdChiudiX;  // the close box at the top right
    QLabel *LblMsg;
    QLabel *LblTbenz;
    QLabel *LblTGas;
    QLabel *LblTaraAdjust;
    Forma *ShpLampeggio;
    Forma *ShpBenz;
    Forma *ShpGas;
    Forma *ShpFondo;   // the frame around both bars

signals:
    // The window is closed: the calibration line page comes back.
    void chiusa();

protected:
    bool eventFilter(QObject *oggetto, QEvent *evento) override;
    void keyPressEvent(QKeyEvent *evento) override;

private:
    void Disegna();

    Contesto &m_ctx;
    ModelloAutotuning m_modello;
    int m_caricamento = 0;   // the list load on screen
};

} // namespace gascal
