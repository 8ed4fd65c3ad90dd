#include "ui/main/MDIFrm.h"

#include "app/CicloProgramma.h"
#include "app/Contesto.h"
#include "ecu/SequenzeBlocchi.h"
#include "app/Impostazioni.h"
#include "app/ServiziUi.h"
#include "autotune/FrmAutotuning.h"
#include "ecu/Definizioni.h"
#include "app/FileSistema.h"
#include "interp/MemoIni.h"
#include "interp/FrmInterpola.h"
#include "app/SegnaliUscita.h"
#include "mapfile/Identita.h"
#include "ui/config/FrmConfig.h"
#include "ui/config/FrmConfig_2.h"
#include "ui/common/TraduzioniQt.h"
#include "ui/common/Twips.h"
#include "ui/line/FrmRetta.h"
#include "ui/main/BarraComandi.h"
#include "ui/main/BarraStato.h"
#include "ui/main/ControlliDatalog.h"
#include "ui/main/EsecutoreOperazioni.h"
#include "ui/main/FrmBar.h"
#include "ui/main/FrmShow.h"
#include "ui/main/FrmWait.h"
#include "i18n/TraduttoreDizionario.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QFileInfo>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QWindow>
#include <QToolBar>

#include <algorithm>

namespace gascal {

MDIFrm::MDIFrm(Contesto &ctx, QWidget *parent)
    : QMainWindow(parent), Timer1(new QTimer(this)), Timer2(new QTimer(this)), m_ctx(ctx),
      m_scorrimento(new QScrollArea(this)), m_area(new QWidget)
{
    setObjectName(QStringLiteral("MDIFrm"));
    // On a small screen (or a large scale) the client area scrolls instead of
    // cutting the windows off; when the frame is large enough the area takes
    // all of it and no scroll bar shows.
    m_scorrimento->setObjectName(QStringLiteral("AreaScorrimento"));
    m_scorrimento->setFrameShape(QFrame::NoFrame);
    m_scorrimento->setWidgetResizable(true);
    m_scorrimento->setWidget(m_area);
    setCentralWidget(m_scorrimento);
    m_area->installEventFilter(this);
    setMinimumSize(LarghezzaMinimaPx, AltezzaMinimaPx);
    m_area->setAutoFillBackground(true);
    QPalette sfondo = m_area->palette();
    sfondo.setColor(QPalette::Window, QColor(128, 128, 128));
    m_area->setPalette(sfondo);
    Twips::Dimensiona(this, 16500, 11400);
    Timer1->setInterval(50);
    Timer2->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &MDIFrm::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &MDIFrm::Timer2_Timer);
    m_esecutore = new EsecutoreOperazioni(ctx, *this);
    m_ciclo = new CicloProgramma(ctx, *this);
    m_esecutore->Prepara(m_ciclo->Operazioni());
    m_comandi = new BarraComandi(ctx, *this, this);
    m_datalog = new ControlliDatalog(ctx, *this);
    m_barraStato = new BarraStato(ctx, this);
    setStatusBar(m_barraStato);
    connect(m_datalog, &ControlliDatalog::registrazioneFinita, m_barraStato, &BarraStato::RegistrazioneFinita);
    connect(m_datalog, &ControlliDatalog::registrazioneIniziata, m_barraStato, &BarraStato::RegistrazioneIniziata);
    // The datalog buttons stand beside the designed client area, not in it:
    // the pages keep their room.
    resize(width() + m_datalog->Barra->sizeHint().width(), height());
    AggiornaInterpolazione = [this] {
        if (m_ctx.InterpolazioneAttiva)
            CreaInterpolazione()->Aggiornalinee();
    };
}

FrmInterpola *MDIFrm::CreaInterpolazione()
{
    if (!m_frmInterpola) {
        m_frmInterpola = new FrmInterpola(m_ctx, this);
        m_frmInterpola->Form_Load();
        m_frmInterpola->MostraMarcatori = [this](const QVector<Interpolazione::Marcatore> &marcatori) {
            m_frmRetta->MostraCorrezioniProposte(marcatori);
        };
        m_frmInterpola->RimuoviMarcatori = [this] { m_frmRetta->CancellaCorrezioniProposte(); };
    }
    return m_frmInterpola;
}

