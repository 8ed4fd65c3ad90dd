// The interpolation window offscreen, then against the real processes: the whole program's window
// (GASCAL_SCREENSHOTS saves pictures) and `gascal-cli samples` until Ctrl+C.
#include "RegistroProve.h"
#include "BancoEcu.h"
#include "ProgrammaProva.h"
#include "TabelleProva.h"

#include "interp/FileCampioni.h"
#include "interp/FrmInterpola.h"
#include "interp/ModoInterpolazione.h"
#include "ui/interp/GraficoCampioni.h"
#include "ui/line/FrmRetta.h"
#include "ui/line/FrmRettaGrafico.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>
#include <QWindow>

#include <csignal>

using namespace gascal;
using T = TabelleCampioni;
using R = ServiziUi::Risposta;

class TstFrmInterpola : public QObject
{
    Q_OBJECT

    std::unique_ptr<BancoEcu> banco;
    std::unique_ptr<FrmInterpola> f;
    Contesto *ctx = nullptr;

    QString Sez(int k) const { return ctx->diz.TestoSezione(FrmInterpola::Sezione, k); }

private slots:
    void init()
    {
        banco = std::make_unique<BancoEcu>();
        QVERIFY(banco->Avvia());
        ctx = banco->ctx.get();
        ctx->scale.CaricaMapIni(ctx->imp.FileMapIni, ctx->ui);
        f = std::make_unique<FrmInterpola>(*ctx);
        f->Form_Load();
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.get()));
    }
    void cleanup()
    {
        f.reset();
        banco.reset();
    }

    void caricamento()
    {
        const QComboBox *c = f->CmbTmpStability;
        QCOMPARE((QStringList{c->itemText(0), c->itemText(16), c->currentText(), QString::number(c->count())}),
                 (QStringList{"1000", "5000", "2000", "17"}));
        QCOMPARE((QStringList{f->CmdEraseBenz->text(), f->CmdMapOpen->toolTip(), f->ChkTypeSline->text()}),
                 (QStringList{Sez(4), Sez(9), Sez(15)}));
        QVERIFY(f->TxtCampioni->font().fixedPitch() && f->Frame1->isHidden());
    }

    void cancellazioneChiede()
    {
        ctx->campioni = TabelleProva();
        banco->ui.risposte.enqueue(R::No);
        f->CmdEraseBenz_Click();
        QCOMPARE(ctx->campioni, TabelleProva());
        QCOMPARE(banco->ui.mostrati.last().testo, Sez(10));
        int rimossi = 0;
        f->RimuoviMarcatori = [&rimossi] { ++rimossi; };
        banco->ui.risposte.enqueue(R::Si);
        f->CmdEraseBenz_Click();
        QVERIFY(ctx->campioni[T::BeM] == T::Tabella{} && ctx->campioni[T::Be1] == T::Tabella{});
        QVERIFY(ctx->campioni[T::GaM] == TabelleProva()[T::GaM] && rimossi == 1);
        banco->ui.risposte.enqueue(R::Si);
        f->CmdEraseGas_Click();
        QCOMPARE(banco->ui.mostrati.last().testo, Sez(11));
        QCOMPARE(ctx->campioni, T{});
    }

    void fileCampioni()
    {
        const QString buono = banco->Percorso(QStringLiteral("Data/strada.cmp"));
        const QString corto = banco->Percorso(QStringLiteral("Data/corto.cmp"));
        QVERIFY(FileCampioni::SalvaCampioni(buono, TabelleProva()));
        banco->ScriviFile(QStringLiteral("Data/corto.cmp"), QByteArray(1000, '\1'));

        banco->ui.fileDaAprire.enqueue(corto);
        f->CmdMapOpen_Click();
        QVERIFY(ctx->campioni == T{} && banco->ui.mostrati.last().testo.contains(QStringLiteral("1000 bytes")));
        QCOMPARE(banco->ui.filtriMostrati.last(), FrmInterpola::Filtro);

        banco->ui.fileDaAprire.enqueue(buono);
        f->CmdMapOpen_Click();
        QCOMPARE(ctx->campioni, TabelleProva());

        // Saving over a file asks first, with the file name on its own line.
        ctx->stato.StatoProgramma = StatoApp::Connesso;
        ctx->campioni[T::Ga0][40] = 777;
        banco->ui.fileDaSalvare.enqueue(buono);
        banco->ui.risposte.enqueue(R::No);
        f->CmdMapSave_Click();
        QCOMPARE(banco->ui.mostrati.last().testo,
                 Sez(12) + QStringLiteral("\r\n") + buono + QStringLiteral("\r\n") + Sez(13));
        T letta;
        QVERIFY(FileCampioni::CaricaCampioni(buono, letta) && letta == TabelleProva());
        banco->ui.fileDaSalvare.enqueue(buono);
        banco->ui.risposte.enqueue(R::Si);
        f->CmdMapSave_Click();
        QVERIFY(FileCampioni::CaricaCampioni(buono, letta) && letta[T::Ga0][40] == 777);

        // Offline there is no saving at all.
        ctx->stato.StatoProgramma = StatoApp::Offline;
        const qsizetype filtri = banco->ui.filtriMostrati.size();
        f->CmdMapSave_Click();
        QCOMPARE(banco->ui.filtriMostrati.size(), filtri);
    }

    // An unreadable Memo.ini is said in a box over the frame once shown, no splash over it.
    void memoIllegibileAllAvvio()
    {
        ProgrammaProva p;
        const QByteArray guasto(1000, '\x33');
        p.banco.ScriviFile(QStringLiteral("Memo.ini"), guasto);
        bool visibile = false;
        p.ui.osservatore = [&](const ServiziUiScriptati::Mostrato &box) {
            if (!box.testo.contains(QStringLiteral("Memo.ini")))
                return;
            visibile = p.frame && p.frame->isVisible() && p.frame->windowHandle()
                && p.frame->windowHandle()->isExposed();
            for (QWidget *w : QApplication::topLevelWidgets())
                visibile = visibile && !(w->objectName() == QStringLiteral("FrmShow") && w->isVisible());
        };
        QVERIFY(p.AvviaProgramma());
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(p.ui.mostrati.cbegin(), p.ui.mostrati.cend(),
                                             [](const auto &m) { return m.testo.contains(QStringLiteral(".bad")); }),
                                 10000);
        QVERIFY(visibile);   // (how it is set aside: the unit case)
    }

    void cornice()
    {
        ctx->campioni = TabelleProva();
        QTest::keyClick(f.get(), Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
        QVERIFY(f->Frame1->isVisible());
        QCOMPARE(f->TxtCampioni->toPlainText(), QString(ctx->campioni.Testo()).remove(QLatin1Char('\r')));
        QTest::keyClick(f.get(), Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
        QVERIFY(f->Frame1->isHidden());
    }

    void ridimensionaInProporzione()
    {
        const QRect plot = f->PctRetta->geometry();
        const QRect lista = f->CmbTmpStability->geometry();
        const QRect erase = f->CmdEraseGas->geometry();
        f->resize(f->width() * 3 / 2, f->height() * 2);
        QTRY_COMPARE(f->PctRetta->width(), qRound(plot.width() * 1.5));
        QVERIFY(f->PctRetta->height() == plot.height() * 2 && f->CmdEraseGas->y() == erase.y() * 2);
        QCOMPARE(f->CmbTmpStability->size(), QSize(qRound(lista.width() * 1.5), lista.height())); // lists keep their height
        // Back to the design size: nothing has drifted.
        f->resize(f->width() * 2 / 3, f->height() / 2);
        QTRY_COMPARE(f->PctRetta->geometry(), plot);
        QCOMPARE(f->CmdEraseGas->geometry(), erase);
    }

    void finestraSulMotore()
    {
        ProgrammaProva p;
        const T prima = TabelleProva();
        QVERIFY(FileCampioni::SalvaCampioni(p.Percorso(QStringLiteral("Memo.ini")), prima));
        QVERIFY2(p.AvviaEcu().isEmpty(), "ecusim");
        QVERIFY(p.AvviaProgramma());
        QVERIFY(p.AttendiStato(StatoApp::Connesso));
        QCOMPARE(p.ctx.campioni, prima);

        // What the switch-over page's interpolation entry does.
        ModoInterpolazione::Entra(p.ctx);
        p.frame->MostraInterpolazione();
        FrmInterpola *f = p.frame->Interpola();
        QVERIFY(f && QTest::qWaitForWindowExposed(f));
        f->CmbTmpStability->setCurrentText(QStringLiteral("1000"));
        QTRY_VERIFY_WITH_TIMEOUT(p.ctx.stato.OperazioneRichiesta == gascal::Operazione::Nessuna, 10000);
        QCOMPARE(p.ctx.Valore(Contesto::RecConfig, 25), 0);
        QTRY_VERIFY_WITH_TIMEOUT(p.ctx.campioni[T::BeM] != prima[T::BeM], 10000);
        QCOMPARE(p.ctx.campioni[T::GaM], prima[T::GaM]);   // on petrol

        // The proposal: asked for, then drawn on the line page by the next refresh.
        p.ctx.stato.PaginaCorrente = MDIFrm::PagConfig2;
        p.frame->CmdPage_Click();
        auto *retta = qobject_cast<FrmRetta *>(p.frame->FrmRetta());
        QVERIFY(retta);
        QTRY_COMPARE_WITH_TIMEOUT(f->Modello().Stato(), int(Interpolazione::Disponibile), 5000);
        f->CmdPlottaDeflessio_Click();
        QTRY_VERIFY_WITH_TIMEOUT(!retta->Grafico->Marcatori().isEmpty(), 5000);
        QCOMPARE(f->Modello().Stato(), int(Interpolazione::Niente));
        QCOMPARE(retta->Grafico->Marcatori().size(), f->Modello().Marcatori().size());
        ProgrammaProva::Foto(f, QStringLiteral("interpolazione.png"));
        ProgrammaProva::Foto(p.frame.get(), QStringLiteral("retta-marcatori.png"));

        // Closing gives the ECU its settings back; the message once they are read back.
        f->close();
        QVERIFY(!p.ctx.InterpolazioneAttiva);
        QVERIFY(!p.ui.Testi().contains(p.ctx.diz.TestoSezione(FrmInterpola::Sezione, 3)));
        QTRY_VERIFY_WITH_TIMEOUT(p.ctx.stato.RipristinoRichiesto == 0 && p.ctx.stato.OperazioneRichiesta == gascal::Operazione::Nessuna, 10000);
        QVERIFY(p.ui.Testi().contains(p.ctx.diz.TestoSezione(FrmInterpola::Sezione, 3)));
        QVERIFY(!QFileInfo::exists(p.ctx.ripristino.PercorsoEcu()));
        QCOMPARE(p.ctx.Valore(Contesto::RecConfig, 25), 1);
        QCOMPARE(p.ctx.Valore(Contesto::RecConfig, 12) & 1, 1);
        // The tables stay in Memo.ini for the next run.
        T memo;
        QVERIFY(FileCampioni::CaricaCampioni(p.ctx.imp.FileMemoIni, memo));
        QCOMPARE(memo, p.ctx.campioni);
    }

    void ctrlCKeepsTheSamplesAndPutsTheEcuBack()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true));
        const qint32 sensore = b.ValoreEcu(Contesto::RecConfig, 25);
        const qint32 abilitazioni = b.ValoreEcu(Contesto::RecConfig, 12);
        QVERIFY(sensore != 0 && (abilitazioni & 1));
        const QString uscita = b.Percorso(QStringLiteral("strada.cmp"));
        QProcess cli;
        cli.start(BancoEcu::Bin(QStringLiteral("gascal-cli")),
                  {QStringLiteral("--dir"), b.Cartella(), QStringLiteral("samples"), QStringLiteral("--seconds"),
                   QStringLiteral("60"), QStringLiteral("--stability"), QStringLiteral("1000"), QStringLiteral("--out"),
                   uscita, QStringLiteral("--timeout"), QStringLiteral("20")});
        // In interpolation mode, long enough for a stable window at idle.
        QVERIFY(QTest::qWaitFor([&] { return b.ValoreEcu(Contesto::RecConfig, 25) == 0; }, 20000));
        QTest::qWait(2500);
        ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
        QVERIFY(QTest::qWaitFor([&] { return cli.state() == QProcess::NotRunning; }, 30000));
        const QString errori = QString::fromLocal8Bit(cli.readAllStandardError());
        QVERIFY2(cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 1, qPrintable(errori));
        QVERIFY2(errori.contains(QStringLiteral("stopped by SIGINT")), qPrintable(errori));

        T t;
        QVERIFY(FileCampioni::CaricaCampioni(uscita, t));
        QVERIFY2(Righe(t[T::BeM]) >= 1, qPrintable(t.Testo()));
        const QString testo = QString::fromLocal8Bit(cli.readAllStandardOutput());
        QVERIFY(testo.startsWith(QStringLiteral(" id   BeM")));
        QCOMPARE(testo, QString(t.Testo()).remove(QLatin1Char('\r')));   // the tables kept

        QCOMPARE(b.ValoreEcu(Contesto::RecConfig, 25), sensore);
        QCOMPARE(b.ValoreEcu(Contesto::RecConfig, 12), abilitazioni);
        QVERIFY(QDir(b.Percorso(QStringLiteral("Data"))).entryList({QStringLiteral("restore_*")}).isEmpty());
    }
};

GASCAL_PROVA(TstFrmInterpola)
#include "tst_frminterpola.moc"
