// Road samples against the real processes: the program's window (GASCAL_SCREENSHOTS saves pictures)
// and `gascal-cli samples` until Ctrl+C; the road cycle runs in tst_campioni.
#include "RegistroProve.h"
#include "BancoEcu.h"
#include "ProgrammaProva.h"
#include "TabelleProva.h"

#include "interp/FileCampioni.h"
#include "interp/FrmInterpola.h"
#include "interp/ModoInterpolazione.h"
#include "ui/line/FrmRetta.h"
#include "ui/line/FrmRettaGrafico.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <csignal>

using namespace gascal;
using T = TabelleCampioni;

class TstStrada : public QObject
{
    Q_OBJECT
private slots:
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

GASCAL_PROVA(TstStrada)
#include "tst_strada.moc"
