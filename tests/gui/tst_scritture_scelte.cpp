// Nothing goes into an ECU that the user did not choose for it: the pages
// take no edits while no ECU answers, what waited for an ECU that went away
// is dropped, the title forgets a map of another ECU, the wheel scrolls the
// page instead of changing a setting, and a stray Enter answers No.
#include "RegistroProve.h"
#include "ProgrammaProva.h"

#include "ui/common/QtServiziUi.h"
#include "ui/config/FrmConfig.h"
#include "ui/config/FrmConfig_2.h"
#include "ui/config/GruppoLivello.h"
#include "ui/line/FrmRetta.h"
#include "ui/main/FrmBar.h"
#include "ui/main/FrmWait.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>

using namespace gascal;
using C = LogicaCommutazione;
using I = LogicaIniettori;
using R = ServiziUi::Risposta;

namespace {

FrmConfig *Pag0(ProgrammaProva &p) { return static_cast<FrmConfig *>(p.frame->FrmConfig()); }
FrmConfig_2 *Pag1(ProgrammaProva &p) { return static_cast<FrmConfig_2 *>(p.frame->FrmConfig_2()); }

bool PagineAbilitate(ProgrammaProva &p)
{
    return p.frame->FrmConfig()->isEnabled() && p.frame->FrmConfig_2()->isEnabled()
        && p.frame->FrmRetta()->isEnabled();
}
bool PagineDisabilitate(ProgrammaProva &p)
{
    return !p.frame->FrmConfig()->isEnabled() && !p.frame->FrmConfig_2()->isEnabled()
        && !p.frame->FrmRetta()->isEnabled();
}

// Wheel notches over a control as the window system delivers them, so that a
// wheel the control does not take goes on to its parents. Down is positive.
void Rotella(QWidget *w, int scatti)
{
    const QPointF centro = QRectF(w->rect()).center();
    QWheelEvent e(centro, w->mapToGlobal(centro), QPoint(), QPoint(0, -120 * scatti), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&e);
    QApplication::instance()->notify(w, &e);
}

bool Connetti(ProgrammaProva &p, const QStringList &opzioni = {})
{
    return p.AvviaEcu(opzioni).isEmpty() && p.AvviaProgramma() && p.AttendiStato(StatoApp::Connesso);
}

// Stops the ECU and, once the frame searches, runs `inRicerca` and starts a
// fresh one (the search does not return until an ECU answers). True once
// connected again.
bool Riconnetti(ProgrammaProva &p, std::function<void()> inRicerca = {})
{
    bool fatto = false;
    p.Quando([&p] { return p.ctx.stato.StatoProgramma == StatoApp::Ricerca; }, [&] {
        if (inRicerca)
            inRicerca();
        fatto = p.AvviaEcu().isEmpty();
    });
    p.FermaEcu();
    return QTest::qWaitFor([&] { return fatto && p.ctx.stato.StatoProgramma == StatoApp::Connesso; }, 30000);
}

} // namespace

class TstScrittureScelte : public QObject
{
    Q_OBJECT
private slots:
    void senzaEcuLePagineNonPrendonoModifiche();
    void scrittureInAttesaScartateAllaPerdita();
    void titoloSoloPerLaStessaEcu();
    void rotellaSoloConIlFuoco();
    void domandeCheScrivonoPredefinitoNo();
    void invioPremeIlPulsantePredefinito();
};

void TstScrittureScelte::senzaEcuLePagineNonPrendonoModifiche()
{
    // No ECU on the line: greyed while searching and offline, the bar still
    // usable; F8 does not raise the line.
    ProgrammaProva p;
    bool inRicerca = false;
    p.Quando([&p] { return p.frame && p.frame->Attesa() && p.ctx.stato.StatoProgramma == StatoApp::Ricerca
                           && p.frame->Attesa()->CmdStop->isVisible(); },
             [&] {
                 QTest::qWait(300);
                 inRicerca = PagineDisabilitate(p) && p.frame->Barra()->isEnabled();
                 QTest::mouseClick(p.frame->Attesa()->CmdStop, Qt::LeftButton);
             });
    QVERIFY(p.AvviaProgramma());
    QVERIFY(p.AttendiStato(StatoApp::Offline, 15000));
    QVERIFY(inRicerca);
    QTest::qWait(300);
    QVERIFY(PagineDisabilitate(p));
    QVERIFY(p.frame->Barra()->isEnabled());
    while (p.ctx.stato.PaginaCorrente != MDIFrm::PagRetta)
        p.frame->CmdPage_Click();
    const auto retta = p.ctx.retta.Retta;
    QTest::keyClick(p.frame.get(), Qt::Key_F8);
    QCOMPARE(p.ctx.retta.Retta, retta);
    QCOMPARE(p.ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna);

    // An ECU found: the pages take edits again.
    QCOMPARE(p.AvviaEcu(), QString());
    QTest::mouseClick(p.frame->Attesa()->CmdGo, Qt::LeftButton);
    QVERIFY(p.AttendiStato(StatoApp::Connesso, 20000));
    QTRY_VERIFY_WITH_TIMEOUT(PagineAbilitate(p), 2000);
}

