// gascal-cli autotune as an installer runs it: the engine driven by hand
// (here through ecusim's control channel) as the printed steps ask.

#include "BancoEcu.h"
#include "../autotune/ProfiloBreve.h"

#include <QProcess>
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
        for (const QStringList &opzioni : {QStringList{QStringLiteral("--injector"), QStringLiteral("Rail 2 ohm - fast")},
                                           QStringList{QStringLiteral("--fuel"), QStringLiteral("lpg"),
                                                       QStringLiteral("--injector"), QStringLiteral("none such")},
                                           QStringList{QStringLiteral("--fuel"), QStringLiteral("diesel")}}) {
            Esecuzione e;
            Avvia(b, e, opzioni, [](const QString &) {});
            QCOMPARE(Fine(e, 20000), 2);
            QVERIFY2(e.err.contains(QStringLiteral("--injector")) || e.err.contains(QStringLiteral("--fuel")),
                     qPrintable(e.err));
            QVERIFY(!e.out.contains(QStringLiteral("step 1")));
        }
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

    void ctrlCStopsAndRestores()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({QStringLiteral("--time-scale"), QStringLiteral("10")}, true));
        Esecuzione e;
        Avvia(b, e, {QStringLiteral("--fuel"), QStringLiteral("lpg"), QStringLiteral("--injector"),
                     QStringLiteral("Rail 2 ohm - fast")},
              [&e](const QString &riga) {
                  if (riga == QLatin1String("step 3"))
                      ::kill(static_cast<pid_t>(e.p.processId()), SIGINT);
              });
        QCOMPARE(Fine(e), 1);
        QVERIFY2(e.err.contains(QStringLiteral("result 1:")), qPrintable(e.err));
        const QString stato = b.Controllo(QStringLiteral("state"));
        QVERIFY2(stato.contains(QStringLiteral("tuning=0")) && stato.contains(QStringLiteral("fuel=petrol")),
                 qPrintable(stato));
    }
};

QTEST_MAIN(TstAutotuneCli)
#include "tst_autotune_cli.moc"
