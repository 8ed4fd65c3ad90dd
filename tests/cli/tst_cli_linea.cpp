#include "RegistroProve.h"
#include "BancoEcu.h"

#include <QProcess>
#include <QTest>

// `gascal-cli line` against the virtual ECU: the line printed, edits sent
// once and read back, impossible edits refused with nothing sent.
class TstCliLinea : public QObject
{
    Q_OBJECT

    struct Esito : EsitoCli {
        // The "pivots" and "points" lines as numbers.
        QList<int> pivot;
        QList<int> punti;
    };

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

    static Esito Linea(const BancoEcu &b, const QStringList &argomenti)
    {
        QProcess p;
        p.start(BancoEcu::Bin(QStringLiteral("gascal-cli")),
                QStringList{QStringLiteral("--dir"), b.Cartella(), QStringLiteral("line")} + argomenti);
        Esito e;
        static_cast<EsitoCli &>(e) = BancoEcu::Attendi(p);
        e.pivot = Numeri(e.out, QStringLiteral("pivots"));
        e.punti = Numeri(e.out, QStringLiteral("points"));
        return e;
    }

private slots:
    void stampaEModifiche()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu());
        Esito e = Linea(b, {});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        QCOMPARE(e.pivot, (QList<int>{0, 6, 10, 16, 27, 35, 41, 49, 55}));
        QCOMPARE(e.punti.size(), 56);
        // The factory line, negative points included.
        QCOMPARE(e.punti.mid(0, 4), (QList<int>{4, 4, 4, 4}));
        QCOMPARE(e.punti.last(), -2);
        const QList<int> scala = Numeri(e.out, QStringLiteral("scale"));
        QCOMPARE(scala.size(), 57);
        QCOMPARE(scala.at(1), 256);

        // Reset, then pivot 1 (point 0) raised: 1, 1, 1, 0, 0, 0.
        e = Linea(b, {QStringLiteral("reset")});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        QCOMPARE(e.punti, QList<int>(56, 0));
        e = Linea(b, {QStringLiteral("raise"), QStringLiteral("1")});
        QCOMPARE(e.punti.mid(0, 7), (QList<int>{1, 1, 1, 0, 0, 0, 0}));

        // The ECU keeps what was sent: a fresh run reads the same line.
        e = Linea(b, {QStringLiteral("lower"), QStringLiteral("P9"), QStringLiteral("--steps"),
                      QStringLiteral("3")});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        QCOMPARE(e.punti.last(), -3);
        QCOMPARE(Linea(b, {}).punti, e.punti);

        e = Linea(b, {QStringLiteral("all"), QStringLiteral("-2")});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        QCOMPARE(e.punti.first(), -1); // the shift passes the floor
        QCOMPARE(e.punti.last(), -5);

        // Pivot 4 (point 16) moves right: gap 11 to point 27.
        e = Linea(b, {QStringLiteral("right"), QStringLiteral("4")});
        QVERIFY2(e.codice == 0, qPrintable(e.err));
        QCOMPARE(e.pivot.at(3), 17);
    }

    void modificheImpossibili()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu());
        // Pivot 3 (point 10) is 4 points from pivot 2 (point 6): refused.
        Esito e = Linea(b, {QStringLiteral("left"), QStringLiteral("3")});
        QCOMPARE(e.codice, 1);
        QVERIFY2(e.err.contains(QStringLiteral("P3 cannot move left")), qPrintable(e.err));
        QVERIFY(e.out.isEmpty());
        e = Linea(b, {QStringLiteral("right"), QStringLiteral("9")});
        QCOMPARE(e.codice, 1);
        QVERIFY2(e.err.contains(QStringLiteral("P9 never moves")), qPrintable(e.err));
        QCOMPARE(Linea(b, {}).pivot, (QList<int>{0, 6, 10, 16, 27, 35, 41, 49, 55}));
    }
};

GASCAL_PROVA(TstCliLinea)
#include "tst_cli_linea.moc"
