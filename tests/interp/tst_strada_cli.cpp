// `gascal-cli samples` as a process, through PrjCom and ecusim on a
// pseudo-terminal, while the road cycle begins: samples come in, the tables
// are printed, and the ECU gets its pressure sensor and end-of-gas setting
// back; and the same when a signal ends the sampling. The whole cycle on both
// fuels, the proposals and the cable pulled run on the stepped clock in
// tst_strada_virtuale.
#include "RegistroProve.h"
#include "BancoEcu.h"
#include "StradaComune.h"

#include "interp/FileCampioni.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <csignal>
#include <QTest>

using namespace gascal;
using T = TabelleCampioni;

class TstStradaCli : public QObject
{
    Q_OBJECT

    static QProcess *Cli(const BancoEcu &b, const QStringList &argomenti)
    {
        auto *p = new QProcess;
        p->start(BancoEcu::Bin(QStringLiteral("gascal-cli")),
                 QStringList{QStringLiteral("--dir"), b.Cartella()} + argomenti);
        return p;
    }

private slots:
    void cicloStradale()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true));
        const QString uscita = b.Percorso(QStringLiteral("strada.cmp"));
        std::unique_ptr<QProcess> cli(Cli(b, {QStringLiteral("samples"), QStringLiteral("--seconds"), QStringLiteral("15"),
                                              QStringLiteral("--stability"), QStringLiteral("1000"),
                                              QStringLiteral("--out"), uscita}));
        QVERIFY(cli->waitForStarted(5000));
        // The cycle starts once the tool has the ECU in interpolation mode.
        QVERIFY(QTest::qWaitFor([&] { return b.ValoreEcu(Contesto::RecConfig, 25) == 0; }, 20000));
        QCOMPARE(b.Controllo(QStringLiteral("road %1").arg(StradaComune::PassoSecondi)), QStringLiteral("ok"));
        QVERIFY(cli->waitForFinished(60000));
        const QString errori = QString::fromLocal8Bit(cli->readAllStandardError());
        QVERIFY2(cli->exitCode() == 0, qPrintable(errori));
        const QString testo = QString::fromLocal8Bit(cli->readAllStandardOutput());
        QVERIFY(testo.startsWith(QStringLiteral(" id   BeM")));

        T t;
        QVERIFY(FileCampioni::CaricaCampioni(uscita, t));
        QVERIFY2(StradaComune::Righe(t[T::BeM]) >= 3, qPrintable(t.Testo()));
        QVERIFY(testo.contains(QStringLiteral(" 20 %1").arg(t[T::BeM][20], 5)));

        // The ECU has its pressure sensor and end-of-gas management back.
        QCOMPARE(b.ValoreEcu(Contesto::RecConfig, 25), 1);
        QCOMPARE(b.ValoreEcu(Contesto::RecConfig, 12) & 1, 1);
    }
    // Sampling ended by a signal: the samples are kept and the ECU gets its
    // pressure sensor and end-of-gas setting back.
    void interruptedSamplingPutsTheEcuBack_data()
    {
        QTest::addColumn<QString>("guasto");
        QTest::newRow("Ctrl+C") << QStringLiteral("SIGINT");
        QTest::newRow("SIGTERM") << QStringLiteral("SIGTERM");
    }
    void interruptedSamplingPutsTheEcuBack()
    {
        QFETCH(QString, guasto);
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true));
        const qint32 sensore = b.ValoreEcu(Contesto::RecConfig, 25);
        const qint32 abilitazioni = b.ValoreEcu(Contesto::RecConfig, 12);
        QVERIFY(sensore != 0 && (abilitazioni & 1));
        const QString memo = b.Percorso(QStringLiteral("strada.cmp"));
        std::unique_ptr<QProcess> cli(Cli(b, {QStringLiteral("samples"), QStringLiteral("--seconds"), QStringLiteral("60"),
                                              QStringLiteral("--out"), memo, QStringLiteral("--timeout"), QStringLiteral("20")}));
        QVERIFY(QTest::qWaitFor([&] { return b.ValoreEcu(Contesto::RecConfig, 25) == 0; }, 20000));
        QTest::qWait(500);
        ::kill(static_cast<pid_t>(cli->processId()), guasto == QLatin1String("SIGINT") ? SIGINT : SIGTERM);
        QVERIFY(QTest::qWaitFor([&] { return cli->state() == QProcess::NotRunning; }, 60000));
        QVERIFY2(cli->exitStatus() == QProcess::NormalExit && cli->exitCode() == 1,
                 qPrintable(QString::fromLocal8Bit(cli->readAllStandardError())));
        QCOMPARE(b.ValoreEcu(Contesto::RecConfig, 25), sensore);
        QCOMPARE(b.ValoreEcu(Contesto::RecConfig, 12), abilitazioni);
        QVERIFY(QFileInfo::exists(memo));
        QVERIFY(QDir(b.Percorso(QStringLiteral("Data"))).entryList({QStringLiteral("restore_*")}).isEmpty());
    }
};

GASCAL_PROVA(TstStradaCli)
#include "tst_strada_cli.moc"
