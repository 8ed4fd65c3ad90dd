#pragma once

#include "autotune/RettaAutotuning.h"
#include "autotune/SequenzaTaratura.h"
#include "autotune/VistaTaratura.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace gascal {

class Contesto;

// What the autotuning window shows, without widgets.
struct VistaAutotuning {
    // The status label, kept on screen after a run until the window closes.
    QString stato;
    bool statoVisibile = true;
    // The indicator: shown, and its blink phase.
    bool lampeggioVisibile = true;
    bool lampeggioAcceso = true;
    // The list of choices: its entries (a new number at each load, so that
    // the window replaces them only then and keeps the user's selection),
    // the entry it opens on (-1 none) and its name for screen readers.
    QStringList voci;
    int caricamento = 0;
    int riga = -1;
    QString nomeLista;
    bool listaVisibile = false;
    // The time bars: visible, their texts, and their widths in twips.
    bool tempiVisibili = false;
    QString testoBenzina;
    QString testoGas;
    int barraBenzina = 0;
    int barraGas = 0;
    QString correzione;
    // The buttons that can be pressed.
    bool go = true;
    bool stop = false;
    bool accept = false;
    bool chiudi = true;
};

// The autotuning window's rules: the sequence (SequenzaTaratura) shows its
// run through this model, which keeps what the window draws; the buttons and
// the list come here. The run's last text stays after the run until the
// window closes; nothing closes the window while a run is going.
class ModelloAutotuning : public VistaTaratura
{
public:
    // Full width of a time bar in twips, for 8000 us.
    static constexpr int LarghezzaBarre = 2145;
    static constexpr double TempoBarraPiena_us = 8000;
    // The indicator changes phase at most this often.
    static constexpr double IntervalloLampeggio_us = 250000;

    explicit ModelloAutotuning(Contesto &ctx);

    SequenzaTaratura &Sequenza() { return m_seq; }
    RettaAutotuning &Retta() { return m_retta; }
    const VistaAutotuning &Vista() const { return m_vista; }
    // Called after every change of the view: the window draws it.
    std::function<void()> cambiata;

    // The texts of the user's language; between runs the idle text.
    void CaricaLingua();

    // The buttons. Go: false when no run starts; `didascalia` is the frame's title.
    bool Go(const QString &didascalia);
    // Stop: true when the window closes (no run going).
    bool Stop();
    void Accetta(int riga) { m_seq.Accetta(riga); }
    // Double click or Enter on an entry of the list.
    void Scegli(int riga) { m_seq.Scegli(riga); }
    // Close, close box and Esc: false (nothing happens) during a run.
    bool Chiudi();
    bool InCorso() const;

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

    // The text of the window's extra section (close, readable waits).
    QString Testo2(int k, const char *progetto) const;

private:
    // Makes the sequence's bare "speed < limit" line say what it waits for.
    QString SpiegaAttesa(const QString &testo) const;
    void Barra(QString &testo, int &larghezza, int k, qint32 tempoUs);
    void Notifica();

    Contesto &m_ctx;
    RettaAutotuning m_retta;
    SequenzaTaratura m_seq;
    VistaAutotuning m_vista;
    double m_prossimoLampeggio = 0;
    // The last text a run showed before the idle text, and whether it is on
    // screen after the run.
    QString m_esito;
    bool m_mostraEsito = false;
};

} // namespace gascal
