// gascal-cli autotune as an installer runs it: the engine driven by hand
// (here through ecusim's control channel) as the printed steps ask.

#include "RegistroProve.h"
#include "BancoEcu.h"
#include "../autotune/ProfiloBreve.h"

#include <QDir>
#include <QProcess>
#include <QTimer>
#include <QTest>

#include <csignal>

class TstAutotuneCli : public QObject
{
    Q_OBJECT

    struct Esecuzione {
        QProcess p;
        QString out;
        QString err;
    };

    // Starts gascal-cli autotune with the short profile; `suRiga` sees each
    // printed line as it comes.
    static void Avvia(BancoEcu &b, Esecuzione &e, const QStringList &opzioni,
                      const std::function<void(const QString &)> &suRiga)
    {
        b.ScriviFile(QStringLiteral("breve.txt"), ProfiloBreve());
        QObject::connect(&e.p, &QProcess::readyReadStandardOutput, [&e, suRiga] {
            while (e.p.canReadLine()) {
                const QString riga = QString::fromLocal8Bit(e.p.readLine()).trimmed();
                e.out += riga + QLatin1Char('\n');
                suRiga(riga);
            }
        });
        e.p.start(BancoEcu::Bin(QStringLiteral("gascal-cli")),
                  QStringList{QStringLiteral("--dir"), b.Cartella(), QStringLiteral("autotune"),
                              QStringLiteral("--profile"), b.Percorso(QStringLiteral("breve.txt"))}
                      + opzioni);
    }
    static int Fine(Esecuzione &e, int ms = 90000)
    {
        if (!QTest::qWaitFor([&] { return e.p.state() == QProcess::NotRunning; }, ms)) {
            e.p.kill();
            e.p.waitForFinished();
            return -1;
        }
        e.out += QString::fromLocal8Bit(e.p.readAllStandardOutput());
        e.err = QString::fromLocal8Bit(e.p.readAllStandardError());
        return e.p.exitStatus() == QProcess::NormalExit ? e.p.exitCode() : -1;
    }

private slots:
    void acceptedRunEndsWithResult0()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({QStringLiteral("--time-scale"), QStringLiteral("10")}, true));
        Esecuzione e;
        Avvia(b, e, {QStringLiteral("--fuel"), QStringLiteral("lpg"), QStringLiteral("--accept")},
              [&b](const QString &riga) {
                  if (riga == QLatin1String("step 4"))
                      b.Controllo(QStringLiteral("rpm 2500"));
                  else if (riga == QLatin1String("step 6"))
                      b.Controllo(QStringLiteral("rpm 800"));
              });
        QCOMPARE(Fine(e), 0);
        QVERIFY(e.out.contains(QStringLiteral("injector: Rail 2 ohm - fast (the ECU's)\n")));
        for (int k = 1; k <= 6; ++k)
            QVERIFY2(e.out.contains(QStringLiteral("step %1\n").arg(k)), qPrintable(e.out));
        QVERIFY(e.out.contains(QStringLiteral("Tara al minimo\n")));
        QVERIFY2(e.out.contains(QStringLiteral("result 0:")), qPrintable(e.err));
        QVERIFY(b.Controllo(QStringLiteral("state")).contains(QStringLiteral("tuning=0")));
    }

    void missingChoicesFailBeforeAnythingIsWritten()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true));
        // A missing or unknown fuel is a command-line error (tst_argomenti_cli);
        // an injector name is checked against the ECU's scale table.
        Esecuzione e;
        Avvia(b, e, {QStringLiteral("--fuel"), QStringLiteral("lpg"), QStringLiteral("--injector"),
                     QStringLiteral("none such")},
              [](const QString &) {});
        QCOMPARE(Fine(e, 20000), 2);
        QVERIFY2(e.err.contains(QStringLiteral("--injector")), qPrintable(e.err));
        QVERIFY(!e.out.contains(QStringLiteral("step 1")));
    }

    // Every way a run can end without the user's Accept, at the moments
    // that matter: the ECU must hold again what it held before the run
    // (records 2, 3, 4 and 6), and the journal must be gone.
    void faultMatrixPutsTheEcuBack_data()
    {
        QTest::addColumn<QString>("momento");   // a printed line: "step N" or a status text
        QTest::addColumn<QString>("guasto");
        const QString gas = QStringLiteral("Switching to gas...");
        const QString tara = QStringLiteral("Injector tare on gas: settling");
        const QString minimo = QStringLiteral("Release the accelerator and let the engine idle.");
        QTest::newRow("Ctrl+C at step 3") << QStringLiteral("step 3") << QStringLiteral("SIGINT");
        QTest::newRow("SIGTERM at step 2") << QStringLiteral("step 2") << QStringLiteral("SIGTERM");
        QTest::newRow("SIGTERM on gas") << tara << QStringLiteral("SIGTERM");
        QTest::newRow("SIGHUP at step 6") << minimo << QStringLiteral("SIGHUP");
        QTest::newRow("cable pulled at step 3") << QStringLiteral("step 3") << QStringLiteral("unplug");
        QTest::newRow("cable pulled on gas") << tara << QStringLiteral("unplug");
        QTest::newRow("cable pulled at step 6") << minimo << QStringLiteral("unplug");
        QTest::newRow("power cut while switching to gas") << gas << QStringLiteral("power");
        QTest::newRow("power cut on gas") << tara << QStringLiteral("power");
        QTest::newRow("power cut at step 6") << minimo << QStringLiteral("power");
        QTest::newRow("PrjCom killed on gas") << tara << QStringLiteral("prjcom");
        QTest::newRow("line download refused after Accept") << QString() << QStringLiteral("refuse50");
    }
    void faultMatrixPutsTheEcuBack()
    {
        QFETCH(QString, momento);
        QFETCH(QString, guasto);
        BancoEcu b;
        const bool rifiuta = guasto == QLatin1String("refuse50");
        QStringList opzioniEcu{QStringLiteral("--time-scale"), QStringLiteral("10")};
        if (rifiuta)
            opzioniEcu << QStringLiteral("--refuse") << QStringLiteral("50");
        QVERIFY(b.AvviaEcu(opzioniEcu, true));
        const auto foto = [&b] {
            QStringList f;
            for (int k : {0, 2, 5})
                f << QString::number(b.ValoreEcu(2, k));
            for (int n : {3, 4, 6})
                f << b.Controllo(QStringLiteral("block %1").arg(n));
            return f;
        };
        const QStringList prima = foto();
        Esecuzione e;
        bool fatto = rifiuta;
        QStringList opzioni{QStringLiteral("--fuel"), QStringLiteral("lpg"), QStringLiteral("--timeout"), QStringLiteral("20")};
        if (rifiuta)
            opzioni << QStringLiteral("--accept");
        Avvia(b, e, opzioni,
              [&](const QString &riga) {
                  if (riga == QLatin1String("step 4"))
                      b.Controllo(QStringLiteral("rpm 2500"));
                  else if (riga == QLatin1String("step 6"))
                      b.Controllo(QStringLiteral("rpm 800"));
                  if (fatto || !riga.startsWith(momento))
                      return;
                  fatto = true;
                  const pid_t pid = static_cast<pid_t>(e.p.processId());
                  if (guasto == QLatin1String("SIGINT"))
                      ::kill(pid, SIGINT);
                  else if (guasto == QLatin1String("SIGTERM"))
                      ::kill(pid, SIGTERM);
                  else if (guasto == QLatin1String("SIGHUP"))
                      ::kill(pid, SIGHUP);
                  else if (guasto == QLatin1String("prjcom"))
                      QProcess::execute(QStringLiteral("pkill"), {QStringLiteral("-9"), QStringLiteral("-f"), b.Percorso(QStringLiteral("PrjCom"))});
                  else if (guasto == QLatin1String("unplug")) {
                      b.Controllo(QStringLiteral("unplug"));
                      QTimer::singleShot(3000, [&b] { b.Controllo(QStringLiteral("plug")); });
                  } else if (guasto == QLatin1String("power")) {
                      b.Controllo(QStringLiteral("power off"));
                      QTimer::singleShot(2000, [&b] { b.Controllo(QStringLiteral("power on")); });
                  }
              });
        QCOMPARE(Fine(e, 150000), 1);
        QVERIFY2(fatto, qPrintable(e.out));
        QVERIFY2(!e.out.contains(QStringLiteral("result 0")), qPrintable(e.out));
        QVERIFY2(e.err.contains(QStringLiteral("result ")), qPrintable(e.err));
        QTest::qWait(300);
        QCOMPARE(foto(), prima);
        QVERIFY2(QDir(b.Percorso(QStringLiteral("Data"))).entryList({QStringLiteral("restore_*")}).isEmpty(),
                 qPrintable(e.err));
        QVERIFY(b.Controllo(QStringLiteral("state")).contains(QStringLiteral("tuning=0")));
    }

    void badProfileFailsBeforeAnythingIsWritten()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true));
        QByteArray profilo = ProfiloBreve();
        profilo.replace("Rpm Massimo=2500=2500", "Rpm Massimo=-2500=2500");
        b.ScriviFile(QStringLiteral("cattivo.txt"), profilo);
        QStringList prima;
        for (int n : {2, 3, 4, 6})
            prima << b.Controllo(QStringLiteral("block %1").arg(n));
        Esecuzione e;
        e.p.start(BancoEcu::Bin(QStringLiteral("gascal-cli")),
                  {QStringLiteral("--dir"), b.Cartella(), QStringLiteral("autotune"), QStringLiteral("--profile"),
                   b.Percorso(QStringLiteral("cattivo.txt")), QStringLiteral("--fuel"), QStringLiteral("lpg"),
                   QStringLiteral("--injector"), QStringLiteral("Rail 2 ohm - fast"), QStringLiteral("--accept")});
        QCOMPARE(Fine(e, 30000), 1);
        QVERIFY2(e.err.contains(b.Percorso(QStringLiteral("cattivo.txt")))
                     && e.err.contains(QStringLiteral("Rpm Massimo: -2500 is outside 0..7000 rpm")),
                 qPrintable(e.err));
        QVERIFY(!e.out.contains(QStringLiteral("step 1")));
        QStringList dopo;
        for (int n : {2, 3, 4, 6})
            dopo << b.Controllo(QStringLiteral("block %1").arg(n));
        QCOMPARE(dopo, prima);
    }

    // A run killed outright leaves its journal: the next command that finds
    // the ECU puts it back and says what it put back.
    void journalOfAKilledRunIsRestoredByTheNextInfo()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({QStringLiteral("--time-scale"), QStringLiteral("10")}, true));
        const QString blocco3 = b.Controllo(QStringLiteral("block 3"));
        Esecuzione e;
        Avvia(b, e, {QStringLiteral("--fuel"), QStringLiteral("lpg")}, [&](const QString &riga) {
            if (riga == QLatin1String("step 4"))
                b.Controllo(QStringLiteral("rpm 2500"));
            else if (riga.startsWith(QLatin1String("Injector tare on gas")))
                ::kill(static_cast<pid_t>(e.p.processId()), SIGKILL);
        });
        QCOMPARE(Fine(e), -1);
        QProcess::execute(QStringLiteral("pkill"), {QStringLiteral("-9"), QStringLiteral("-f"), b.Percorso(QStringLiteral("PrjCom"))});
        QVERIFY(b.Controllo(QStringLiteral("state")).contains(QStringLiteral("tuning=1")));
        QCOMPARE(QDir(b.Percorso(QStringLiteral("Data"))).entryList({QStringLiteral("restore_*")}).size(), 1);

        const EsitoCli info = b.Cli({QStringLiteral("info")});
        QCOMPARE(info.codice, 0);
        QVERIFY2(info.err.contains(QStringLiteral("The last autotuning on this ECU did not end")), qPrintable(info.err));
        QVERIFY2(info.err.contains(QStringLiteral("These settings were put back")), qPrintable(info.err));
        QCOMPARE(b.Controllo(QStringLiteral("block 3")), blocco3);
        QVERIFY(b.Controllo(QStringLiteral("state")).contains(QStringLiteral("tuning=0")));
        QVERIFY(QDir(b.Percorso(QStringLiteral("Data"))).entryList({QStringLiteral("restore_*")}).isEmpty());
    }
};

GASCAL_PROVA(TstAutotuneCli)
#include "tst_autotune_cli.moc"
