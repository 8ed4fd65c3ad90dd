// Nothing goes into an ECU that the user did not choose for it: what waited
// for an ECU that went away is dropped, the title forgets a map of another
// ECU, the wheel scrolls the page instead of changing a setting, and a stray
// Enter answers No. Which writes are dropped and which titles kept is tried
// in tests/core (tst_ciclo, tst_ecu_cambiata); here, that the frame does it.
#include "RegistroProve.h"
#include "ProgrammaProva.h"

#include "ui/common/QtServiziUi.h"
#include "ui/config/FrmConfig.h"
#include "ui/config/FrmConfig_2.h"
#include "ui/config/GruppoLivello.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest/qtestspontaneevent.h>

using namespace gascal;
using C = LogicaCommutazione;
using I = LogicaIniettori;
using R = ServiziUi::Risposta;

namespace {

FrmConfig *Pag0(ProgrammaProva &p) { return static_cast<FrmConfig *>(p.frame->FrmConfig()); }
FrmConfig_2 *Pag1(ProgrammaProva &p) { return static_cast<FrmConfig_2 *>(p.frame->FrmConfig_2()); }

// 1 when all three pages take edits, 0 when none does, -1 otherwise.
int PagineAbilitate(ProgrammaProva &p)
{
    const int n = p.frame->FrmConfig()->isEnabled() + p.frame->FrmConfig_2()->isEnabled()
        + p.frame->FrmRetta()->isEnabled();
    return n == 3 ? 1 : n == 0 ? 0 : -1;
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

} // namespace

class TstScrittureScelte : public QObject
{
    Q_OBJECT
private slots:
    // The ECU's power goes at the write of a setting: while the frame
    // searches, the failed write is gone, and a choice made anyway (only the
    // page's logic can still be driven) is kept from the next ECU too; the
    // page then shows what the new ECU holds.
    void scrittureInAttesaScartate()
    {
        ProgrammaProva p;
        QVERIFY(p.Connetti({QStringLiteral("--exit-on"), QStringLiteral("17")}));
        QComboBox *rpm = Pag0(p)->Cmb[C::CmbSwtchRpm];
        const int prima = rpm->currentIndex(), altra = prima == 1 ? 2 : 1;
        const qint32 periodo = p.banco.ValoreEcu(Contesto::RecConfig, 15);
        rpm->setCurrentIndex(altra);
        emit rpm->activated(altra);
        QCOMPARE(p.ctx.stato.OperazioneRichiesta, Operazione::ScriviConfig);
        int disabilitate = -1;
        bool codaVuota = false;
        QVERIFY(p.Riconnetti([&] {
            disabilitate = PagineAbilitate(p);
            codaVuota = p.ctx.code.ValoriDaScrivere.Vuota() && !p.ctx.stato.OperazioneInAttesa();
            Pag1(p)->Logica.InvioPwm(I::TxtPWMON, QStringLiteral("77"));
        }));
        QCOMPARE(disabilitate, 0);
        QVERIFY(codaVuota);
        QTRY_COMPARE_WITH_TIMEOUT(PagineAbilitate(p), 1, 2000);
        QVERIFY(!p.ctx.stato.OperazioneInAttesa() && p.ctx.code.ValoriDaScrivere.Vuota());
        QTest::qWait(500);
        QCOMPARE(p.banco.ValoreEcu(Contesto::RecConfig, 15), periodo);
        const qint32 pwm = p.banco.ValoreEcu(Contesto::RecConfig, I::PosPwmOn);
        QVERIFY(pwm != 77);
        QCOMPARE(rpm->currentIndex(), prima);
        QCOMPARE(Pag1(p)->TxtPwm[I::TxtPWMON]->text(), QString::number(pwm));
    }

    // The same ECU back keeps the title's map; another one's serial drops it.
    void titoloSoloPerLaStessaEcu()
    {
        ProgrammaProva p;
        QVERIFY(p.Connetti());
        QVERIFY(p.SalvaMappa(p.Percorso(QStringLiteral("Data/a.var"))));
        QVERIFY(p.Riconnetti());
        QVERIFY(p.frame->windowTitle().endsWith(QStringLiteral(" - [a.var] ")));
        QVERIFY(Pag1(p)->Logica.InvioProduzione(0, QStringLiteral("4321")));
        QVERIFY(p.AttendiOperazione());
        QVERIFY(p.SalvaMappa(p.Percorso(QStringLiteral("Data/b.var"))));
        QVERIFY(p.frame->windowTitle().endsWith(QStringLiteral(" - [b.var] ")));
        QVERIFY(p.Riconnetti());
        QCOMPARE(p.ctx.Valore(Contesto::RecProduzione, 0), 1234);
        QCOMPARE(p.ctx.stato.TitoloFile, QString());
        QCOMPARE(p.frame->windowTitle(), p.frame->TitoloBase());
    }

