#pragma once

#include "autotune/RettaAutotuning.h"
#include "autotune/SequenzaTaratura.h"
#include "autotune/VistaTaratura.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace gascal {

class Contesto;
class Forma;

// The autotuning window: Go, Stop and Accept, the list of the fuel and
// injector choices, the status text, the petrol and gas time bars, the gas
// correction and the blinking indicator. The sequence (SequenzaTaratura)
// runs in the frame's Timer1; this window shows what it is told and turns
// the buttons into the sequence's flags.
class FrmAutotuning : public QWidget, public VistaTaratura
{
    Q_OBJECT
public:
    static constexpr int Larghezza = 6300;
    static constexpr int Altezza = 5700;
    // Bar width in twips for 8000 us.
    static constexpr int LarghezzaBarre = 2145;

    explicit FrmAutotuning(Contesto &ctx, QWidget *parent = nullptr);

    void CaricaLingua();
    SequenzaTaratura &Sequenza() { return m_seq; }
    RettaAutotuning &Retta() { return m_retta; }

    // VistaTaratura
    void MostraStato(const QString &testo) override;
    void StatoVisibile(bool visibile) override;
    void LampeggioInTaratura(bool spento) override;
    void VisualizzaTempiCampionamentoBenzina(qint32 tempoUs) override;
    void VisualizzaTempiCampionamentoGas(qint32 tempoUs) override;
    void MostraCorrezione(const QString &testo) override;
    void ViualizzaLblTempi(bool visibili) override;
    void CaricaLista(const QStringList &voci) override;
    void ListaVisibile(bool visibile) override;
    void AbilitaAccept(bool abilitato) override;
    void FineTaratura() override;
    bool ViualizzaLblTempi() const;

    void CmdGo_Click();
    void CmdStop_Click();
    // Close button, close box and Esc: hides the window whenever no run is
    // going; false (and nothing happens) during a run.
    bool Chiudi();
    // A run is going: the window cannot be closed.
    bool InCorso() const;
    void CmdAccept_Click();
    void Lista_DblClick();

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
    // The text of the extra section (close, readable waits).
    QString Testo2(int k, const char *progetto) const;
    // Makes the sequence's bare "speed < limit" line say what it waits for.
    QString SpiegaAttesa(const QString &testo) const;
    void PulisciValori();
    void Barra(Forma *barra, QLabel *etichetta, int testo, qint32 tempoUs);

    Contesto &m_ctx;
    RettaAutotuning m_retta;
    SequenzaTaratura m_seq;
    double m_prossimoLampeggio = 0;
    // The last text a run showed before the idle text: kept on screen after
    // the run until the window is closed.
    QString m_esito;
    bool m_mostraEsito = false;
};

} // namespace gascal
