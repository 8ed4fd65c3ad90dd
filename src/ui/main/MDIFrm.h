#pragma once

#include <QMainWindow>
#include <array>
#include <functional>

class QTimer;

namespace gascal {

class BarraComandi;
class Contesto;
class ControlliDatalog;
class EsecutoreOperazioni;
class FrmBar;
class FrmRetta;
class FrmWait;
class PaginaEditor;

// The program's frame window. It owns every other window, runs Timer1 (the
// connection state machine, the polling cycle and the requested operations)
// and Timer2 (the refresh of what is shown), and keeps the live bar at the
// left and one editor page at a time at the right of its client area.
class MDIFrm : public QMainWindow
{
    Q_OBJECT
public:
    // Pages: switch-over, injectors, calibration line.
    enum Pagina { PagConfig = 0, PagConfig2 = 1, PagRetta = 2 };
    // Below this size (twips) the children are not moved.
    static constexpr int LarghezzaMinima = 11850;
    static constexpr int AltezzaMinima = 8850;

    explicit MDIFrm(Contesto &ctx, QWidget *parent = nullptr);
    ~MDIFrm() override;

    void MDIForm_Load();
    void Timer1_Timer();
    void Timer2_Timer();
    void CicloLettura();
    void AbilitaFinestre(bool abilitate);
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
    // The record and chart buttons, with the live reads they keep.
    ControlliDatalog *Datalog() const { return m_datalog; }
    bool Chiuso() const { return m_chiuso; }

    QTimer *Timer1;
    QTimer *Timer2;

    // The autotuning sequence, run by Timer1 in state 7; without it the state
    // goes straight back to connected.
    std::function<void()> TaraturaAvvio;
    // The live refresh of the interpolation window, called by Timer2.
    std::function<void()> AggiornaInterpolazione;

signals:
    void chiuso();

protected:
    void closeEvent(QCloseEvent *evento) override;
    void resizeEvent(QResizeEvent *evento) override;
    void keyPressEvent(QKeyEvent *evento) override;
    void keyReleaseEvent(QKeyEvent *evento) override;

private:
    void CreaFinestre();
    void MDIForm_Resize();
    void StatoOffline();
    void MostraSplash();
    void Scarica();

    Contesto &m_ctx;
    QWidget *m_area;
    FrmBar *m_frmBar = nullptr;
    FrmWait *m_frmWait = nullptr;
    std::array<PaginaEditor *, 3> m_pagine{};
    ::gascal::FrmRetta *m_frmRetta = nullptr;
    BarraComandi *m_comandi = nullptr;
    ControlliDatalog *m_datalog = nullptr;
    EsecutoreOperazioni *m_esecutore = nullptr;
    bool m_occupato1 = false;
    bool m_occupato2 = false;
    int m_contatoreLento = 0;
    bool m_scaricaDaCodice = false;
    bool m_chiuso = false;
    bool m_defAvvio = false; // the pending offline load is the start-up definition file
};

} // namespace gascal