void MDIFrm::MostraInterpolazione()
{
    FrmInterpola *finestra = CreaInterpolazione();
    m_ctx.InterpolazioneAttiva = true;
    finestra->CaricaLingua(); // its title follows the frame's
    finestra->CentraForm(this);
    finestra->show();
    finestra->raise();
}

MDIFrm::~MDIFrm()
{
    if (m_traduttore)
        QCoreApplication::removeTranslator(m_traduttore);
    delete m_ciclo;
    delete m_esecutore;
    m_ctx.AggiornaFinestre = nullptr;
}

QString MDIFrm::TitoloBase() const
{
    return m_ctx.Titolo() + QStringLiteral(" - ") + Impostazioni::Versione();
}

void MDIFrm::AggiornaTitolo()
{
    setWindowTitle(TitoloBase() + m_ctx.stato.TitoloFile);
}

void MDIFrm::CreaFinestre()
{
    m_pagine[PagConfig] = new gascal::FrmConfig(m_ctx, m_area); // the class, not the accessor
    m_pagine[PagConfig2] = new gascal::FrmConfig_2(m_ctx, m_area);
    // The interpolation entry of the pressure-sensor list opens the sampling window.
    static_cast<gascal::FrmConfig *>(m_pagine[PagConfig])->ApriInterpolazione = [this] { MostraInterpolazione(); };
    m_frmRetta = new ::gascal::FrmRetta(m_ctx, m_area);
    m_pagine[PagRetta] = m_frmRetta;
    // Reset-all chose a definition file: the title as after opening a map file.
    connect(m_frmRetta, &::gascal::FrmRetta::fileDefinizioniScelto, this, [this] {
        if (m_ctx.stato.StatoProgramma == StatoApp::Offline)
            setWindowTitle(TitoloBase() + QStringLiteral(" - [") + m_ctx.diz.Testo(6)
                           + QStringLiteral("] ") + m_ctx.stato.TitoloFile);
        else
            AggiornaTitolo();
    });
    for (PaginaEditor *pagina : m_pagine)
        pagina->CaricaLingua();
    m_frmBar = new FrmBar(m_ctx, m_area);
    m_frmWait = new FrmWait(m_ctx, m_area);
    m_frmBar->Form_Load();
    m_frmWait->CaricaLingua();
    // The client area is grey; the windows on it keep the normal colours.
    for (QWidget *finestra : m_area->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        QPalette normale = finestra->palette();
        normale.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
        finestra->setPalette(normale);
    }

    m_pagine[PagConfig]->show();
    m_pagine[PagConfig2]->hide();
    m_frmBar->show();
    m_pagine[PagRetta]->hide();
    m_frmWait->hide();
    CreaAutotuning();

    m_comandi->Collega(*m_frmBar);
    connect(m_frmBar, &FrmBar::richiestaPagina, this, &MDIFrm::CmdPage_Click);
    connect(m_frmWait, &FrmWait::richiestaPagina, this, [this] {
        if (m_abilitate)
            CmdPage_Click();
    });
    connect(m_frmBar, &FrmBar::tastoRetta, this, [this](int tasto) {
        if (m_abilitate && m_ctx.stato.PaginaCorrente == PagRetta && FrmRetta()->isEnabled())
            FrmRetta()->TastiRetta(tasto);
    });
    connect(m_frmBar, &FrmBar::fineRipetizione, this, [this] { FrmRetta()->FineRipetizione(); });
    connect(m_frmWait, &FrmWait::abilitaSalvataggio, m_frmBar->CmdMapSave, &QPushButton::setEnabled);
    m_ctx.AggiornaFinestre = [this] {
        FrmConfig()->AggiornaSelezioni();
        FrmConfig_2()->AggiornaSelezioni();
        FrmRetta()->PlottaRetta(true);
        FrmRetta()->Legenda();
    };
}

void MDIFrm::SostituisciPagina(Pagina indice, PaginaEditor *pagina)
{
    PaginaEditor *vecchia = m_pagine[indice];
    pagina->setParent(m_area);
    if (vecchia) {
        pagina->setGeometry(vecchia->geometry());
        pagina->setVisible(!vecchia->isHidden());
        vecchia->deleteLater();
    }
    m_pagine[indice] = pagina;
    pagina->CaricaLingua();
}