void TstScrittureScelte::scrittureInAttesaScartateAllaPerdita()
{
    // The ECU's power goes at the write of a setting: the write fails and
    // its entries stay queued.
    ProgrammaProva p;
    QVERIFY(Connetti(p, {QStringLiteral("--exit-on"), QStringLiteral("17")}));
    QComboBox *rpm = Pag0(p)->Cmb[C::CmbSwtchRpm];
    const int prima = rpm->currentIndex();
    const qint32 periodo = p.banco.ValoreEcu(Contesto::RecConfig, 15);
    const int altra = prima == 1 ? 2 : 1;
    rpm->setCurrentIndex(altra);
    emit rpm->activated(altra);
    QCOMPARE(p.ctx.stato.OperazioneRichiesta, gascal::Operazione::ScriviConfig);

    // Searching: the failed write's entries are gone, and a choice made
    // anyway (the page is disabled: only its logic can still be driven) is
    // kept from the next ECU too.
    bool disabilitate = false, codaVuota = false;
    QVERIFY(Riconnetti(p, [&] {
        disabilitate = PagineDisabilitate(p);
        codaVuota = p.ctx.code.ValoriDaScrivere.Vuota() && p.ctx.stato.OperazioneRichiesta == gascal::Operazione::Nessuna;
        Pag1(p)->Logica.InvioPwm(I::TxtPWMON, QStringLiteral("77"));
    }));
    QVERIFY(disabilitate);
    QVERIFY(codaVuota);
    QTRY_VERIFY_WITH_TIMEOUT(PagineAbilitate(p), 2000);
    QCOMPARE(p.ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna);
    QVERIFY(p.ctx.code.ValoriDaScrivere.Vuota());
    QTest::qWait(500);
    QCOMPARE(p.banco.ValoreEcu(Contesto::RecConfig, 15), periodo);
    QVERIFY(p.banco.ValoreEcu(Contesto::RecConfig, I::PosPwmOn) != 77);
    // The page shows what the new ECU holds.
    QCOMPARE(rpm->currentIndex(), prima);
    QCOMPARE(Pag1(p)->TxtPwm[I::TxtPWMON]->text(),
             QString::number(p.banco.ValoreEcu(Contesto::RecConfig, I::PosPwmOn)));
}

void TstScrittureScelte::titoloSoloPerLaStessaEcu()
{
    ProgrammaProva p;
    QVERIFY(Connetti(p));
    QVERIFY(p.SalvaMappa(p.Percorso(QStringLiteral("Data/a.var"))));
    QVERIFY(p.frame->windowTitle().endsWith(QStringLiteral(" - [a.var] ")));
    // The same ECU back on the line: the title keeps its map.
    QVERIFY(Riconnetti(p));
    QVERIFY(p.frame->windowTitle().endsWith(QStringLiteral(" - [a.var] ")));

    // A map saved from an ECU with another serial; then the first ECU answers.
    FrmConfig_2 &pag = *Pag1(p);
    QVERIFY(pag.Logica.InvioProduzione(0, QStringLiteral("4321")));
    p.ui.mostrati.clear();
    QVERIFY(QTest::qWaitFor([&p] { return p.ctx.stato.OperazioneRichiesta == gascal::Operazione::Nessuna; }, 10000));
    QCOMPARE(p.banco.ValoreEcu(Contesto::RecProduzione, 0), 4321);
    p.ui.mostrati.clear();
    QVERIFY(p.SalvaMappa(p.Percorso(QStringLiteral("Data/b.var"))));
    QVERIFY(p.frame->windowTitle().endsWith(QStringLiteral(" - [b.var] ")));
    QVERIFY(Riconnetti(p));
    QCOMPARE(p.ctx.Valore(Contesto::RecProduzione, 0), 1234);
    QCOMPARE(p.ctx.stato.TitoloFile, QString());
    QCOMPARE(p.frame->windowTitle(), p.frame->TitoloBase());
}

