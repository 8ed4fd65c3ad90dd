// The interpolation window offscreen, without an ECU.
#include "RegistroProve.h"
#include "BancoEcu.h"
#include "ProgrammaProva.h"
#include "TabelleProva.h"

#include "interp/FileCampioni.h"
#include "interp/FrmInterpola.h"
#include "ui/interp/GraficoCampioni.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QTest>
#include <QWindow>

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
        QVERIFY(visibile);
        QCOMPARE(QDir(p.Cartella()).entryList({QStringLiteral("Memo.ini.*.bad")}).size(), 1);
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
};

GASCAL_PROVA(TstFrmInterpola)
#include "tst_frminterpola.moc"
