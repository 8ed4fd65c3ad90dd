#pragma once

#include "app/VistaCiclo.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>

class QScrollArea;
class QTimer;

namespace gascal {

class BarraComandi;
class CicloProgramma;
class BarraStato;
class Contesto;
class ControlliDatalog;
class EsecutoreOperazioni;
class TraduttoreDizionario;
class FrmAutotuning;
class FrmBar;
class FrmInterpola;
class FrmRetta;
class FrmWait;
class PaginaEditor;

// The program's frame window. It owns every other window, runs Timer1 (a
// turn of the program's cycle: the connection state machine, the polling and
// the requested operations, shown through the frame's VistaCiclo) and Timer2
// (the refresh of what is shown), and keeps the live bar at the left and one
// editor page at a time at the right of its client area.
class MDIFrm : public QMainWindow, private VistaCiclo
{
    Q_OBJECT
public:
    // Pages: switch-over, injectors, calibration line.
    enum Pagina { PagConfig = 0, PagConfig2 = 1, PagRetta = 2 };
    // Below this size (twips) the children are not moved.
    static constexpr int LarghezzaMinima = 11850;
    static constexpr int AltezzaMinima = 8850;
    // The frame can be made smaller than that (pixels): the client area then
    // scrolls, so that every control stays reachable.
    static constexpr int LarghezzaMinimaPx = 400;
    static constexpr int AltezzaMinimaPx = 300;

    explicit MDIFrm(Contesto &ctx, QWidget *parent = nullptr);
    ~MDIFrm() override;

    void MDIForm_Load();
    void Timer1_Timer();
    void Timer2_Timer();
    void AbilitaFinestre(bool abilitate);
    // Enables the bar and the pages for what the frame is doing now: the
    // pages only while an ECU answers and no operation runs.
    void AggiornaAbilitazione();
    // The page cycle of the live bar's page button (and F2).
    void CmdPage_Click();
    // Refreshes the page shown from the ECU's values.
    void AggiornaPaginaCorrente();

    // Title: dictionary text 0, the version, the map file's title suffix.
    QString TitoloBase() const;
    void AggiornaTitolo();

    // Replaces the placeholder of a page slot (the frame takes ownership).
    void SostituisciPagina(Pagina indice, PaginaEditor *pagina);

    FrmBar *Barra() const { return m_frmBar; }
    FrmWait *Attesa() const { return m_frmWait; }
    PaginaEditor *FrmConfig() const { return m_pagine[PagConfig]; }
    PaginaEditor *FrmConfig_2() const { return m_pagine[PagConfig2]; }
    PaginaEditor *FrmRetta() const { return m_pagine[PagRetta]; }
    // The calibration line page itself (markers, autotuning button).
    ::gascal::FrmRetta *PaginaRetta() const { return m_frmRetta; }
    BarraComandi *Comandi() const { return m_comandi; }
    // The status line: connection state, reconnection notice, page shown.
    BarraStato *Stato() const { return m_barraStato; }
    FrmAutotuning *Autotuning() const { return m_frmAutotuning; }
    // Opens the autotuning window in place of the calibration line page.
    void MostraAutotuning();
    // The record and chart buttons, with the live reads they keep.
    ControlliDatalog *Datalog() const { return m_datalog; }
    bool Chiuso() const { return m_chiuso; }
    // The client area (the windows' parent) and the scroll area around it.
    QWidget *AreaClient() const { return m_area; }
    QScrollArea *Scorrimento() const { return m_scorrimento; }
    // Shrinks and moves the frame so that it lies within the available
    // geometry of its screen, title bar included.
    void AdattaAlloSchermo();

    QTimer *Timer1;
    QTimer *Timer2;

    // The autotuning sequence, run by Timer1 in state 7; without it the state
    // goes straight back to connected.
    std::function<void()> TaraturaAvvio;
    // The close box, a signal: stops a run of the autotuning, then closes.
    void RichiediUscita();
    // The live refresh of the interpolation window, called by Timer2.
    std::function<void()> AggiornaInterpolazione;
    // Opens the interpolation window (created on first use), non-modal and
    // centred on the frame; its refresh runs while the mode is on.
    void MostraInterpolazione();
    FrmInterpola *Interpola() const { return m_frmInterpola; }

signals:
    void chiuso();

protected:
    void closeEvent(QCloseEvent *evento) override;
    void resizeEvent(QResizeEvent *evento) override;
    void keyPressEvent(QKeyEvent *evento) override;
    void keyReleaseEvent(QKeyEvent *evento) override;
    // The client area's own resizes (the scroll area makes them) lay out the windows.
    bool eventFilter(QObject *oggetto, QEvent *evento) override;

private:
    void CreaFinestre();
    void CreaAutotuning();
    void MDIForm_Resize();
    // What the frame shows of the cycle.
    void InizioRicerca() override;
    void ScrittureScartate(Operazione scartata) override;
    void FineRicerca(bool titoloCambiato) override;
    void RipristinoAllaConnessione(const QString &testo) override;
    void Collegato() override;
    void InizioOperazione() override;
    void FineOperazione(const EsitoOperazione &esito) override;
    bool PassoTaratura() override;
    void InizioOffline() override;
    void PassoOffline() override;
    void PrimaDellaChiusura() override;
    void Chiusura() override;
    void Lettura() override;
    void MostraSplash();
    // A start-up message in a box the user sees: once the frame is on screen
    // (a box over a frame not yet shown can stay hidden while it blocks the
    // program), with the splash taken away first.
    void AvvisoVisibile(const QString &testo, int tentativi = 100);
    void Scarica();
    // The smallest client area that holds the live bar with the wait window
    // under it and the pages at their smallest.
    void FissaMinimoArea();
    FrmInterpola *CreaInterpolazione();
    void FuocoAllaBarra();

    Contesto &m_ctx;
    QScrollArea *m_scorrimento;
    QWidget *m_area;
    FrmBar *m_frmBar = nullptr;
    FrmWait *m_frmWait = nullptr;
    FrmInterpola *m_frmInterpola = nullptr;
    FrmAutotuning *m_frmAutotuning = nullptr;
    QPointer<QWidget> m_splash;
    std::array<PaginaEditor *, 3> m_pagine{};
    ::gascal::FrmRetta *m_frmRetta = nullptr;
    BarraComandi *m_comandi = nullptr;
    BarraStato *m_barraStato = nullptr;
    ControlliDatalog *m_datalog = nullptr;
    EsecutoreOperazioni *m_esecutore = nullptr;
    CicloProgramma *m_ciclo = nullptr;
    TraduttoreDizionario *m_traduttore = nullptr;
    bool m_occupato1 = false;
    bool m_occupato2 = false;
    bool m_scaricaDaCodice = false;
    bool m_chiuso = false;
    bool m_defAvvio = false;
    bool m_abilitate = true; // AbilitaFinestre: keys page and edit only when true // the pending offline load is the start-up definition file
};

} // namespace gascal