void TstScrittureScelte::rotellaSoloConIlFuoco()
{
    ProgrammaProva p;
    QVERIFY(Connetti(p));
    // Small enough for the pages to scroll.
    p.frame->resize(520, 360);
    QScrollBar *scorrimento = p.frame->Scorrimento()->verticalScrollBar();
    QTRY_VERIFY(scorrimento->maximum() > 0);
    scorrimento->setValue(0);

    QComboBox *rpm = Pag0(p)->Cmb[C::CmbSwtchRpm];
    const int prima = rpm->currentIndex();
    const int scatto = prima + 1 < rpm->count() ? 1 : -1;
    Rotella(rpm, scatto);
    QCOMPARE(rpm->currentIndex(), prima);
    QCOMPARE(p.ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna);
    QVERIFY(scorrimento->value() > 0);

    // Given the focus (a click, Tab), the list turns with the wheel and writes.
    p.frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(p.frame.get()));
    rpm->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(rpm->hasFocus());
    const qint32 periodo = p.banco.ValoreEcu(Contesto::RecConfig, 15);
    Rotella(rpm, scatto);
    QCOMPARE(rpm->currentIndex(), prima + scatto);
    QTRY_VERIFY_WITH_TIMEOUT(p.banco.ValoreEcu(Contesto::RecConfig, 15) != periodo, 10000);

    // A level mark never moves with the wheel.
    p.frame->CmdPage_Click();
    QScrollBar *marca = Pag1(p)->Livello->HScrLevel[0];
    const int valore = marca->value();
    for (int scatti : {3, -3}) {
        Rotella(marca, scatti);
        QCOMPARE(marca->value(), valore);
        QCOMPARE(p.ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna);
    }
}

void TstScrittureScelte::domandeCheScrivonoPredefinitoNo()
{
    ProgrammaProva p;
    QVERIFY(Connetti(p));
    auto predefinito = [&p] { return p.ui.mostrati.isEmpty() ? R::Ok : p.ui.mostrati.last().predefinito; };
    FrmRetta *retta = p.frame->PaginaRetta();
    while (p.ctx.stato.PaginaCorrente != MDIFrm::PagRetta)
        p.frame->CmdPage_Click();
    retta->CmdReset->click();
    QCOMPARE(predefinito(), R::No);
    retta->CmdResetAll->click();
    QCOMPARE(predefinito(), R::No);

    // The injector changed while the engine runs.
    p.ctx.TabMsg[Contesto::RecLive].Valori[6] |= 1;
    FrmConfig_2 &pag = *Pag1(p);
    const int altro = pag.Cmb[I::CmbTipoInjFam]->currentIndex() == 0 ? 1 : 0;
    p.ui.mostrati.clear();
    pag.Logica.Scegli(I::CmbTipoInjFam, altro);
    QCOMPARE(p.ui.mostrati.size(), 1);
    QCOMPARE(predefinito(), R::No);

    // A map file written over.
    const QString percorso = p.Percorso(QStringLiteral("Data/c.var"));
    p.ui.mostrati.clear();
    QVERIFY(p.SalvaMappa(percorso));
    p.ui.mostrati.clear();
    p.ui.fileDaSalvare.enqueue(percorso);
    QTest::mouseClick(p.frame->Barra()->CmdMapSave, Qt::LeftButton);
    QCOMPARE(p.ui.mostrati.size(), 1);
    QCOMPARE(predefinito(), R::No);
    QCOMPARE(p.ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna);
}

void TstScrittureScelte::invioPremeIlPulsantePredefinito()
{
    // The windows' boxes: Enter presses the default the caller named.
    QtServiziUi ui;
    struct Caso {
        ServiziUi::Pulsanti pulsanti;
        std::optional<R> predefinito;
        R attesa;
    };
    const Caso casi[] = {
        {ServiziUi::Pulsanti::SiNo, R::No, R::No},
        {ServiziUi::Pulsanti::SiNo, R::Si, R::Si},
        {ServiziUi::Pulsanti::SiNo, std::nullopt, R::No},
        {ServiziUi::Pulsanti::RiprovaAnnulla, std::nullopt, R::Riprova},
        {ServiziUi::Pulsanti::RiprovaAnnulla, R::Annulla, R::Annulla},
    };
    for (const Caso &c : casi) {
        QTimer invio;
        invio.setInterval(20);
        connect(&invio, &QTimer::timeout, &invio, [&invio] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                invio.stop();
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        invio.start();
        const R r = c.predefinito ? ui.Messaggio(QStringLiteral("?"), QStringLiteral("t"), c.pulsanti,
                                                 ServiziUi::Icona::Domanda, *c.predefinito)
                                  : ui.Messaggio(QStringLiteral("?"), QStringLiteral("t"), c.pulsanti,
                                                 ServiziUi::Icona::Domanda);
        QCOMPARE(r, c.attesa);
    }
}

GASCAL_PROVA(TstScrittureScelte)
#include "tst_scritture_scelte.moc"
