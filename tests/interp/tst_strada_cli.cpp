// `gascal-cli samples` as a process until Ctrl+C; the road cycle runs in tst_strada_virtuale.
#include "RegistroProve.h"
#include "BancoEcu.h"
#include "TabelleProva.h"

#include "interp/FileCampioni.h"

#include <QDir>
#include <QProcess>
#include <QTest>

#include <csignal>

using namespace gascal;
using T = TabelleCampioni;

class TstStradaCli : public QObject
{
    Q_OBJECT
private slots:
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

GASCAL_PROVA(TstStradaCli)
#include "tst_strada_cli.moc"
