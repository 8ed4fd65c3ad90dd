// Curve fitting and deflection: the edge cases that catch faults, the basis against
// values worked out by hand, and whole curves and deflections of a 16-row
// table against an independent reference computation.
#include "RegistroProve.h"
#include "interp/CurveCampioni.h"
#include "interp/Deflessione.h"

#include <QTest>

#include <limits>

using namespace gascal;

namespace {

// Petrol rows 3..18 and gas rows lying a growing amount above them.
TabelleCampioni::Tabella TabellaBenzina()
{
    TabelleCampioni::Tabella t{};
    const int valori[] = {2100, 2410, 2810, 3650, 4480, 5390, 6210, 7120,
                          7950, 8860, 9650, 10560, 11380, 12290, 13100, 14020};
    for (int i = 0; i < 16; ++i)
        t[3 + i] = valori[i];
    return t;
}

TabelleCampioni::Tabella TabellaGas()
{
    TabelleCampioni::Tabella t = TabellaBenzina();
    for (int i = 0; i < 16; ++i)
        t[3 + i] += 150 + 40 * i;
    return t;
}

// A curve that gives exactly the listed rows their values: two equal points
// per row, ascending, between the zero ends.
Curva CurvaRighe(const QList<QPair<int, qint32>> &righe)
{
    Curva c(100);
    int i = 8;
    for (const auto &[riga, valore] : righe) {
        c[i++] = {valore, 32 * riga};
        c[i++] = {valore, 32 * riga};
    }
    return c;
}

QVector<qint32> Deflessione56(const Curva &a, const Curva &b, int percentuale = 60)
{
    QVector<qint32> out(56, -999);
    Deflessione::CalcolaDeflessione(a, b, out, percentuale);
    return out;
}

} // namespace

class TstCurve : public QObject
{
    Q_OBJECT
private slots:
    void binomiale()
    {
        QCOMPARE(CurveCampioni::Binomiale(5, 2), 10.0);
        QCOMPARE(CurveCampioni::Binomiale(5, 0), 1.0);
        QCOMPARE(CurveCampioni::Binomiale(5, 5), 1.0);
        QCOMPARE(CurveCampioni::Binomiale(0, 3), 1.0);
        QCOMPARE(CurveCampioni::Binomiale(13, 1), 13.0);
        QVERIFY(qFuzzyCompare(CurveCampioni::Binomiale(20, 10), 184756.0));
    }

    void baseSplineAMano()
    {
        // Order 2 on knots 0 0 1 2 3 3: two hat functions meet at 1.5.
        std::vector<double> N;
        CurveCampioni::BSplineBase(3, 1.5, 2, N);
        QCOMPARE(N.size(), size_t(4));
        QCOMPARE(N[0], 0.0);
        QCOMPARE(N[1], 0.5);
        QCOMPARE(N[2], 0.5);
        QCOMPARE(N[3], 0.0);
        // 14 points of order 14: knots 0 x14 and 1 x14, the Bernstein
        // polynomials: at t = 0.5 each is C(13, j) / 2^13.
        CurveCampioni::BSplineBase(13, 0.5, 14, N);
        double somma = 0;
        for (int j = 0; j <= 13; ++j) {
            QCOMPARE(N[j], CurveCampioni::Binomiale(13, j) / 8192.0);
            somma += N[j];
        }
        QCOMPARE(somma, 1.0);
        // 9 to 13 points: all knots from k on are below 0, no basis at all.
        CurveCampioni::BSplineBase(10, -0.5, 14, N);
        for (double v : N)
            QCOMPARE(v, 0.0);
    }

    void pochiPuntiEVuoti()
    {
        CurveCampioni curve;
        Curva c;
        TabelleCampioni::Tabella t{};
        for (int r : {1, 3, 5, 7, 9, 11, 13, 15})
            t[r] = 1000 + r;
        t[20] = -5; // negative rows are no samples either
        curve.CurvaCampioni(t, c, true);
        QCOMPARE(c.size(), size_t(100));
        QCOMPARE(curve.Punti().size(), size_t(8));
        for (const Punto &p : c)
            QCOMPARE(p, Punto{});

        // The ninth row makes a curve; gaps keep each point's own row.
        t[17] = 2000;
        curve.CurvaCampioni(t, c, true);
        QCOMPARE(curve.Punti().size(), size_t(9));
        QCOMPARE(curve.Punti()[1], (Punto{1003, 96}));
        QCOMPARE(curve.Punti()[8], (Punto{2000, 544}));
        QVERIFY(c[50].X > 0);
        // The ends are trimmed whatever the fit gave.
        for (int i = 0; i <= 7; ++i) {
            QCOMPARE(c[i], Punto{});
            QCOMPARE(c[99 - i], Punto{});
        }
        QVERIFY(c[8] != Punto{});
        QVERIFY(c[91] != Punto{});

        // With the B-spline of order 14, nine points give a zero interior.
        curve.CurvaCampioni(t, c, false);
        for (const Punto &p : c)
            QCOMPARE(p, Punto{});
    }

