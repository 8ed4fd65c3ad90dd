#include "RegistroProve.h"
#include "BancoEcu.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

// gascal-cli as a user runs it: a real process on a program folder, with
// PrjCom and the virtual ECU. One case per command and per way a command
// fails; what the commands compute is tried in process (the command lines in
// tst_argomenti_cli, the line and the pages' logic in the core's tests).
class TstGascalCli : public QObject
{
    Q_OBJECT

    // Arguments written as one line, "DIR" standing for the bench's folder.
    static QStringList A(const BancoEcu &b, const QString &riga)
    {
        return QString(riga).replace(QStringLiteral("DIR"), b.Cartella()).split(QLatin1Char(' '));
    }

    // The numbers of the output line that starts with `chiave`.
    static QList<int> Numeri(const QString &out, const QString &chiave)
    {
        for (const QString &riga : out.split(QLatin1Char('\n'))) {
            if (!riga.startsWith(chiave + QLatin1Char(' ')))
                continue;
            QList<int> numeri;
            for (const QString &parola : riga.mid(chiave.size() + 1).split(QLatin1Char(' ')))
                numeri << parola.toInt();
            return numeri;
        }
        return {};
    }

    // The written blocks of a map file: from "[BLK_2]" to the end (the live
    // data of "[BLK_1]" move).
    static QByteArray Blocchi(const QByteArray &mappa) { return mappa.mid(mappa.indexOf("[BLK_2]")); }

private slots:
    void infoPrintsIdentityAndProductionData()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu());
        const EsitoCli e = b.Cli({QStringLiteral("info")});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        for (const char *riga : {"firmware: 01.28 - 28/11/2014\n", "model: GC-SQ4\n", "serial number: 1234\n",
                                 "production year: 2014\n", "cylinders: 4\n"})
            QVERIFY2(e.out.contains(QLatin1String(riga)), riga);
        QVERIFY(e.err.isEmpty());
    }

    // A firmware newer than the program's: info shows it with the program's
    // message, a save refuses it.
    void newerFirmwareIsOnlyRead()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({QStringLiteral("--identity"),
                            QStringLiteral("013001062015") + QString::fromLatin1(QByteArray(" ECU GC-SQ4 LPG").toHex())}));
        EsitoCli e = b.Cli({QStringLiteral("info")});
        QVERIFY2(e.codice == 0 && e.out.contains(QLatin1String("firmware: 01.30 - 01/06/2015\n")), qPrintable(e.err));
        QVERIFY(e.err.startsWith(QLatin1String("gascal-cli: ")));
        e = b.Cli(A(b, QStringLiteral("save-map DIR/m.var")));
        QCOMPARE(e.codice, 1);
        QVERIFY2(e.err.contains(QLatin1String("firmware 01.30 - 01/06/2015 is newer than this program's 01.28 - 28/11/2014")),
                 qPrintable(e.err));
        QVERIFY(!QFile::exists(b.Percorso(QStringLiteral("m.var"))));
    }

    // save-map, load-map and diff-map --ecu on one ECU.
    void mapRoundTripAndCompareWithTheEcu()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true));
        QCOMPARE(b.Cli(A(b, QStringLiteral("save-map DIR/a.var"))).codice, 0);
        // A save turns the pedestal guard on, which the ECU holds only once
        // the map is written back.
        EsitoCli e = b.Cli(A(b, QStringLiteral("diff-map DIR/a.var --ecu")));
        QCOMPARE(e.out, QStringLiteral("pedestal-guard: 1 | 0\n"));
        QCOMPARE(e.codice, 1);
        e = b.Cli(A(b, QStringLiteral("load-map DIR/a.var")));
        QVERIFY2(e.codice == 0 && e.out.contains(QLatin1String("written to the ECU and stored")), qPrintable(e.err));
        QCOMPARE(b.Cli(A(b, QStringLiteral("save-map DIR/c.var"))).codice, 0);
        e = b.Cli(A(b, QStringLiteral("diff-map DIR/c.var --ecu")));
        QVERIFY2(e.codice == 0 && e.out.isEmpty(), qPrintable(e.out + e.err));
        // The first file has the guard set but keeps the checksum the ECU sent
        // with the guard off: that one hex digit is the only difference.
        const QByteArray primo = Blocchi(b.LeggiFile(QStringLiteral("a.var")));
        const QByteArray secondo = Blocchi(b.LeggiFile(QStringLiteral("c.var")));
        QCOMPARE(primo.size(), secondo.size());
        int diverse = 0;
        for (qsizetype i = 0; i < primo.size(); ++i)
            diverse += primo[i] != secondo[i];
        QCOMPARE(diverse, 1);

        // A changed setting and point are named with the file's value first.
        const qint32 temperatura = b.ValoreEcu(3, 0);
        const qint8 punto = qint8(b.ValoreEcu(6, 20));
        QByteArray cambiata = BancoEcu::CambiaByte(b.LeggiFile(QStringLiteral("c.var")), "[BLK_3]", 6,
                                                   quint8(temperatura + 5));
        b.ScriviFile(QStringLiteral("d.var"), BancoEcu::CambiaByte(cambiata, "[MAP_0]", 5 + 1 + 20, quint8(punto - 3)));
        e = b.Cli(A(b, QStringLiteral("diff-map DIR/d.var --ecu")));
        QCOMPARE(e.codice, 1);
        QCOMPARE(e.out, QStringLiteral("switch-temp: %1 | %2\nline[20]: %3 | %4\n")
                            .arg(temperatura + 5).arg(temperatura).arg(punto - 3).arg(punto));
    }

    void liveRowsAndTheirFile()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu());
        const EsitoCli e = b.Cli(A(b, QStringLiteral("live --count 3 --out DIR/run.csv")));
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        const QStringList righe = e.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(righe.size(), 4);
        // The file holds the same rows, with CR LF.
        QCOMPARE(QString::fromUtf8(b.LeggiFile(QStringLiteral("run.csv"))).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts),
                 righe);
        const QStringList colonne = righe[0].split(QLatin1Char(','));
        QCOMPARE(colonne.value(0), QStringLiteral("time_ms"));
        QVERIFY(righe[0].endsWith(QLatin1String(",fuel_state,fuel,valve")));
        const int giri = colonne.indexOf(QStringLiteral("engine_speed_rpm"));
        const int batteria = colonne.indexOf(QStringLiteral("battery_mv"));
        QVERIFY(giri > 0 && batteria > 0);
        qint64 tempoPrima = -1;
        for (int r = 1; r <= 3; ++r) {
            const QStringList campi = righe[r].split(QLatin1Char(','));
            QCOMPARE(campi.size(), colonne.size());
            // Engineering units: rpm from the period, millivolts from the scale;
            // at idle on petrol the gas valve is closed.
            QCOMPARE(campi[giri], QStringLiteral("800"));
            QCOMPARE(campi[batteria], QStringLiteral("14100"));
            QCOMPARE(campi.mid(campi.size() - 2), (QStringList{"petrol", "closed"}));
            const qint64 tempo = campi[0].toLongLong();
            QVERIFY(tempoPrima >= 0 ? tempo - tempoPrima >= 90 && tempo - tempoPrima < 300 : tempo == 0);
            tempoPrima = tempo;
        }
    }

    // Without PortCom.ini the search and the scan go through the ports: the
    // ECU is on port 2 only, ports 0 and 1 do not exist.
    void searchAndScanGoThroughThePorts()
    {
        BancoEcu b;
        QFile::remove(b.Percorso(QStringLiteral("PortCom.ini")));
        b.ScriviFile(QStringLiteral("PrjCom.ini"), "2=" + b.Link().toLocal8Bit() + "\n");
        QVERIFY(b.AvviaEcu());
        EsitoCli e = b.Cli({QStringLiteral("info")});
        QVERIFY2(e.codice == 0 && e.out.startsWith(QLatin1String("port: 2\n")), qPrintable(e.out + e.err));
        e = b.Cli({QStringLiteral("scan")});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        // Every port with the device behind it, when there is one.
        QVERIFY2(e.out.contains(QStringLiteral("port 2 (%1): the ECU answered").arg(b.Link())), qPrintable(e.out));
        QVERIFY(e.out.contains(QStringLiteral("port 19: missing, no device has this port number")));
        QVERIFY(e.out.contains(QStringLiteral("ECU found on port 2\n")));
    }

    // Without an ECU: how each kind of command fails, and that what can be
    // refused before the search is (the search's own limit is 10 s).
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
        // Command lines are tried in process; here only that a refused one
        // reaches the user as status 2 and one line.
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
        b.ScriviFile(QStringLiteral("bad.var"), "[BLK_2]\r\n4102\r\n");
        QElapsedTimer t;
        t.start();
        const EsitoCli e = b.Cli(A(b, argomenti));
        const qint64 ms = t.elapsed();
        QCOMPARE(e.codice, codice);
        const QString cartella = QRegularExpression::escape(b.Cartella());
        const auto opzione = QRegularExpression::DotMatchesEverythingOption;
        QVERIFY2(QRegularExpression(out.replace(QStringLiteral("DIR"), cartella), opzione).match(e.out).hasMatch(),
                 qPrintable(e.out));
        QVERIFY2(QRegularExpression(err.replace(QStringLiteral("DIR"), cartella), opzione).match(e.err).hasMatch(),
                 qPrintable(e.err));
        QVERIFY2(ms < 8000 && (!argomenti.contains(QLatin1String("--timeout")) || ms >= 900), qPrintable(QString::number(ms)));
    }

    // The line printed is the ECU's, and each kind of edit reaches it; an
    // edit that the page refuses sends nothing. The line's arithmetic is
    // tried in tst_retta: the rows only tell the actions apart.
    void lineEditsReachTheEcu()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true));
        EsitoCli e = b.Cli({QStringLiteral("line")});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        QCOMPARE(Numeri(e.out, QStringLiteral("pivots")), (QList<int>{0, 6, 10, 16, 27, 35, 41, 49, 55}));
        QList<int> punti = Numeri(e.out, QStringLiteral("points"));
        QCOMPARE(punti.size(), 56);
        QCOMPARE(punti.mid(0, 2), (QList<int>{4, 4})); // the factory line, negative points included
        QCOMPARE(punti.last(), -2);
        const QList<int> scala = Numeri(e.out, QStringLiteral("scale"));
        QCOMPARE(scala.size(), 57);
        QCOMPARE(scala.at(1), 256);

        const struct {
            const char *riga;
            const char *chiave;
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
            e = b.Cli(A(b, QLatin1String(m.riga)));
            QVERIFY2(e.codice == 0, qPrintable(e.err));
            QCOMPARE(Numeri(e.out, QLatin1String(m.chiave)).mid(m.da, m.valori.size()), m.valori);
        }
        punti = Numeri(e.out, QStringLiteral("points"));
        for (int k = 0; k < 56; ++k)
            QCOMPARE(int(qint8(b.ValoreEcu(6, k))), punti[k]);
        QCOMPARE(b.ValoreEcu(4, 3), 17);

        // Pivot 3 (point 10) is 4 points from pivot 2 (point 6); P9 is fixed.
        for (const auto &[riga, errore] : {std::pair{"line left 3", "P3 cannot move left"},
                                           std::pair{"line right 9", "P9 never moves"}}) {
            e = b.Cli(A(b, QLatin1String(riga)));
            QCOMPARE(e.codice, 1);
            QVERIFY2(e.err.contains(QLatin1String(errore)) && e.out.isEmpty(), qPrintable(e.out + e.err));
        }
    }

    // config prints what the pages show, set writes what the page writes and
    // prints what the ECU then holds, the level marks follow the live
    // reading, and what the page would not let be chosen writes nothing.
    void configOnThePagesTerms()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true));
        EsitoCli e = b.Cli({QStringLiteral("config")});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        const QStringList righe = e.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        // The factory LPG configuration, as the built-in lists show it.
        for (const char *atteso : {"rpm-factor = x 1", "switch-rpm = 1500", "switch-temp = 35",
                                   "hysteresis-rpm = 300", "injector = Rail 2 ohm - fast", "fuel = LPG",
                                   "min-opening-ms = 2", "sensitivity-ms = 0.3", "max-power-rpm = Off",
                                   "pressure-sensor = Gas pressure 0-4 bar", "end-of-gas-bar = 0.6",
                                   "level-sensor = Resistive 0-90 ohm", "level-r = 100", "level-1-4 = 300",
                                   "level-2-4 = 500", "level-3-4 = 700"})
            QVERIFY2(righe.contains(QLatin1String(atteso)), atteso);
        QStringList nomi;
        for (const QString &r : righe)
            nomi << r.section(QStringLiteral(" = "), 0, 0);
        QCOMPARE(nomi.removeDuplicates(), 0);
        QVERIFY(nomi.size() >= 25);

        const QString prima = b.Controllo(QStringLiteral("block 3"));
        const struct {
            QStringList argomenti;
            int codice;
            const char *errore;
        } rifiuti[] = {
            {{"config", "set", "switch-rpm", "1234"}, 2, "\n  1500\n"},
            {{"config", "set", "rpm", "1500"}, 2, "\n  switch-rpm\n"},
            {{"config", "set", "pressure-sensor", "Interpolation (manifold samples)"}, 1, "interpolation window"},
            // The engine runs: the injector question is answered No.
            {{"config", "set", "injector", "Rail 3 ohm - standard flow"}, 1, "injector was not changed"},
        };
        for (const auto &r : rifiuti) {
            e = b.Cli(r.argomenti);
            QCOMPARE(e.codice, r.codice);
            QVERIFY2(e.err.contains(QLatin1String(r.errore)), qPrintable(e.err));
        }
        QCOMPARE(b.Controllo(QStringLiteral("block 3")), prima);

        // The factor keeps the speed in rpm: both are written.
        e = b.Cli({QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("rpm-factor"), QStringLiteral(" x 2 ")});
        QCOMPARE(e.out, QStringLiteral("rpm-factor = x 2\n"));
        QCOMPARE(b.ValoreEcu(3, 20), 2);
        QCOMPARE(b.ValoreEcu(3, 15), 10000);
        QCOMPARE(b.Cli(A(b, QStringLiteral("config set emergency-start On"))).codice, 0);
        QCOMPARE(b.ValoreEcu(3, 12) & 7, 5);
        // Numbers in the user's locale.
        e = b.Cli(A(b, QStringLiteral("config set end-of-gas-bar 1,2")), [](QProcess &p) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("LC_ALL"), QStringLiteral("it_IT.UTF-8"));
            p.setProcessEnvironment(env);
        });
        QCOMPARE(e.out, QStringLiteral("end-of-gas-bar = 1,2\n"));
        QCOMPARE(b.ValoreEcu(3, 18), 1200);

        // With the engine off the injector changes without a question.
        QCOMPARE(b.Controllo(QStringLiteral("key off")), QStringLiteral("ok"));
        QTest::qWait(300);
        e = b.Cli({QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("injector"),
                   QStringLiteral("Rail 3 ohm - standard flow")});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        QCOMPARE(b.ValoreEcu(3, 1), 1);
        QCOMPARE(b.ValoreEcu(3, 16), 2492);

        // The level marks from a steady unfiltered reading: the tank empty, then full.
        const struct {
            const char *comando;
            int lettura;
            QList<qint32> soglie;
        } livelli[] = {{"config level-empty", 60, {220, 380, 540, 700}}, {"config level-full", 820, {220, 370, 520, 670}}};
        for (const auto &l : livelli) {
            b.Controllo(QStringLiteral("tank %1").arg(l.lettura / 10.23, 0, 'f', 6));
            QVERIFY(QTest::qWaitFor([&] {
                return b.Controllo(QStringLiteral("state")).contains(QStringLiteral(" level=%1 ").arg(l.lettura));
            }, 5000));
            e = b.Cli(A(b, QLatin1String(l.comando)));
            QVERIFY2(e.out.startsWith(QStringLiteral("level-reading = %1\nlevel-r = %2\n").arg(l.lettura).arg(l.soglie[0])),
                     qPrintable(e.out + e.err));
            QCOMPARE((QList<qint32>{b.ValoreEcu(3, 8), b.ValoreEcu(3, 9), b.ValoreEcu(3, 10), b.ValoreEcu(3, 11)}), l.soglie);
        }
    }
};

GASCAL_PROVA(TstGascalCli)
#include "tst_gascalcli.moc"
