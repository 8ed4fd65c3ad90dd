#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace gascal {

// What the autotuning sequence shows and asks through its window (or the
// command-line tool). The sequence calls these; the window's buttons and
// list answer through SequenzaTaratura's Ferma, Accetta and Scegli.
class VistaTaratura
{
public:
    virtual ~VistaTaratura() = default;

    // The status label; the window changes it only when the text changes.
    virtual void MostraStato(const QString &testo) = 0;
    // What only a window draws; a front end without them shows nothing.
    // Shows or hides the status label (the blink after a stop).
    virtual void StatoVisibile(bool visibile) { Q_UNUSED(visibile); }
    // The indicator: hidden when `spento`, else it toggles at most every 250 ms.
    virtual void LampeggioInTaratura(bool spento) { Q_UNUSED(spento); }
    virtual void VisualizzaTempiCampionamentoBenzina(qint32 tempoUs) { Q_UNUSED(tempoUs); }
    virtual void VisualizzaTempiCampionamentoGas(qint32 tempoUs) { Q_UNUSED(tempoUs); }
    // The correction label (text 44, CR LF, the correction in ms).
    virtual void MostraCorrezione(const QString &testo) { Q_UNUSED(testo); }
    virtual void ViualizzaLblTempi(bool visibili) { Q_UNUSED(visibili); }
    // The list of choices: filled (nothing selected), shown or hidden.
    virtual void CaricaLista(const QStringList &voci) = 0;
    virtual void ListaVisibile(bool visibile) = 0;
    virtual void AbilitaAccept(bool abilitato) = 0;
    // A step starts (1..6); a line of the log was written.
    virtual void Passo(int passo) { Q_UNUSED(passo); }
    virtual void RigaLog(const QString &riga) { Q_UNUSED(riga); }
    // Whether a failure waits for Stop before the run ends (a window does;
    // the command-line tool reports at once).
    virtual bool AttendeConferma() const { return true; }
    // The run is over: Go enabled, Stop and Accept disabled, the window
    // gives the calibration line page back.
    virtual void FineTaratura() = 0;
};

// What step 6 needs from the calibration line.
class RettaTaratura
{
public:
    virtual ~RettaTaratura() = default;
    // Microseconds per step of the line (64).
    virtual qint32 GetCorrUSec() const { return 64; }
    // DefaultRetta, the model's pivots and points, PrepareScaricaRettaDiCalibrazione.
    virtual void PreparaRetta(const std::array<qint32, 9> &pivot, const std::array<qint32, 56> &punti) = 0;
    // The line shown again from the ECU's images (PlottaRetta(True) and Legenda).
    virtual void PlottaRetta() {}
};

} // namespace gascal