void MDIFrm::FissaMinimoArea()
{
    const int sottoBarra = m_frmBar->height() + m_frmWait->height();
    // The pages keep their controls where they were designed: the area is
    // never narrower or lower than the farthest of them (it scrolls instead).
    QSize pagine;
    for (PaginaEditor *pagina : m_pagine) {
        const QRect contenuto = pagina->childrenRect();
        pagine = pagine.expandedTo(QSize(contenuto.right() + 1, contenuto.bottom() + 1));
    }
    const int margine = Twips::PxX(90, this);
    m_area->setMinimumSize(qMax(Twips::PxX(LarghezzaMinima, this), m_frmBar->width() + pagine.width() + margine),
                           std::max({Twips::PxY(AltezzaMinima, this), sottoBarra, pagine.height() + margine}));
}

void MDIFrm::AdattaAlloSchermo()
{
    QScreen *schermo = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!schermo)
        return;
    const QRect disponibile = schermo->availableGeometry();
    // The title bar and borders, once a window manager has framed the window.
    const QSize cornice = frameGeometry().size() - geometry().size();
    const QSize massimo = disponibile.size() - cornice;
    if (width() > massimo.width() || height() > massimo.height())
        resize(size().boundedTo(massimo).expandedTo(minimumSize()));
    if (!disponibile.contains(frameGeometry()))
        move(disponibile.topLeft());
}

void MDIFrm::MDIForm_Load()
{
    // Qt's own buttons and dialogs in the dictionary's language, and the
    // core's messages in the language of the dictionary in use.
    TraduzioniQt::Applica(m_ctx.diz.LinguaCorrente);
    if (!m_traduttore) {
        m_traduttore = new TraduttoreDizionario(m_ctx.diz, this);
        QCoreApplication::installTranslator(m_traduttore);
    }
    QCoreApplication::processEvents();
    AggiornaTitolo();
    AdattaAlloSchermo();
    show();
    CreaFinestre();
    FissaMinimoArea();
    AdattaAlloSchermo();
    MDIForm_Resize();
    // The window manager adds the title bar after the first show.
    QTimer::singleShot(300, this, &MDIFrm::AdattaAlloSchermo);

    // Live values start from rest.
    for (int k : {0, 1, 2, 4, 5, 6, 9, 10, 11})
        if (m_ctx.EsisteValore(1, k))
            m_ctx.TabMsg[1].Valori[k] = 0;
    for (int k : {0, 1})
        if (m_ctx.EsisteValore(2, k))
            m_ctx.TabMsg[2].Valori[k] = 0;
    if (m_ctx.EsisteValore(3, 20))
        m_ctx.TabMsg[3].Valori[20] = 1;

    FrmRetta()->DemoRetta();
    FrmConfig()->AggiornaSelezioni();
    FrmConfig_2()->AggiornaSelezioni();
    m_ctx.scale.CaricaMapIni(m_ctx.imp.FileMapIni, m_ctx.ui);
    // A Memo.ini that cannot be read is put aside before anything can write a new one.
    const QString avvisoMemo = MemoIni::Carica(m_ctx);

    m_ctx.stato.ErroreComunicazione = 1;
    m_ctx.stato.PaginaCorrente = PagConfig;
    Timer1->start();
    Timer2->start();
    m_frmWait->CmdGo->setToolTip(m_ctx.diz.Testo(7));
    m_frmWait->CmdStop->setToolTip(m_ctx.diz.Testo(6));
    MostraSplash();
    if (!avvisoMemo.isEmpty())
        AvvisoVisibile(avvisoMemo);
}

void MDIFrm::AvvisoVisibile(const QString &testo, int tentativi)
{
    if ((!windowHandle() || !windowHandle()->isExposed()) && tentativi > 0) {
        QTimer::singleShot(50, this, [this, testo, tentativi] { AvvisoVisibile(testo, tentativi - 1); });
        return;
    }
    if (m_splash)
        m_splash->close();
    m_ctx.ui.Messaggio(testo, m_ctx.Titolo(), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Esclamazione);
}

