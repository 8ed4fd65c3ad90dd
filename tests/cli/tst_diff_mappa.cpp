// gascal-cli diff-map on map files made from the default definition file and
// against the virtual ECU, and live --out.
#include "RegistroProve.h"
#include "BancoEcu.h"

#include <QFile>
#include <QProcess>
#include <QTest>

class TstDiffMappa : public QObject
{
    Q_OBJECT

    using Esito = EsitoCli;
    static Esito Cli(const BancoEcu &b, const QStringList &argomenti) { return b.Cli(argomenti); }

    // The default map's lines, to change byte by byte.
    static QStringList Righe(const BancoEcu &b)
    {
        QFile f(b.Percorso(QStringLiteral("def.xar")));
        f.open(QIODevice::ReadOnly);
        return QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
    // Sets byte `pos` (1-based, over the whole block line) of the section's line.
    static void Byte(QStringList &righe, const char *sezione, int pos, int valore)
    {
        const qsizetype i = righe.indexOf(QLatin1String(sezione)) + 1;
        righe[i].replace((pos - 1) * 2, 2, QStringLiteral("%1").arg(valore, 2, 16, QLatin1Char('0')).toUpper());
        // A file block is a whole ECU answer: its last byte is the XOR of the others.
        QByteArray blocco = QByteArray::fromHex(righe[i].toLatin1());
        blocco.chop(1);
        char x = 0;
        for (char c : blocco)
            x = static_cast<char>(x ^ c);
        righe[i] = QString::fromLatin1(blocco.append(x).toHex().toUpper());
    }
    static QString Scrivi(BancoEcu &b, const QString &nome, const QStringList &righe)
    {
        b.ScriviFile(nome, righe.join(QStringLiteral("\r\n")).toLatin1() + "\r\n");
        return b.Percorso(nome);
    }

private slots:
    void namesExactlyTheSettingsAndPointsThatDiffer()
    {
        BancoEcu b;
        const QStringList base = Righe(b);
        QVERIFY(base.size() >= 10);
        QStringList altra = base;
        Byte(altra, "[BLK_3]", 6, 40);          // switch-temp 35 -> 40
        Byte(altra, "[BLK_3]", 26, 0x90);       // hysteresis-rpm 300 -> 400 (0x0190)
        Byte(altra, "[BLK_3]", 48, 5);          // sensitivity-ms 0.3 -> 0.5
        Byte(altra, "[MAP_0]", 5 + 1 + 10, 9);  // line point 10
        Byte(altra, "[MAP_0]", 5 + 1 + 40, 0xF0); // line point 40: -16
        const QString a = Scrivi(b, QStringLiteral("a.var"), base);
        const QString c = Scrivi(b, QStringLiteral("c.var"), altra);

        const Esito e = Cli(b, {QStringLiteral("diff-map"), a, c});
        QVERIFY2(e.codice == 1, qPrintable(e.err));
        const QStringList righe = e.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QStringList nomi;
        for (const QString &r : righe)
            nomi << r.section(QStringLiteral(": "), 0, 0);
        QCOMPARE(nomi, (QStringList{QStringLiteral("hysteresis-rpm"), QStringLiteral("switch-temp"),
                                     QStringLiteral("sensitivity-ms"), QStringLiteral("line[10]"),
                                     QStringLiteral("line[40]")}));
        QVERIFY2(righe.contains(QStringLiteral("switch-temp: 35 | 40")), qPrintable(e.out));
        QVERIFY2(righe.contains(QStringLiteral("hysteresis-rpm: 300 | 400")), qPrintable(e.out));
        QVERIFY(righe.contains(QStringLiteral("line[10]: 2 | 9")));
        QVERIFY(righe.contains(QStringLiteral("line[40]: -1 | -16")));

        // A byte that no setting shows is given raw; a changed pivot by name.
        QStringList grezza = base;
        Byte(grezza, "[BLK_3]", 49, 0x77);
        Byte(grezza, "[BLK_5]", 5 + 1 + 4, 0x1C);
        const Esito g = Cli(b, {QStringLiteral("diff-map"), a, Scrivi(b, QStringLiteral("g.var"), grezza)});
        QCOMPARE(g.codice, 1);
        QCOMPARE(g.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 (QStringList{QStringLiteral("pivot[4]: 27 | 28"), QStringLiteral("[BLK_3] byte 49: 00 | 77")}));
    }

    void sameMapsAndBadFiles()
    {
        BancoEcu b;
        const QStringList base = Righe(b);
        const QString a = Scrivi(b, QStringLiteral("a.var"), base);
        // The bytes that a load zeroes, the info and the live block do not count.
        QStringList uguale = base;
        Byte(uguale, "[BLK_2]", 6, 0x55);
        Byte(uguale, "[BLK_1]", 10, 0x55);
        const Esito e = Cli(b, {QStringLiteral("diff-map"), a, Scrivi(b, QStringLiteral("b.var"), uguale)});
        QCOMPARE(e.codice, 0);
        QCOMPARE(e.out, QString());

        QStringList rotta = base;
        rotta[rotta.indexOf(QStringLiteral("[BLK_5]")) + 1] = QStringLiteral("41021A71XY");
        const Esito r = Cli(b, {QStringLiteral("diff-map"), a, Scrivi(b, QStringLiteral("r.var"), rotta)});
        QCOMPARE(r.codice, 2);
        QVERIFY2(r.err.contains(QLatin1String("[BLK_5]")) && r.err.contains(QLatin1String("r.var")), qPrintable(r.err));
        QStringList manca = base;
        manca.removeAt(manca.indexOf(QStringLiteral("[MAP_0]")));
        const Esito m = Cli(b, {QStringLiteral("diff-map"), Scrivi(b, QStringLiteral("m.var"), manca), a});
        QCOMPARE(m.codice, 2);
        QVERIFY2(m.err.contains(QLatin1String("[MAP_0]")), qPrintable(m.err));
        // A device never ends: refused at once, with the reason, on either side.
        for (const QStringList &argomenti : {QStringList{QStringLiteral("/dev/zero"), a},
                                             QStringList{a, QStringLiteral("/dev/zero")},
                                             QStringList{QStringLiteral("/dev/zero"), QStringLiteral("--ecu")}}) {
            const Esito z = Cli(b, QStringList{QStringLiteral("diff-map")} + argomenti);
            QCOMPARE(z.codice, 2);
            QVERIFY2(z.err.contains(QLatin1String("/dev/zero")) && z.err.contains(QLatin1String("a character device")),
                     qPrintable(z.err));
        }
    }

    // A file against the connected ECU as it holds its blocks: what was just
    // written is the same; a changed setting and point are named with the
    // file's value first.
    void comparesAFileWithTheConnectedEcu()
    {
        BancoEcu b;
        // A bad file is refused before the ECU is searched (there is none yet).
        QStringList rotta = Righe(b);
        rotta[rotta.indexOf(QStringLiteral("[BLK_3]")) + 1] = QStringLiteral("41");
        const Esito r = Cli(b, {QStringLiteral("diff-map"), Scrivi(b, QStringLiteral("r.var"), rotta),
                                QStringLiteral("--ecu"), QStringLiteral("--timeout"), QStringLiteral("1")});
        QCOMPARE(r.codice, 2);
        QVERIFY2(r.err.contains(QLatin1String("[BLK_3]")), qPrintable(r.err));
        // No ECU: a failure, not a difference.
        QCOMPARE(Cli(b, {QStringLiteral("diff-map"), Scrivi(b, QStringLiteral("a.var"), Righe(b)),
                         QStringLiteral("--ecu"), QStringLiteral("--timeout"), QStringLiteral("1")}).codice, 2);

        QVERIFY(b.AvviaEcu({}, true));
        const QString salvata = b.Percorso(QStringLiteral("s.var"));
        QCOMPARE(Cli(b, {QStringLiteral("save-map"), salvata}).codice, 0);
        // A save marks the pedestal guard on, which the ECU holds only once
        // the map is written back: then the two are the same.
        const Esito s = Cli(b, {QStringLiteral("diff-map"), salvata, QStringLiteral("--ecu")});
        QVERIFY2(s.codice == 0 || s.out == QStringLiteral("pedestal-guard: 1 | 0\n"), qPrintable(s.out + s.err));
        QCOMPARE(Cli(b, {QStringLiteral("load-map"), salvata}).codice, 0);
        const Esito e = Cli(b, {QStringLiteral("diff-map"), salvata, QStringLiteral("--ecu")});
        QVERIFY2(e.codice == 0 && e.out.isEmpty(), qPrintable(e.out + e.err));

        const qint32 temperatura = b.ValoreEcu(3, 0);
        const qint8 punto = qint8(b.ValoreEcu(6, 20));
        QByteArray cambiata = BancoEcu::CambiaByte(b.LeggiFile(QStringLiteral("s.var")), "[BLK_3]", 6,
                                                   quint8(temperatura + 5));
        cambiata = BancoEcu::CambiaByte(cambiata, "[MAP_0]", 5 + 1 + 20, quint8(punto - 3));
        b.ScriviFile(QStringLiteral("c.var"), cambiata);
        const Esito d = Cli(b, {QStringLiteral("diff-map"), b.Percorso(QStringLiteral("c.var")), QStringLiteral("--ecu")});
        QCOMPARE(d.codice, 1);
        QCOMPARE(d.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 (QStringList{QStringLiteral("switch-temp: %1 | %2").arg(temperatura + 5).arg(temperatura),
                              QStringLiteral("line[20]: %1 | %2").arg(punto - 3).arg(punto)}));
    }

    void liveOutWritesWhatItPrints()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true));
        const QString file = b.Percorso(QStringLiteral("run.csv"));
        const Esito e = Cli(b, {QStringLiteral("live"), QStringLiteral("--count"), QStringLiteral("4"),
                                QStringLiteral("--out"), file});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList scritte = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(scritte, e.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts));
        QCOMPARE(scritte.size(), 5);
        QVERIFY(scritte.first().endsWith(QLatin1String(",fuel_state,fuel,valve")));
        QVERIFY(scritte.at(1).startsWith(QLatin1String("0,")));
    }
};

GASCAL_PROVA(TstDiffMappa)
#include "tst_diff_mappa.moc"
