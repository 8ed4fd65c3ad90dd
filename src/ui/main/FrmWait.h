#pragma once

#include <QWidget>
#include <array>

class QLabel;
class QPushButton;
class QTimer;

namespace gascal {

class Contesto;
class Forma;

// The wait window under the live bar: an activity bar while the ECU is
// searched for or an operation runs, the stop button (work offline) and the
// go button (search again, shown only offline), and the messages that follow
// a map file save or load.
class FrmWait : public QWidget
{
    Q_OBJECT
public:
    static constexpr int Larghezza = 2700;
    static constexpr int Altezza = 1980;

    // Message states: nothing to say, a map file was written to the ECU (the
    // reconnection is still to come), the reconnection after it is done, a
    // map file was saved.
    enum Messaggio { Nessuno = 0, MappaScritta = 1, MappaRiletta = 2, MappaSalvata = 3 };

    explicit FrmWait(Contesto &ctx, QWidget *parent = nullptr);

    // The search starts: activity on, go button hidden.
    void AvviaRicerca();
    // Offline: go button shown, activity off.
    void ModoOffline();
    // An operation runs: the two activity shapes are shown.
    void MostraAttivita();
    void NascondiGo();
    // After a search or an operation: the pending message, and the activity
    // stops unless a search is to follow.
    void Aggiorna();
    void CaricaLingua();

    bool AttivitaVisibile() const;

    int StatoMessaggio = Nessuno;
    QPushButton *CmdGo;
    QPushButton *CmdStop;
    QLabel *LblStato;
    // Under the activity bar: why the ECU has not been found yet (the port
    // that came closest and what kept it from an ECU).
    QLabel *LblDiagnosi;
    std::array<Forma *, 2> ShpAttivita{};
    QTimer *Timer1;

signals:
    // The go button enables, the stop button disables the map-save button of
    // the live bar.
    void abilitaSalvataggio(bool abilitato);
    void richiestaPagina();

protected:
    void keyReleaseEvent(QKeyEvent *evento) override;

private:
    void Timer1_Timer();
    void ImpostaAttivita(bool attiva);
    void MostraDiagnosi(bool ancheFuoriRicerca = false);
    // Offline the go button takes the whole row; otherwise the stop button,
    // with its caption, and the stop sign only while a search runs.
    void DisponiPulsanti(bool offline, bool cerca);

    Contesto &m_ctx;
};

} // namespace gascal