    // Whatever a table holds, no coordinate wraps past 32 bits: a curve of
    // the largest times stays at the largest times, and so does its deflection.
    void valoriEstremiSenzaTraboccare()
    {
        TabelleCampioni::Tabella t{};
        for (int r = 3; r < 40; ++r)
            t[r] = std::numeric_limits<qint32>::max() - (r % 2);
        CurveCampioni curve;
        Curva c;
        for (const bool bezier : {false, true}) {
            curve.OrdineSpline = 14;
            curve.CurvaCampioni(t, c, bezier);
            for (const Punto &p : c)
                QVERIFY2(p.X >= 0 && p.Y >= 0, qPrintable(QStringLiteral("%1, %2").arg(p.X).arg(p.Y)));
            QVERIFY(c[50].X > std::numeric_limits<qint32>::max() / 2);
        }
        const Curva grande = CurvaRighe({{5, 2000}, {6, 3000}});
        const Curva massima = CurvaRighe({{5, std::numeric_limits<qint32>::max()}, {6, std::numeric_limits<qint32>::max()}});
        const QVector<qint32> d = Deflessione56(grande, massima, 1000);
        for (qint32 v : d)
            QVERIFY(v >= 0);
        QCOMPARE(d[8], std::numeric_limits<qint32>::max());   // 10 x (max - 2000), held at the limit
    }

    void bezierNovePunti()
    {
        TabelleCampioni::Tabella t{};
        int i = 0;
        for (int r : {2, 4, 5, 7, 9, 10, 12, 14, 15})
            t[r] = 1000 + 500 * i++;
        CurveCampioni curve;
        Curva c;
        curve.CurvaCampioni(t, c, true);
        QCOMPARE(c[8], (Punto{1324, 102}));
        QCOMPARE(c[20], (Punto{1807, 151}));
        QCOMPARE(c[50], (Punto{3020, 280}));
        QCOMPARE(c[91], (Punto{4676, 455}));
    }

    void curveDiRiferimento()
    {
        CurveCampioni curve;
        Curva benzina, gas;
        curve.CurvaCampioni(TabellaBenzina(), benzina, false);
        curve.CurvaCampioni(TabellaGas(), gas, false);
        QCOMPARE(benzina[8], (Punto{2908, 157}));
        QCOMPARE(benzina[30], (Punto{5315, 254}));
        QCOMPARE(benzina[50], (Punto{7588, 339}));
        QCOMPARE(benzina[91], (Punto{12337, 515}));
        QCOMPARE(gas[50], (Punto{8040, 339}));
        QCOMPARE(gas[91], (Punto{13009, 515}));
        const QVector<qint32> righe = Deflessione::ValoriRighe(benzina);
        const QVector<qint32> attese{0, 0, 0, 0, 0, 2908, 3639, 4526, 5315, 6226, 7022,
                                     7928, 8721, 9624, 10526, 11333, 12200};
        QCOMPARE(righe.mid(0, attese.size()), attese);
        QCOMPARE(righe.mid(attese.size()), QVector<qint32>(44 - attese.size(), 0));

        QVector<qint32> d(56, 0);
        d[11] = 135; d[14] = 160; d[18] = 186; d[21] = 209; d[24] = 233; d[27] = 254;
        d[31] = 280; d[34] = 327; d[35] = 376; d[37] = 399; d[38] = 326;
        QCOMPARE(Deflessione56(benzina, gas), d);

        curve.CurvaCampioni(TabellaBenzina(), benzina, true);
        curve.CurvaCampioni(TabellaGas(), gas, true);
        QCOMPARE(benzina[8], (Punto{2586, 135}));
        QCOMPARE(benzina[30], (Punto{4998, 241}));
        QCOMPARE(gas[91], (Punto{13648, 537}));
        d.fill(0);
        d[12] = 138; d[15] = 163; d[18] = 184; d[21] = 206; d[24] = 232; d[28] = 258;
        d[31] = 280; d[33] = 351; d[34] = 303; d[35] = 377; d[37] = 398; d[38] = 329;
        QCOMPARE(Deflessione56(benzina, gas), d);
    }

    void puntoDellaRetta()
    {
        QCOMPARE(Deflessione::PuntoDi(10240), 40);
        QCOMPARE(Deflessione::PuntoDi(10241), 33);
        QCOMPARE(Deflessione::PuntoDi(384), 2);  // 1.5 -> 2
        QCOMPARE(Deflessione::PuntoDi(640), 2);  // 2.5 -> 2
        QCOMPARE(Deflessione::PuntoDi(21759), 55);
        QCOMPARE(Deflessione::PuntoDi(21760), 56);
    }

    void deflessioneRighe()
    {
        // Rows 10 and 11 share point 40's neighbourhood: 10240 -> point 40,
        // 10241 -> point 33.
        const Curva a = CurvaRighe({{10, 10240}, {11, 10241}, {12, 21760}});
        const Curva b = CurvaRighe({{10, 10341}, {11, 10141}, {12, 22760}});
        QVector<qint32> atteso(56, 0);
        atteso[40] = 60;  // 101 x 60 / 100 = 60.6 -> 60
        atteso[33] = -60; // -100 x 60 / 100 = -60; truncated toward zero
        QCOMPARE(Deflessione56(a, b), atteso); // 21760 lies beyond point 55: skipped

        // Two rows on one point: the mean is truncated toward zero, then the
        // percentage.
        const Curva c = CurvaRighe({{4, 1000}, {5, 1010}});
        const Curva g = CurvaRighe({{4, 1003}, {5, 1012}});
        QCOMPARE(Deflessione56(c, g, 100)[4], 2); // (3 + 2) / 2 = 2.5 -> 2
        const Curva n = CurvaRighe({{4, 997}, {5, 1008}});
        QCOMPARE(Deflessione56(c, n, 100)[4], -2); // (-3 - 2) / 2 = -2.5 -> -2

        // A row without a gas value, or without a petrol one, counts nothing.
        const Curva soloBenzina = CurvaRighe({{6, 2000}});
        const Curva soloGas = CurvaRighe({{7, 2000}});
        QCOMPARE(Deflessione56(soloBenzina, soloGas), QVector<qint32>(56, 0));
    }
};

GASCAL_PROVA(TstCurve)
#include "tst_curve.moc"