void MDIFrm::MostraSplash()
{
    auto *splash = new FrmShow(this);
    m_splash = splash;
    const QPoint centro = geometry().center();
    splash->move(centro - QPoint(splash->width() / 2, splash->height() / 2));
    splash->show();
}

void MDIFrm::Timer1_Timer()
{
    if (m_occupato1 || m_chiuso)
        return;
    m_occupato1 = true;
    m_ciclo->Passo();
    AggiornaAbilitazione();
    m_occupato1 = false;
}

void MDIFrm::InizioRicerca()
{
    AggiornaTitolo();
    m_frmWait->AvviaRicerca();
    AggiornaAbilitazione();
}

void MDIFrm::ScrittureScartate(Operazione scartata)
{
    // A reset that will not run does not name the window.
    if (scartata != Operazione::CaricaMappa)
        return;
    StatoApp &s = m_ctx.stato;
    m_comandi->EsitoFile(false);
    const QString titolo = QStringLiteral(" - [") + QFileInfo(s.FileDefinizioni).fileName() + QStringLiteral("] ");
    if (s.TitoloFile == titolo) {
        s.TitoloFile.clear();
        s.SerieTitolo.reset();
        AggiornaTitolo();
    }
}

void MDIFrm::FineRicerca(bool titoloCambiato)
{
    if (titoloCambiato)
        AggiornaTitolo();
    m_frmWait->Aggiorna();
}

void MDIFrm::RipristinoAllaConnessione(const QString &testo)
{
    // The pages show what the ECU holds now, under the message that says why.
    if (m_ctx.AggiornaFinestre)
        m_ctx.AggiornaFinestre();
    m_ctx.ui.Messaggio(testo, m_ctx.Titolo(), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Esclamazione);
}

void MDIFrm::Collegato()
{
    m_frmWait->NascondiGo();
}

void MDIFrm::InizioOperazione()
{
    m_esecutore->Inizio();
}

void MDIFrm::FineOperazione(const EsitoOperazione &esito)
{
    m_esecutore->Fine(esito);
}

bool MDIFrm::PassoTaratura()
{
    if (!TaraturaAvvio)
        return false;
    TaraturaAvvio();
    return true;
}

void MDIFrm::InizioOffline()
{
    setWindowTitle(windowTitle() + QStringLiteral("  - [OFFLINE]"));
}

void MDIFrm::PrimaDellaChiusura()
{
    // What the program changed in the ECU goes back before the window goes.
    if (m_frmInterpola && m_frmInterpola->isVisible())
        m_frmInterpola->close();
}

void MDIFrm::Chiusura()
{
    Scarica();
}

void MDIFrm::Lettura()
{
    m_datalog->Lettura();
}

void MDIFrm::PassoOffline()
{
    StatoApp &s = m_ctx.stato;
    m_frmWait->ModoOffline();
    if (s.CaricaDefAvvio) {
        s.CaricaDefAvvio = 0;
        s.OperazioneRichiesta = Operazione::CaricaMappa;
        s.FileDefOffline = m_ctx.imp.FileDefGpl;
        m_defAvvio = true;
    }
    if (!s.OperazioneInAttesa())
        return;
    if (s.OperazioneRichiesta == Operazione::CaricaMappa) {
        // No file to load (a request made before going offline): the pages
        // are refreshed all the same.
        const bool caricato = !s.FileDefOffline.isEmpty()
            && Definizioni::CaricaDefinizioni(m_ctx, s.FileDefOffline);
        if (caricato) {
            m_frmBar->ValoriDaFile(QFileInfo(s.FileDefOffline).fileName());
            s.SerieTitolo.reset(); // the file went into no ECU
        }
        if (!s.FileDefOffline.isEmpty() && !caricato && !m_defAvvio)
            m_ctx.ui.Messaggio(m_ctx.diz.Testo(10), m_ctx.Titolo(), ServiziUi::Pulsanti::Ok,
                               ServiziUi::Icona::Critica);
        if (!m_defAvvio)
            m_comandi->EsitoFile(caricato);
        s.FileDefOffline.clear();
        FrmConfig_2()->AggiornaSelezioni();
        FrmRetta()->PlottaRetta(true);
        FrmRetta()->Legenda();
        FrmConfig()->AggiornaSelezioni();
    }
    m_defAvvio = false;
    s.OperazioneRichiesta = Operazione::Nessuna;
}

