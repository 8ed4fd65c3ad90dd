// gascal-cli config against the virtual ECU: what it prints, what it writes
// (checked in ecusim's memory) and what it refuses.
#include "RegistroProve.h"
#include "BancoEcu.h"

#include <QProcess>
#include <QTest>

class TstConfig : public QObject
{
    Q_OBJECT

    struct Esito : EsitoCli {
    };

    static Esito Cli(const BancoEcu &b, const QStringList &argomenti, const QString &locale = {})
    {
        QProcess p;
        if (!locale.isEmpty()) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("LC_ALL"), locale);
            p.setProcessEnvironment(env);
        }
        p.start(BancoEcu::Bin(QStringLiteral("gascal-cli")),
                QStringList{QStringLiteral("--dir"), b.Cartella(), QStringLiteral("config")} + argomenti);
        Esito e;
        static_cast<EsitoCli &>(e) = BancoEcu::Attendi(p);
        return e;
    }
    static QList<qint32> Soglie(BancoEcu &b)
    {
        QList<qint32> s;
        for (int k = 8; k <= 11; ++k)
            s << b.ValoreEcu(3, k);
        return s;
    }
    // A steady unfiltered level reading: engine off, the tank at `conteggi`.
    static bool Livello(BancoEcu &b, int conteggi)
    {
        b.Controllo(QStringLiteral("key off"));
        b.Controllo(QStringLiteral("tank %1").arg(conteggi / 10.23, 0, 'f', 6));
        return QTest::qWaitFor([&] { return b.Controllo(QStringLiteral("state")).contains(
                                            QStringLiteral(" level=%1 ").arg(conteggi)); }, 5000);
    }

private slots:
    void printsEverySettingAsThePagesShowIt()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true));
        const Esito e = Cli(b, {});
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
        // One line per name.
        QStringList nomi;
        for (const QString &r : righe)
            nomi << r.section(QStringLiteral(" = "), 0, 0);
        QCOMPARE(nomi.removeDuplicates(), 0);
        QVERIFY(nomi.size() >= 25);
    }

    void setWritesLikeThePageAndPrintsWhatTheEcuHolds()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true));
        Esito e = Cli(b, {QStringLiteral("set"), QStringLiteral("switch-rpm"), QStringLiteral("1500")});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        QCOMPARE(b.ValoreEcu(3, 15), 20000);
        e = Cli(b, {QStringLiteral("set"), QStringLiteral("rpm-factor"), QStringLiteral(" x 2 ")});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        QCOMPARE(e.out, QStringLiteral("rpm-factor = x 2\n"));
        QCOMPARE(b.ValoreEcu(3, 20), 2);
        QCOMPARE(b.ValoreEcu(3, 15), 10000);
        e = Cli(b, {QStringLiteral("set"), QStringLiteral("emergency-start"), QStringLiteral("On")});
        QCOMPARE(e.codice, 0);
        QCOMPARE(b.ValoreEcu(3, 12) & 7, 5);
    }

    void badNamesItemsAndStatesAreRefusedWithoutWriting()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true));
        const QString prima = b.Controllo(QStringLiteral("block 3"));
        Esito e = Cli(b, {QStringLiteral("set"), QStringLiteral("switch-rpm"), QStringLiteral("1234")});
        QCOMPARE(e.codice, 2);
        QVERIFY2(e.err.contains(QStringLiteral("\n  1500\n")), qPrintable(e.err));
        e = Cli(b, {QStringLiteral("set"), QStringLiteral("rpm"), QStringLiteral("1500")});
        QCOMPARE(e.codice, 2);
        QVERIFY(e.err.contains(QStringLiteral("\n  switch-rpm\n")));
        QCOMPARE(Cli(b, {QStringLiteral("set"), QStringLiteral("level-r"), QStringLiteral("100")}).codice, 2);
        // The interpolation entry needs its window.
        e = Cli(b, {QStringLiteral("set"), QStringLiteral("pressure-sensor"),
                    QStringLiteral("Interpolation (manifold samples)")});
        QCOMPARE(e.codice, 1);
        // The engine runs: the injector question is answered No.
        e = Cli(b, {QStringLiteral("set"), QStringLiteral("injector"), QStringLiteral("Rail 3 ohm - standard flow")});
        QCOMPARE(e.codice, 1);
        QVERIFY(e.err.contains(QStringLiteral("injector was not changed")));
        QCOMPARE(b.Controllo(QStringLiteral("block 3")), prima);
        // With the engine off the same change goes through.
        QCOMPARE(b.Controllo(QStringLiteral("key off")), QStringLiteral("ok"));
        QTest::qWait(300);
        e = Cli(b, {QStringLiteral("set"), QStringLiteral("injector"), QStringLiteral("Rail 3 ohm - standard flow")});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        QCOMPARE(b.ValoreEcu(3, 1), 1);
        QCOMPARE(b.ValoreEcu(3, 16), 2492);
    }

    void decimalCommaLocale()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true));
        const QString virgola = QStringLiteral("it_IT.UTF-8");
        const Esito lista = Cli(b, {QStringLiteral("list"), QStringLiteral("end-of-gas-bar")}, virgola);
        QCOMPARE(lista.codice, 0);
        QVERIFY2(lista.out.split(QLatin1Char('\n')).contains(QStringLiteral("1,2")), qPrintable(lista.out));
        const Esito e = Cli(b, {QStringLiteral("set"), QStringLiteral("end-of-gas-bar"), QStringLiteral("1,2")}, virgola);
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        QCOMPARE(e.out, QStringLiteral("end-of-gas-bar = 1,2\n"));
        QCOMPARE(b.ValoreEcu(3, 18), 1200);
    }

    void levelCalibrationFromTheLiveReading()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true));
        QVERIFY(Livello(b, 60));
        Esito e = Cli(b, {QStringLiteral("level-empty")});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        QVERIFY(e.out.contains(QStringLiteral("level-r = 220\n")));
        QCOMPARE(Soglie(b), (QList<qint32>{220, 380, 540, 700}));

        QVERIFY(b.AvviaEcu({}, true)); // factory thresholds again
        QVERIFY(Livello(b, 820));
        e = Cli(b, {QStringLiteral("level-full")});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        QCOMPARE(Soglie(b), (QList<qint32>{100, 280, 460, 640}));
        QVERIFY(e.out.contains(QStringLiteral("level-3-4 = 640\n")));
    }
};

GASCAL_PROVA(TstConfig)
#include "tst_config.moc"