    // Over a list or a level mark without the focus the wheel scrolls the
    // page; a list given the focus turns and writes; a mark never moves.
    void rotellaSoloConIlFuoco()
    {
        ProgrammaProva p;
        QVERIFY(p.Connetti());
        p.frame->resize(520, 360);
        QScrollBar *scorrimento = p.frame->Scorrimento()->verticalScrollBar();
        QTRY_VERIFY(scorrimento->maximum() > 0);
        scorrimento->setValue(0);
        QComboBox *rpm = Pag0(p)->Cmb[C::CmbSwtchRpm];
        const int prima = rpm->currentIndex(), scatto = prima + 1 < rpm->count() ? 1 : -1;
        Rotella(rpm, scatto);
        QCOMPARE(rpm->currentIndex(), prima);
        QCOMPARE(p.ctx.stato.OperazioneRichiesta, Operazione::Nessuna);
        QVERIFY(scorrimento->value() > 0);

        p.frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p.frame.get()));
        rpm->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(rpm->hasFocus());
        const qint32 periodo = p.banco.ValoreEcu(Contesto::RecConfig, 15);
        Rotella(rpm, scatto);
        QCOMPARE(rpm->currentIndex(), prima + scatto);
        QTRY_VERIFY_WITH_TIMEOUT(p.banco.ValoreEcu(Contesto::RecConfig, 15) != periodo, 10000);

        p.frame->CmdPage_Click();
        QScrollBar *marca = Pag1(p)->Livello->HScrLevel[0];
        const int valore = marca->value();
        for (int scatti : {3, -3}) {
            Rotella(marca, scatti);
            QCOMPARE(marca->value(), valore);
            QCOMPARE(p.ctx.stato.OperazioneRichiesta, Operazione::Nessuna);
        }
    }

    // The windows' boxes: Enter presses the default the caller named; the
    // file dialogs show the filters' descriptions as written.
    void serviziDelleFinestre()
    {
        QtServiziUi ui;
        const struct {
            ServiziUi::Pulsanti pulsanti;
            std::optional<R> predefinito;
            R attesa;
        } casi[] = {
            {ServiziUi::Pulsanti::SiNo, R::No, R::No},
            {ServiziUi::Pulsanti::SiNo, R::Si, R::Si},
            {ServiziUi::Pulsanti::SiNo, std::nullopt, R::No},
            {ServiziUi::Pulsanti::RiprovaAnnulla, std::nullopt, R::Riprova},
            {ServiziUi::Pulsanti::RiprovaAnnulla, R::Annulla, R::Annulla},
        };
        for (const auto &c : casi) {
            QTimer invio;
            invio.setInterval(20);
            connect(&invio, &QTimer::timeout, &invio, [&invio] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                    invio.stop();
                    QTest::keyClick(box, Qt::Key_Return);
                }
            });
            invio.start();
            const auto icona = ServiziUi::Icona::Domanda;
            QCOMPARE(c.predefinito ? ui.Messaggio(QStringLiteral("?"), QStringLiteral("t"), c.pulsanti, icona, *c.predefinito)
                                   : ui.Messaggio(QStringLiteral("?"), QStringLiteral("t"), c.pulsanti, icona),
                     c.attesa);
        }
        QCOMPARE(QtServiziUi::FiltroQt(QStringLiteral("View Files  (*.var)|*.var|All Files  (*.*)|*.*")),
                 QStringLiteral("View Files  (*.var);;All Files  (*.*)"));
        QCOMPARE(QtServiziUi::FiltroQt(QStringLiteral("Samples|*.cmp;*.txt")), QStringLiteral("Samples (*.cmp *.txt)"));
    }
};

GASCAL_PROVA(TstScrittureScelte)
#include "tst_scritture_scelte.moc"