void MDIFrm::Timer2_Timer()
{
    if (m_occupato2 || m_chiuso)
        return;
    m_occupato2 = true;
    if (SegnaliUscita::Ricevuto() != 0) {
        // A signal ends the program the way the close box does.
        SegnaliUscita::Azzera();
        RichiediUscita();
        // A box waiting for an answer would hold the way out: it is closed,
        // which answers it with its escape button (No, Cancel or OK).
        if (QWidget *modale = QApplication::activeModalWidget())
            modale->close();
    }
    AggiornaAbilitazione();
    m_frmBar->AggiornaVisualizzazioni();
    m_frmBar->VisualizzaStatoCommutatore();
    if (m_ctx.stato.PaginaCorrente == PagConfig2)
        FrmConfig_2()->CaricaLivelliAttuale();
    else if (m_ctx.stato.PaginaCorrente == PagRetta)
        FrmRetta()->AggiornaCursore();
    if (AggiornaInterpolazione)
        AggiornaInterpolazione();
    m_datalog->Aggiorna();
    m_barraStato->Aggiorna();
    m_occupato2 = false;
}

void MDIFrm::AbilitaFinestre(bool abilitate)
{
    m_abilitate = abilitate;
    AggiornaAbilitazione();
}

void MDIFrm::AggiornaAbilitazione()
{
    if (!m_frmBar)
        return;
    // The pages take edits only while an ECU answers; searching and offline
    // they are greyed like the live bar's old values. The bar (pages, files,
    // language) is disabled only while an operation runs.
    const bool pagine = m_abilitate && m_ctx.stato.EcuCollegata();
    const std::pair<QWidget *, bool> finestre[] = {
        {m_frmBar, m_abilitate}, {FrmConfig(), pagine}, {FrmConfig_2(), pagine}, {FrmRetta(), pagine}};
    for (const auto &[finestra, abilitata] : finestre)
        if (finestra->isEnabled() != abilitata)
            finestra->setEnabled(abilitata);
}

void MDIFrm::AggiornaPaginaCorrente()
{
    switch (m_ctx.stato.PaginaCorrente) {
    case PagConfig: FrmConfig()->AggiornaSelezioni(); break;
    case PagConfig2: FrmConfig_2()->AggiornaSelezioni(); break;
    case PagRetta:
        FrmRetta()->PlottaRetta(true);
        FrmRetta()->Legenda();
        break;
    default: break;
    }
}

void MDIFrm::CmdPage_Click()
{
    // The autotuning window gives its place back before the next page shows;
    // during a run it keeps it.
    if (m_frmAutotuning && !m_frmAutotuning->isHidden() && !m_frmAutotuning->Chiudi())
        return;
    FuocoAllaBarra();
    StatoApp &s = m_ctx.stato;
    switch (s.PaginaCorrente) {
    case PagConfig:
        s.PaginaCorrente = PagConfig2;
        FrmConfig()->hide();
        FrmConfig_2()->show();
        FrmRetta()->hide();
        FrmConfig_2()->AggiornaSelezioni();
        break;
    case PagConfig2:
        s.PaginaCorrente = PagRetta;
        FrmConfig()->hide();
        FrmConfig_2()->hide();
        FrmRetta()->show();
        if (s.StatoProgramma != StatoApp::Offline)
            FrmRetta()->PlottaRetta(true);
        FrmRetta()->Legenda();
        break;
    default:
        s.PaginaCorrente = PagConfig;
        FrmConfig()->show();
        FrmConfig_2()->hide();
        FrmRetta()->hide();
        FrmConfig()->AggiornaSelezioni();
        break;
    }
    m_barraStato->Aggiorna();
}

void MDIFrm::MDIForm_Resize()
{
    if (!m_frmBar)
        return;
    // The client area never gets smaller than the minimum layout (it scrolls
    // instead), so the re-layout below the minimum size is never needed.
    if (m_area->width() < m_area->minimumWidth() || m_area->height() < m_area->minimumHeight())
        return;
    m_frmBar->move(0, 0);
    const int sinistra = m_frmBar->x() + m_frmBar->width();
    const QRect destra(sinistra, 0, qMax(0, m_area->width() - sinistra), m_area->height());
    for (PaginaEditor *pagina : m_pagine)
        pagina->setGeometry(destra);
    m_frmWait->move(0, m_frmBar->height());
    const QRect pagina = m_pagine[PagConfig]->geometry();
    m_frmAutotuning->move(pagina.x() + (pagina.width() - m_frmAutotuning->width()) / 2,
                          pagina.y() + (pagina.height() - m_frmAutotuning->height()) / 2);
}

