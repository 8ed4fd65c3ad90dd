// gascal-cli autotune as a process, stopped by signals; the rest runs in autotune.tst_taratura_cli.

#include "RegistroProve.h"
#include "BancoEcu.h"
#include "../autotune/ProfiloBreve.h"

#include <QDir>
#include <QProcess>
#include <QTest>

#include <csignal>

class TstAutotuneCli : public QObject
{
    Q_OBJECT

    // Sends `segnale` once step 3 is printed; the exit code, -1 when it did not end normally.
    static int Interrompi(BancoEcu &b, int segnale, QString &err)
    {
        b.ScriviFile(QStringLiteral("breve.txt"), ProfiloBreve());
        QProcess p;
        bool inviato = false;
        QObject::connect(&p, &QProcess::readyReadStandardOutput, [&] {
            while (p.canReadLine())
                if (p.readLine().trimmed() == "step 3" && !inviato)
                    inviato = ::kill(static_cast<pid_t>(p.processId()), segnale) == 0;
        });
        p.start(BancoEcu::Bin(QStringLiteral("gascal-cli")),
                {QStringLiteral("--dir"), b.Cartella(), QStringLiteral("autotune"), QStringLiteral("--profile"),
                 b.Percorso(QStringLiteral("breve.txt")), QStringLiteral("--fuel"), QStringLiteral("lpg")});
        if (!p.waitForStarted() && QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 60000))
            p.kill();
        p.waitForFinished();
        err = QString::fromLocal8Bit(p.readAllStandardError());
        return inviato && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    static QStringList Giornali(const BancoEcu &b)
    {
        return QDir(b.Percorso(QStringLiteral("Data"))).entryList({QStringLiteral("restore_*")});
    }

private slots:
    void stopSignalPutsTheEcuBack_data()
    {
        QTest::addColumn<int>("segnale");
        QTest::addColumn<QString>("nome");
        QTest::newRow("Ctrl+C") << int(SIGINT) << "SIGINT";
        QTest::newRow("SIGTERM") << int(SIGTERM) << "SIGTERM";
        QTest::newRow("SIGHUP") << int(SIGHUP) << "SIGHUP";
    }
    void stopSignalPutsTheEcuBack()
    {
        QFETCH(int, segnale);
        QFETCH(QString, nome);
        BancoEcu b;
        QVERIFY(b.AvviaEcu({QStringLiteral("--time-scale"), QStringLiteral("10")}, true));
        QStringList prima;
        for (int n : {2, 3})
            prima << b.Controllo(QStringLiteral("block %1").arg(n));
        QString err;
        QCOMPARE(Interrompi(b, segnale, err), 1);
        QVERIFY2(err.contains(QStringLiteral("result 1: ")) && err.contains(QStringLiteral("(%1)").arg(nome)),
                 qPrintable(err));
        QStringList dopo;
        for (int n : {2, 3})
            dopo << b.Controllo(QStringLiteral("block %1").arg(n));
        QCOMPARE(dopo, prima);
        QVERIFY(b.Controllo(QStringLiteral("state")).contains(QStringLiteral("tuning=0")));
        QVERIFY2(Giornali(b).isEmpty(), qPrintable(err));
    }

    // A killed run leaves its journal: the next command that finds the ECU puts it back.
    void journalOfAKilledRunIsRestoredByTheNextInfo()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({QStringLiteral("--time-scale"), QStringLiteral("10")}, true));
        const QString blocco3 = b.Controllo(QStringLiteral("block 3"));
        QString err;
        QCOMPARE(Interrompi(b, SIGKILL, err), -1);
        QProcess::execute(QStringLiteral("pkill"), {QStringLiteral("-9"), QStringLiteral("-f"), b.Percorso(QStringLiteral("PrjCom"))});
        QVERIFY(b.Controllo(QStringLiteral("block 3")) != blocco3);   // the injector's timing of the run
        QCOMPARE(Giornali(b).size(), 1);

        const EsitoCli info = b.Cli({QStringLiteral("info")});
        QCOMPARE(info.codice, 0);
        QVERIFY2(info.err.contains(QStringLiteral("The last autotuning on this ECU did not end")), qPrintable(info.err));
        QVERIFY2(info.err.contains(QStringLiteral("These settings were put back")), qPrintable(info.err));
        QCOMPARE(b.Controllo(QStringLiteral("block 3")), blocco3);
        QVERIFY(b.Controllo(QStringLiteral("state")).contains(QStringLiteral("tuning=0")));
        QVERIFY(Giornali(b).isEmpty());
    }
};

GASCAL_PROVA(TstAutotuneCli)
#include "tst_autotune_cli.moc"
