#include "RegistroProve.h"
#include "BancoEcu.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

// gascal-cli as a user runs it: a real process on a program folder, with
// PrjCom and the virtual ECU.
class TstGascalCli : public QObject
{
    Q_OBJECT

    struct Esito : EsitoCli {
        qint64 ms = 0;
    };

    static Esito Esegui(const BancoEcu &b, const QStringList &argomenti)
    {
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(BancoEcu::Bin(QStringLiteral("gascal-cli")),
                QStringList{QStringLiteral("--dir"), b.Cartella()} + argomenti);
        Esito e;
        static_cast<EsitoCli &>(e) = BancoEcu::Attendi(p);
        e.ms = t.elapsed();
        return e;
    }

    // The written blocks of a map file: from "[BLK_2]" to the end (the live
    // data of "[BLK_1]" move).
    static QByteArray Blocchi(const QByteArray &mappa)
    {
        return mappa.mid(mappa.indexOf("[BLK_2]"));
    }

private slots:
    void infoPrintsIdentityAndProductionData()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu());
        const Esito e = Esegui(b, {QStringLiteral("info")});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        QVERIFY(e.out.contains(QStringLiteral("firmware: 01.28 - 28/11/2014\n")));
        QVERIFY(e.out.contains(QStringLiteral("model: GC-SQ4\n")));
        QVERIFY(e.out.contains(QStringLiteral("serial number: 1234\n")));
        QVERIFY(e.out.contains(QStringLiteral("production year: 2014\n")));
        QVERIFY(e.out.contains(QStringLiteral("cylinders: 4\n")));
        QVERIFY(e.err.isEmpty());
    }

    void mapRoundTripIsExact()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu());
        const QString a = b.Percorso(QStringLiteral("a.var"));
        const QString c = b.Percorso(QStringLiteral("c.var"));
        const QString d = b.Percorso(QStringLiteral("d.var"));
        QCOMPARE(Esegui(b, {QStringLiteral("save-map"), a}).codice, 0);
        Esito e = Esegui(b, {QStringLiteral("load-map"), a});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        QVERIFY(e.out.contains(QStringLiteral("written to the ECU and stored")));
        QCOMPARE(Esegui(b, {QStringLiteral("save-map"), c}).codice, 0);
        // Once the pedestal guard is on in the ECU as in the file, a file
        // loaded and saved again comes back byte for byte.
        QCOMPARE(Esegui(b, {QStringLiteral("load-map"), c}).codice, 0);
        QCOMPARE(Esegui(b, {QStringLiteral("save-map"), d}).codice, 0);
        QVERIFY(b.LeggiFile(QStringLiteral("c.var")).contains("[MAP_0]"));
        QCOMPARE(Blocchi(b.LeggiFile(QStringLiteral("d.var"))), Blocchi(b.LeggiFile(QStringLiteral("c.var"))));
        // The first file has the guard set but keeps the checksum the ECU sent
        // with the guard off: that one hex digit is the only difference.
        QByteArray primo = Blocchi(b.LeggiFile(QStringLiteral("a.var")));
        const QByteArray secondo = Blocchi(b.LeggiFile(QStringLiteral("c.var")));
        QCOMPARE(primo.size(), secondo.size());
        int diverse = 0;
        for (qsizetype i = 0; i < primo.size(); ++i)
            diverse += primo[i] != secondo[i];
        QCOMPARE(diverse, 1);
    }

    void liveCountPrintsHeaderAndRows()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu());
        const Esito e = Esegui(b, {QStringLiteral("live"), QStringLiteral("--count"), QStringLiteral("3")});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        const QStringList righe = e.out.trimmed().split(QLatin1Char('\n'));
        QCOMPARE(righe.size(), 4);
        const QStringList colonne = righe[0].split(QLatin1Char(','));
        QCOMPARE(colonne.value(0), QStringLiteral("time_ms"));
        const int carburante = colonne.indexOf(QStringLiteral("fuel"));
        const int valvola = colonne.indexOf(QStringLiteral("valve"));
        QVERIFY(carburante > 0 && valvola > 0);
        QVERIFY(colonne.contains(QStringLiteral("engine_speed_rpm")));
        const int giri = colonne.indexOf(QStringLiteral("engine_speed_rpm"));
        const int batteria = colonne.indexOf(QStringLiteral("battery_mv"));
        qint64 tempoPrima = -1;
        for (int r = 1; r <= 3; ++r) {
            const QStringList campi = righe[r].split(QLatin1Char(','));
            QCOMPARE(campi.size(), colonne.size());
            // Engineering units: rpm from the period, millivolts from the scale.
            QCOMPARE(campi[giri], QStringLiteral("800"));
            QCOMPARE(campi[batteria], QStringLiteral("14100"));
            // At idle on petrol the gas valve is closed.
            QCOMPARE(campi[carburante], QStringLiteral("petrol"));
            QCOMPARE(campi[valvola], QStringLiteral("closed"));
            const qint64 tempo = campi[0].toLongLong();
            if (tempoPrima >= 0)
                QVERIFY(tempo - tempoPrima >= 90 && tempo - tempoPrima < 300);
            tempoPrima = tempo;
        }
    }

    void scanSaysWhereTheEcuAnswered()
    {
        BancoEcu b;
        QFile::remove(b.Percorso(QStringLiteral("PortCom.ini")));
        b.ScriviFile(QStringLiteral("PrjCom.ini"), "2=" + b.Link().toLocal8Bit() + "\n");
        QVERIFY(b.AvviaEcu());
        const Esito e = Esegui(b, {QStringLiteral("scan")});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        // Every port with the device behind it, when there is one.
        QVERIFY2(e.out.contains(QStringLiteral("port 2 (%1): the ECU answered").arg(b.Link())), qPrintable(e.out));
        QVERIFY(e.out.contains(QStringLiteral("port 19: missing, no device has this port number")));
        QVERIFY(e.out.contains(QStringLiteral("ECU found on port 2\n")));
    }

    void missingEcuFailsWithinTheTimeLimit()
    {
        BancoEcu b; // no ECU on the line
        Esito e = Esegui(b, {QStringLiteral("--timeout"), QStringLiteral("1"), QStringLiteral("info")});
        QVERIFY(e.codice != 0);
        QVERIFY2(e.err.contains(QStringLiteral("no ECU found within 1 s")), qPrintable(e.err));
        QVERIFY2(e.err.contains(QStringLiteral("port 0 (%1): missing").arg(b.Link())), qPrintable(e.err));
        QVERIFY(e.ms >= 900 && e.ms < 8000);

        e = Esegui(b, {QStringLiteral("scan")});
        QVERIFY(e.codice != 0);
        QVERIFY2(e.out.contains(QStringLiteral("port 0 (%1): missing, the device does not exist").arg(b.Link())),
                 qPrintable(e.out));
        QVERIFY(e.err.contains(QStringLiteral("no ECU answered")));
    }

    void settingsAsLinuxEditorsSaveThem()
    {
        // LF line ends and a byte-order mark: the same settings, the same start.
        BancoEcu b;
        const QByteArray setCom = b.LeggiFile(QStringLiteral("SetCom.ini"));
        QVERIFY(setCom.contains("\r\n"));
        QByteArray lf = "\xEF\xBB\xBF" + setCom;
        lf.replace("\r\n", "\n");
        b.ScriviFile(QStringLiteral("SetCom.ini"), lf);
        QVERIFY(b.AvviaEcu());
        Esito e = Esegui(b, {QStringLiteral("info")});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        QVERIFY(e.out.contains(QStringLiteral("serial number: 1234\n")));
        QVERIFY2(e.err.isEmpty(), qPrintable(e.err));

        // A request that is not hex is named with its record at start-up.
        QByteArray rotta = setCom;
        rotta.replace("\r\n4102030B4B\r\n", "\r\n41 02 03 0B 4B\r\n");
        b.ScriviFile(QStringLiteral("SetCom.ini"), rotta);
        e = Esegui(b, {QStringLiteral("--timeout"), QStringLiteral("3"), QStringLiteral("live"),
                       QStringLiteral("--count"), QStringLiteral("1")});
        QVERIFY2(e.err.contains(QStringLiteral("[MSG] 1 (LiveData): the request \"41 02 03 0B 4B\" is not")),
                 qPrintable(e.err));
    }

    void malformedMapIsRefusedAndBadUsageExplained()
    {
        BancoEcu b; // no ECU: the file must be refused before the search
        b.ScriviFile(QStringLiteral("bad.var"), "[BLK_2]\r\n4102\r\n");
        Esito e = Esegui(b, {QStringLiteral("load-map"), b.Percorso(QStringLiteral("bad.var"))});
        QVERIFY(e.codice != 0);
        QVERIFY(e.err.contains(QStringLiteral("too short")));
        QVERIFY(e.ms < 5000);

        // The command lines themselves are tried in tst_argomenti_cli; here
        // only that a refused one reaches the user as status 2 and one line.
        e = Esegui(b, {QStringLiteral("line"), QStringLiteral("--count"), QStringLiteral("3")});
        QCOMPARE(e.codice, 2);
        QCOMPARE(e.err, QStringLiteral("gascal-cli: option --count does not apply to line (see gascal-cli --help)\n"));
        QVERIFY(e.out.isEmpty());
    }
};

GASCAL_PROVA(TstGascalCli)
#include "tst_gascalcli.moc"
