#include "RegistroProve.h"
#include "BancoEcu.h"
#include "../autotune/ProfiloBreve.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <cstring>

using namespace Qt::StringLiterals;

// gascal-cli as a process against PrjCom and the virtual ECU: each command, each way to fail, the stop signals.
class TstGascalCli : public QObject
{
    Q_OBJECT

    // Arguments as one line, "DIR" standing for the bench's folder.
    static EsitoCli Cli(const BancoEcu &b, const QString &riga)
    {
        return b.Cli(QString(riga).replace(u"DIR"_s, b.Cartella()).split(QLatin1Char(' ')));
    }

    // The numbers of the output line that starts with `chiave`.
    static QList<int> Numeri(const QString &out, const QString &chiave)
    {
        QList<int> numeri;
        for (const QString &riga : out.split(QLatin1Char('\n')))
            if (riga.startsWith(chiave + QLatin1Char(' ')))
                for (const QString &parola : riga.mid(chiave.size() + 1).split(QLatin1Char(' ')))
                    numeri << parola.toInt();
        return numeri;
    }

    // Sends `segnale` once step 3 is printed; the exit code, -1 when it did not end normally.
    static int Interrompi(BancoEcu &b, int segnale, QString &err)
    {
        b.ScriviFile(u"breve.txt"_s, ProfiloBreve());
        QProcess p;
        bool inviato = false;
        QObject::connect(&p, &QProcess::readyReadStandardOutput, [&] {
            while (p.canReadLine())
                if (p.readLine().trimmed() == "step 3" && !inviato)
                    inviato = ::kill(static_cast<pid_t>(p.processId()), segnale) == 0;
        });
        p.start(BancoEcu::Bin(u"gascal-cli"_s),
                {u"--dir"_s, b.Cartella(), u"autotune"_s, u"--profile"_s, b.Percorso(u"breve.txt"_s), u"--fuel"_s, u"lpg"_s});
        if (!p.waitForStarted() && QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 60000))
            p.kill();
        p.waitForFinished();
        err = QString::fromLocal8Bit(p.readAllStandardError());
        return inviato && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    static QStringList Giornali(const BancoEcu &b)
    {
        return QDir(b.Percorso(u"Data"_s)).entryList({u"restore_*"_s});
    }

private slots:
    // A firmware newer than the program's: info shows it, a save refuses it.
    void newerFirmwareIsOnlyRead()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({u"--identity"_s, u"013001062015"_s + QString::fromLatin1(QByteArray(" ECU GC-SQ4 LPG").toHex())}));
        EsitoCli e = b.Cli({u"info"_s});
        QVERIFY2(e.codice == 0 && e.out.contains("firmware: 01.30 - 01/06/2015\n"_L1), qPrintable(e.err));
        QVERIFY(e.err.startsWith("gascal-cli: "_L1));
        e = Cli(b, u"save-map DIR/m.var"_s);
        QCOMPARE(e.codice, 1);
        QVERIFY2(e.err.contains("firmware 01.30 - 01/06/2015 is newer than this program's 01.28 - 28/11/2014"_L1), qPrintable(e.err));
        QVERIFY(!QFile::exists(b.Percorso(u"m.var"_s)));
    }

    // save-map, load-map and diff-map --ecu on one ECU.
    void mapRoundTripAndCompareWithTheEcu()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true));
        QCOMPARE(Cli(b, u"save-map DIR/a.var"_s).codice, 0);
        // A save turns the pedestal guard on; the ECU holds it once the map is written back.
        EsitoCli e = Cli(b, u"diff-map DIR/a.var --ecu"_s);
        QVERIFY(e.codice == 1 && e.out == u"pedestal-guard: 1 | 0\n"_s);
        e = Cli(b, u"load-map DIR/a.var"_s);
        QVERIFY2(e.codice == 0 && e.out.contains("written to the ECU and stored"_L1), qPrintable(e.err));
        QCOMPARE(Cli(b, u"save-map DIR/c.var"_s).codice, 0);
        e = Cli(b, u"diff-map DIR/c.var --ecu"_s);
        QVERIFY2(e.codice == 0 && e.out.isEmpty(), qPrintable(e.out + e.err));
        // The guard's byte differs but the checksum is the ECU's: one hex digit apart.
        const QByteArray primo = b.LeggiFile(u"a.var"_s).mid(b.LeggiFile(u"a.var"_s).indexOf("[BLK_2]"));
        const QByteArray secondo = b.LeggiFile(u"c.var"_s).mid(b.LeggiFile(u"c.var"_s).indexOf("[BLK_2]"));
        QCOMPARE(primo.size(), secondo.size());
        int diverse = 0;
        for (qsizetype i = 0; i < primo.size(); ++i)
            diverse += primo[i] != secondo[i];
        QCOMPARE(diverse, 1);

    }

    void liveRowsAndTheirFile()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu());
        const EsitoCli e = Cli(b, u"live --count 3 --out DIR/run.csv"_s);
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        const QStringList righe = e.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(righe.size(), 4);
        // The file holds the same rows, with CR LF.
        QCOMPARE(QString::fromUtf8(b.LeggiFile(u"run.csv"_s)).split(u"\r\n"_s, Qt::SkipEmptyParts), righe);
        const QStringList colonne = righe[0].split(QLatin1Char(','));
        QVERIFY(colonne.value(0) == "time_ms"_L1 && righe[0].endsWith(",fuel_state,fuel,valve"_L1));
        const int giri = colonne.indexOf(u"engine_speed_rpm"_s), batteria = colonne.indexOf(u"battery_mv"_s);
        QVERIFY(giri > 0 && batteria > 0);
        for (int r = 1; r <= 3; ++r) {
            const QStringList campi = righe[r].split(QLatin1Char(','));
            // rpm from the period, mV from the scale; at idle on petrol the valve is closed.
            QCOMPARE(campi.size(), colonne.size());
            QCOMPARE((QStringList{campi[giri], campi[batteria], campi.value(colonne.size() - 2), campi.last()}),
                     (QStringList{"800", "14100", "petrol", "closed"}));
            const qint64 passo = campi[0].toLongLong() - righe[r - 1].section(QLatin1Char(','), 0, 0).toLongLong();
            QVERIFY(r == 1 ? campi[0] == "0"_L1 : passo >= 90 && passo < 300);
        }
    }

    // Without PortCom.ini info and scan go through the ports: the ECU is on port 2 only.
    void searchAndScanGoThroughThePorts()
    {
        BancoEcu b;
        QFile::remove(b.Percorso(u"PortCom.ini"_s));
        b.ScriviFile(u"PrjCom.ini"_s, "2=" + b.Link().toLocal8Bit() + "\n");
        QVERIFY(b.AvviaEcu());
        EsitoCli e = b.Cli({u"info"_s});
        QVERIFY2(e.codice == 0 && e.err.isEmpty() && e.out.startsWith("port: 2\n"_L1), qPrintable(e.out + e.err));
        for (const char *riga : {"firmware: 01.28 - 28/11/2014\n", "model: GC-SQ4\n", "serial number: 1234\n",
                                 "production year: 2014\n", "cylinders: 4\n"})
            QVERIFY2(e.out.contains(QLatin1String(riga)), riga);
        e = b.Cli({u"scan"_s});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        // Every port with the device behind it, when there is one.
        QVERIFY2(e.out.contains(u"port 2 (%1): the ECU answered"_s.arg(b.Link())), qPrintable(e.out));
        QVERIFY(e.out.contains("port 19: missing, no device has this port number"_L1));
        QVERIFY(e.out.contains("ECU found on port 2\n"_L1));
    }

    // Without an ECU: how each command fails, and what is refused before the search.
    void failuresWithoutAnEcu_data()
    {
        QTest::addColumn<QString>("argomenti");
        QTest::addColumn<int>("codice");
        QTest::addColumn<QString>("out"); // patterns, DIR for the folder
        QTest::addColumn<QString>("err");
        QTest::newRow("search in vain") << "--timeout 1 info" << 1 << "^$"
                                        << "no ECU found within 1 s.*\ngascal-cli: port 0 \\(DIR/ttyECU\\): missing";
        QTest::newRow("scan in vain") << "scan" << 1 << "port 0 \\(DIR/ttyECU\\): missing, the device does not exist"
                                      << "no ECU answered";
        QTest::newRow("map against no ECU") << "--timeout 1 diff-map DIR/def.xar --ecu" << 2 << "^$" << "no ECU found";
        QTest::newRow("malformed map to load") << "load-map DIR/bad.var" << 1 << "^$" << "\\[BLK_2\\].*too short";
        QTest::newRow("malformed map to compare") << "diff-map DIR/def.xar DIR/bad.var" << 2 << "^$" << "bad.var.*\\[BLK_2\\]";
        QTest::newRow("malformed map against the ECU") << "diff-map DIR/bad.var --ecu" << 2 << "^$" << "\\[BLK_2\\]";
        // A refused command line reaches the user as status 2 and one line.
        QTest::newRow("command line refused")
            << "line --count 3" << 2 << "^$"
            << "^gascal-cli: option --count does not apply to line \\(see gascal-cli --help\\)\n$";
    }
    void failuresWithoutAnEcu()
    {
        QFETCH(QString, argomenti);
        QFETCH(int, codice);
        QFETCH(QString, out);
        QFETCH(QString, err);
        BancoEcu b;
        b.ScriviFile(u"bad.var"_s, "[BLK_2]\r\n4102\r\n");
        QElapsedTimer t;
        t.start();
        const EsitoCli e = Cli(b, argomenti);
        const qint64 ms = t.elapsed();
        QCOMPARE(e.codice, codice);
        const QString cartella = QRegularExpression::escape(b.Cartella());
        const auto opzione = QRegularExpression::DotMatchesEverythingOption;
        QVERIFY2(QRegularExpression(out.replace(u"DIR"_s, cartella), opzione).match(e.out).hasMatch(), qPrintable(e.out));
        QVERIFY2(QRegularExpression(err.replace(u"DIR"_s, cartella), opzione).match(e.err).hasMatch(), qPrintable(e.err));
        QVERIFY2(ms < 8000 && (!argomenti.contains("--timeout"_L1) || ms >= 900), qPrintable(QString::number(ms)));
    }

    // line and config on the pages' terms: each kind of line edit reaches the ECU, one the page refuses sends nothing;
    // the settings as the pages show them, what they write, what they refuse.
    void lineAndConfigOnThePagesTerms()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true));
        EsitoCli e = b.Cli({u"line"_s});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        QCOMPARE(Numeri(e.out, u"pivots"_s), (QList<int>{0, 6, 10, 16, 27, 35, 41, 49, 55}));
        QList<int> punti = Numeri(e.out, u"points"_s);
        QCOMPARE(punti.size(), 56);
        QCOMPARE(punti.mid(0, 2) << punti.last(), (QList<int>{4, 4, -2})); // the factory line, negative points included
        const QList<int> scala = Numeri(e.out, u"scale"_s);
        QVERIFY(scala.size() == 57 && scala.at(1) == 256);

        const struct {
            const char *riga, *chiave;
            int da;
            QList<int> valori;
        } modifiche[] = {
            {"line all -5", "points", 0, {-1}}, // the whole line passes the floor of point 0
            {"line reset", "points", 0, QList<int>(56, 0)},
            {"line raise 1", "points", 0, {1, 1, 1, 0, 0, 0, 0}},
            {"line lower P9 --steps 3", "points", 55, {-3}},
            {"line right 4", "pivots", 3, {17}},
        };
        for (const auto &m : modifiche) {
            e = Cli(b, QLatin1String(m.riga));
            QVERIFY2(e.codice == 0, qPrintable(e.err));
            QCOMPARE(Numeri(e.out, QLatin1String(m.chiave)).mid(m.da, m.valori.size()), m.valori);
        }
        punti = Numeri(e.out, u"points"_s);
        for (int k = 0; k < 56; ++k)
            QCOMPARE(int(qint8(b.ValoreEcu(6, k))), punti[k]);
        QCOMPARE(b.ValoreEcu(4, 3), 17);

        // Pivot 3 (point 10) is 4 points from pivot 2 (point 6); P9 is fixed.
        for (const auto &[riga, errore] : {std::pair{"line left 3", "P3 cannot move left"}, std::pair{"line right 9", "P9 never moves"}}) {
            e = Cli(b, QLatin1String(riga));
            QVERIFY2(e.codice == 1 && e.err.contains(QLatin1String(errore)) && e.out.isEmpty(), qPrintable(e.out + e.err));
        }
        e = b.Cli({u"config"_s});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        const QStringList righe = e.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        // Values as the built-in lists show them, each setting once.
        for (const char *atteso : {"rpm-factor = x 1", "injector = Rail 2 ohm - fast", "fuel = LPG", "sensitivity-ms = 0.3",
                                   "max-power-rpm = Off", "pressure-sensor = Gas pressure 0-4 bar", "level-3-4 = 700"})
            QVERIFY2(righe.contains(QLatin1String(atteso)), atteso);
        QStringList nomi;
        for (const QString &r : righe)
            nomi << r.section(u" = "_s, 0, 0);
        QVERIFY(nomi.removeDuplicates() == 0 && nomi.size() >= 25);

        const QString prima = b.Controllo(u"block 3"_s);
        const std::tuple<QStringList, int, const char *> rifiuti[] = {
            {{"config", "set", "switch-rpm", "1234"}, 2, "\n  1500\n"},
            {{"config", "set", "rpm", "1500"}, 2, "\n  switch-rpm\n"},
            {{"config", "set", "pressure-sensor", "Interpolation (manifold samples)"}, 1, "interpolation window"},
            // The engine runs: the injector question is answered No.
            {{"config", "set", "injector", "Rail 3 ohm - standard flow"}, 1, "injector was not changed"},
        };
        for (const auto &[argomenti, codice, errore] : rifiuti) {
            e = b.Cli(argomenti);
            QVERIFY2(e.codice == codice && e.err.contains(QLatin1String(errore)), qPrintable(e.err));
        }
        QCOMPARE(b.Controllo(u"block 3"_s), prima);

        // The factor keeps the speed in rpm: both are written.
        e = b.Cli({u"config"_s, u"set"_s, u"rpm-factor"_s, u" x 2 "_s});
        QCOMPARE(e.out, u"rpm-factor = x 2\n"_s);
        QVERIFY(b.ValoreEcu(3, 20) == 2 && b.ValoreEcu(3, 15) == 10000);
        QCOMPARE(Cli(b, u"config set emergency-start On"_s).codice, 0);
        QCOMPARE(b.ValoreEcu(3, 12) & 7, 5);
        // Numbers in the user's locale.
        e = b.Cli({u"config"_s, u"set"_s, u"end-of-gas-bar"_s, u"1,2"_s}, [](QProcess &p) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(u"LC_ALL"_s, u"it_IT.UTF-8"_s);
            p.setProcessEnvironment(env);
        });
        QVERIFY(e.out == u"end-of-gas-bar = 1,2\n"_s && b.ValoreEcu(3, 18) == 1200);

        // With the engine off the injector changes without a question.
        QCOMPARE(b.Controllo(u"key off"_s), u"ok"_s);
        QTest::qWait(300);
        e = b.Cli({u"config"_s, u"set"_s, u"injector"_s, u"Rail 3 ohm - standard flow"_s});
        QVERIFY2(e.codice == 0 && b.ValoreEcu(3, 1) == 1 && b.ValoreEcu(3, 16) == 2492, qPrintable(e.err));

        // The level marks from a steady unfiltered reading: the tank empty, then full.
        for (const auto &[comando, lettura, soglie] : {std::tuple{"config level-empty", 60, QList<qint32>{220, 380, 540, 700}},
                                                       std::tuple{"config level-full", 820, QList<qint32>{220, 370, 520, 670}}}) {
            b.Controllo(u"tank %1"_s.arg(lettura / 10.23, 0, 'f', 6));
            QVERIFY(QTest::qWaitFor([&, l = lettura] { return b.Controllo(u"state"_s).contains(u" level=%1 "_s.arg(l)); }, 5000));
            e = Cli(b, QLatin1String(comando));
            QVERIFY2(e.out.startsWith(u"level-reading = %1\nlevel-r = %2\n"_s.arg(lettura).arg(soglie[0])), qPrintable(e.out + e.err));
            QCOMPARE((QList<qint32>{b.ValoreEcu(3, 8), b.ValoreEcu(3, 9), b.ValoreEcu(3, 10), b.ValoreEcu(3, 11)}), soglie);
        }
    }

    // A stop signal puts the ECU back before the tool ends; a killed run leaves its journal, put back by the next info.
    void signalsPutTheEcuBack_data()
    {
        QTest::addColumn<int>("segnale");
        QTest::newRow("Ctrl+C") << int(SIGINT);
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("SIGKILL") << int(SIGKILL);
    }
    void signalsPutTheEcuBack()
    {
        QFETCH(int, segnale);
        BancoEcu b;
        QVERIFY(b.AvviaEcu({u"--time-scale"_s, u"10"_s}, true));
        const QStringList prima{b.Controllo(u"block 2"_s), b.Controllo(u"block 3"_s)};
        QString err;
        QCOMPARE(Interrompi(b, segnale, err), segnale == SIGKILL ? -1 : 1);
        if (segnale == SIGKILL) {
            QProcess::execute(u"pkill"_s, {u"-9"_s, u"-f"_s, b.Percorso(u"PrjCom"_s)});
            QVERIFY(b.Controllo(u"block 3"_s) != prima[1]);   // the injector's timing of the run
            QCOMPARE(Giornali(b).size(), 1);
            const EsitoCli info = b.Cli({u"info"_s});
            QVERIFY2(info.codice == 0 && info.err.contains("The last autotuning on this ECU did not end"_L1)
                         && info.err.contains("These settings were put back"_L1), qPrintable(info.err));
            QCOMPARE(b.Controllo(u"block 3"_s), prima[1]);
        } else {
            QVERIFY2(err.contains("result 1: "_L1) && err.contains(u"(SIG%1)"_s.arg(QLatin1String(sigabbrev_np(segnale)))), qPrintable(err));
            QCOMPARE((QStringList{b.Controllo(u"block 2"_s), b.Controllo(u"block 3"_s)}), prima);
        }
        QVERIFY(b.Controllo(u"state"_s).contains(u"tuning=0"_s));
        QVERIFY2(Giornali(b).isEmpty(), qPrintable(err));
    }
};

GASCAL_PROVA(TstGascalCli)
#include "tst_gascalcli.moc"
