#pragma once

#include <QDateTime>
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
// the switch-over button's LEDs and buzzer. It only reads the message table;
// the frame's Timer2 calls the two refresh methods every 100 ms.
class FrmBar : public QWidget
{
    Q_OBJECT
public:
    // Size of the window in twips.
    static constexpr int Larghezza = 2700;
    static constexpr int Altezza = 7560;
    // Engine speed thresholds of the 14 bar segments.
    static const std::array<int, 14> SoglieGiri;

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
    bool AggiornamentoRosso() const { return m_aggiornaRosso; }
    void SpegniAggiornamento();

    // The values shown came from a file (loaded without the ECU), not from
    // the engine: the bar says so until the ECU is read again.
    void ValoriDaFile(const QString &nomeFile);
    // True while the values are being read from the ECU; otherwise the bar
    // greys them and says where they come from.
    bool ValoriDalVivo() const { return m_dalVivo; }
    QString TestoOrigine() const;

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
    std::array<Forma *, 14> ShpGiri{};
    std::array<Forma *, 7> ShpLevAct{};
    // A grey wash over the values while they are not live, with their origin.
    QLabel *LblNonDalVivo;

    // The label tags of the design: the value texts before their unit.
    QString LblPressValTag;
    QString LblTempValTag;

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
    void ColoraTempoGas(bool rosso);
    void MostraCoppia(Immagine *acceso, Immagine *spento, bool suAcceso);
    void LampeggiaAggiornamento();
    // Decides whether the values are live and shows or hides the wash.
    void SegnaOrigine();
    // The connection state says the values are being read from the ECU.
    bool StatoDalVivo() const;
    // Text k of the bar's second section, the design's English without it.
    QString Testo2(int k, const char *progetto) const;
    // Tip and accessible name of a lamp or picture.
    static void Descrivi(QWidget *w, const QString &testo);

    Contesto &m_ctx;
    int m_fase = 0;
    double m_prossimaFase = 0;
    double m_passoFase = 1e3 * 200;
    double m_prossimoBeep = 0;
    int m_gasRosso = -1; // last colour written: -1 none yet, 0 black, 1 red
    bool m_aggiornaRosso = false;
    // Where the values shown come from: nothing yet, the ECU (at m_quando),
    // or a file.
    enum class Origine { Nessuna, Ecu, File } m_origine = Origine::Nessuna;
    QDateTime m_quando;
    QString m_file;
    bool m_dalVivo = false;
    // The units after the values, " (rpm)" and so on, in the user's language.
    QString m_unitaGiri = QStringLiteral(" (rpm)");
    QString m_unitaMs = QStringLiteral(" (ms) ");
    QString m_unitaBar = QStringLiteral(" (bar)");
    QString m_unitaTemp = QStringLiteral(" (c)");
};

} // namespace gascal
