#pragma once

#include "datalog/ModelloBarra.h"

#include <QWidget>
#include <array>

class QLabel;
class QPushButton;

namespace gascal {

class Contesto;
class Forma;
class Immagine;

// The live data window: the command buttons, the logo (also the driver's
// switch-over button), the engine speed bar, the petrol and gas injection
// times, pressure, temperature, fuel, key and valve pictures, and a copy of
// the switch-over button's LEDs and buzzer. What it shows is decided by its
// ModelloBarra from the message table and the clock; the window only draws
// the model's views. The frame's Timer2 calls the two refresh methods every
// 100 ms.
class FrmBar : public QWidget
{
    Q_OBJECT
public:
    // Size of the window in twips.
    static constexpr int Larghezza = 2700;
    static constexpr int Altezza = 7560;

    explicit FrmBar(Contesto &ctx, QWidget *parent = nullptr);

    void Form_Load();
    void AggiornaVisualizzazioni();
    void VisualizzaStatoCommutatore();
    void CaricaLingua();
    void CmdPage_Click();

    // Keys that reach the frame elsewhere come here too.
    void TastoGiu(int tasto);
    void TastoSu(int tasto);

    // True while the update button shows its red blink phase.
    bool AggiornamentoRosso() const { return m_modello.Vista().aggiornaRosso; }
    void SpegniAggiornamento();

    // The values shown came from a file (loaded without the ECU), not from
    // the engine: the bar says so until the ECU is read again.
    void ValoriDaFile(const QString &nomeFile) { m_modello.ValoriDaFile(nomeFile); }
    // True while the values are being read from the ECU; otherwise the bar
    // greys them and says where they come from.
    bool ValoriDalVivo() const { return m_modello.Vista().dalVivo; }

    const ModelloBarra &Modello() const { return m_modello; }

    QPushButton *CmdPage;
    QPushButton *CmdMapOpen;
    QPushButton *CmdMapSave;
    QPushButton *CmdLingua;
    QPushButton *CmdInfo;
    QPushButton *CmdUpdate;
    Immagine *ImgLogoS;
    QLabel *LblRpmVal;
    QLabel *LblTempoBenzVal;
    QLabel *LblTempoGasVal;
    QLabel *LblPressVal;
    QLabel *LblTempVal;
    Immagine *ImgBenzOn, *ImgBenzOff;
    Immagine *ImgGasOn, *ImgGasOff;
    Immagine *ImgEvOn, *ImgEvOff;
    Immagine *ImgKeyOn, *ImgKeyOff;
    Immagine *Image1;
    Immagine *ImgTemp;
    std::array<Forma *, VistaBarra::NumSegmenti> ShpGiri{};
    std::array<Forma *, VistaCommutatore::NumLed> ShpLevAct{};
    // A grey wash over the values while they are not live, with their origin.
    QLabel *LblNonDalVivo;

signals:
    void richiestaPagina();
    void tastoRetta(int tasto);
    void fineRipetizione();

protected:
    void keyPressEvent(QKeyEvent *evento) override;
    void keyReleaseEvent(QKeyEvent *evento) override;

private:
    void CreaControlli();
    void DisponiControlli();
    void ImgLogoS_MouseUp(Qt::KeyboardModifiers modificatori);
    void ColoraTempoGas(VistaBarra::Colore colore);
    void MostraCoppia(Immagine *acceso, Immagine *spento, bool suAcceso);
    void MostraAggiornamento(bool rosso);
    // Shows or hides the wash over old values, with their origin.
    void MostraOrigine(const VistaBarra &vista);
    // Text k of the bar's second section, the design's English without it.
    QString Testo2(int k, const char *progetto) const;
    // Tip and accessible name of a lamp or picture.
    static void Descrivi(QWidget *w, const QString &testo);

    Contesto &m_ctx;
    ModelloBarra m_modello;
    // The gas time's colour last written.
    VistaBarra::Colore m_coloreGas = VistaBarra::Colore::Nessuno;
};

} // namespace gascal