// The autotuning window, hidden until the calibration line page opens it; the
// sequence runs in Timer1 in state 7.
void MDIFrm::CreaAutotuning()
{
    m_frmAutotuning = new FrmAutotuning(m_ctx, m_area);
    m_frmAutotuning->hide();
    TaraturaAvvio = [this] { m_frmAutotuning->Sequenza().TaraturaAvvio(); };
    m_frmAutotuning->Retta().ridisegna = [this] {
        FrmRetta()->PlottaRetta(true);
        FrmRetta()->Legenda();
    };
    m_frmRetta->ImpostaAutotuning([this] { MostraAutotuning(); });
    connect(m_frmAutotuning, &FrmAutotuning::chiusa, this, [this] {
        if (m_ctx.stato.PaginaCorrente == PagRetta)
            FrmRetta()->show();
    });
}

void MDIFrm::FuocoAllaBarra()
{
    // A window that hides with the keyboard focus hands it on through the
    // scroll area, which then scrolls to the next control: the view would
    // jump. The live bar takes the focus first.
    QWidget *fuoco = QApplication::focusWidget();
    if (fuoco && m_area->isAncestorOf(fuoco) && !m_frmBar->isAncestorOf(fuoco))
        m_frmBar->setFocus(Qt::OtherFocusReason);
}

void MDIFrm::MostraAutotuning()
{
    FuocoAllaBarra();
    FrmRetta()->hide();
    m_frmAutotuning->Sequenza().Didascalia = windowTitle();
    m_frmAutotuning->show();
    m_frmAutotuning->raise();
}

void MDIFrm::resizeEvent(QResizeEvent *evento)
{
    QMainWindow::resizeEvent(evento);
    MDIForm_Resize();
}

bool MDIFrm::eventFilter(QObject *oggetto, QEvent *evento)
{
    if (oggetto == m_area && evento->type() == QEvent::Resize)
        MDIForm_Resize();
    return QMainWindow::eventFilter(oggetto, evento);
}

void MDIFrm::Scarica()
{
    m_scaricaDaCodice = true;
    close();
}

void MDIFrm::RichiediUscita()
{
    // A run of the autotuning stops first: its restore runs, then Timer1 closes.
    if (m_frmAutotuning)
        m_frmAutotuning->Sequenza().Ferma();
    m_ctx.stato.UscitaRichiesta = 1;
}

void MDIFrm::closeEvent(QCloseEvent *evento)
{
    if (m_chiuso) {
        evento->accept();
        return;
    }
    if (!m_scaricaDaCodice) {
        // The user's close box: the next Timer1 tick closes, once no
        // transaction is waiting.
        evento->ignore();
        RichiediUscita();
        return;
    }
    Timer1->stop();
    Timer2->stop();
    m_ctx.link.ChiudiPipe(m_ctx.impLink.AttesaPipe_usec);
    for (QWidget *finestra : {static_cast<QWidget *>(FrmConfig()), static_cast<QWidget *>(FrmConfig_2()),
                              static_cast<QWidget *>(m_frmBar), static_cast<QWidget *>(FrmRetta()),
                              static_cast<QWidget *>(m_frmWait)})
        if (finestra)
            finestra->hide();
    m_chiuso = true;
    evento->accept();
    emit chiuso();
}

void MDIFrm::keyPressEvent(QKeyEvent *evento)
{
    // While an operation runs no key pages or edits the line.
    if (m_frmBar && m_abilitate)
        m_frmBar->TastoGiu(evento->key());
}

void MDIFrm::keyReleaseEvent(QKeyEvent *evento)
{
    if (!m_frmBar || evento->isAutoRepeat())
        return;
    if (m_abilitate)
        m_frmBar->TastoSu(evento->key());
    else
        FrmRetta()->FineRipetizione();
}

} // namespace gascal
