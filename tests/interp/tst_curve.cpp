// Curve fitting and deflection: edge cases, hand-worked values, an independent reference.
#include "RegistroProve.h"
#include "TabelleProva.h"

#include "interp/CurveCampioni.h"
#include "interp/Deflessione.h"

#include <QTest>

#include <limits>

using namespace gascal;
using T = TabelleCampioni;

namespace {

// A curve giving exactly the listed rows their values.
Curva CurvaRighe(const QList<QPair<int, qint32>> &righe)
{
    Curva c(100);
    int i = 8;
    for (const auto &[riga, valore] : righe) {
        c[i] = c[i + 1] = {valore, 32 * riga};
        i += 2;
    }
    return c;
}

QVector<qint32> Deflessione56(const Curva &a, const Curva &b, int percentuale = 60)
{
    QVector<qint32> out(56, -999);
    Deflessione::CalcolaDeflessione(a, b, out, percentuale);
    return out;
}

// A deflection with the listed points, zero elsewhere.
QVector<qint32> Punti(const QList<QPair<int, qint32>> &punti)
{
    QVector<qint32> d(56, 0);
    for (const auto &[k, v] : punti)
        d[k] = v;
    return d;
}

} // namespace

class TstCurve : public QObject
{
    Q_OBJECT
private slots:
    void baseAMano()
    {
        const int casi[][3] = {{5, 2, 10}, {5, 0, 1}, {5, 5, 1}, {0, 3, 1}, {13, 1, 13}};
        for (const auto &[n, k, atteso] : casi)
            QCOMPARE(CurveCampioni::Binomiale(n, k), double(atteso));
        QVERIFY(qFuzzyCompare(CurveCampioni::Binomiale(20, 10), 184756.0));
        // Order 2 on knots 0 0 1 2 3 3: two hat functions meet at 1.5.
        std::vector<double> N;
        CurveCampioni::BSplineBase(3, 1.5, 2, N);
        QCOMPARE(N, (std::vector<double>{0, 0.5, 0.5, 0}));
        // 14 points of order 14: at t = 0.5 each basis is C(13, j) / 2^13.
        CurveCampioni::BSplineBase(13, 0.5, 14, N);
        for (int j = 0; j <= 13; ++j)
            QCOMPARE(N[j], CurveCampioni::Binomiale(13, j) / 8192.0);
        // 9 to 13 points: all knots from k on are below 0, no basis at all.
        CurveCampioni::BSplineBase(10, -0.5, 14, N);
        QCOMPARE(int(std::count(N.begin(), N.end(), 0.0)), int(N.size()));
    }

    void pochiPuntiEVuoti()
    {
        CurveCampioni curve;
        Curva c;
        T::Tabella t{};
        for (int r : {1, 3, 5, 7, 9, 11, 13, 15})
            t[r] = 1000 + r;
        t[20] = -5; // negative rows are no samples either
        curve.CurvaCampioni(t, c, true);
        QVERIFY(c.size() == 100 && curve.Punti().size() == 8);
        QCOMPARE(int(std::count(c.begin(), c.end(), Punto{})), 100);

        // The ninth row makes a curve; gaps keep each point's own row.
        t[17] = 2000;
        curve.CurvaCampioni(t, c, true);
        QCOMPARE(curve.Punti().size(), size_t(9));
        QVERIFY(curve.Punti()[1] == (Punto{1003, 96}) && curve.Punti()[8] == (Punto{2000, 544}));
        // The ends are trimmed whatever the fit gave.
        QCOMPARE(int(std::count(c.begin(), c.begin() + 8, Punto{}) + std::count(c.end() - 8, c.end(), Punto{})), 16);
        QVERIFY(c[8] != Punto{} && c[50].X > 0 && c[91] != Punto{});
        // With the B-spline of order 14, nine points give a zero interior.
        curve.CurvaCampioni(t, c, false);
        QCOMPARE(int(std::count(c.begin(), c.end(), Punto{})), 100);
    }

    // No coordinate wraps past 32 bits, in the curve or in its deflection.
    void valoriEstremiSenzaTraboccare()
    {
        T::Tabella t{};
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
        const qint32 massimo = std::numeric_limits<qint32>::max();
        const QVector<qint32> d = Deflessione56(CurvaRighe({{5, 2000}, {6, 3000}}), CurvaRighe({{5, massimo}, {6, massimo}}), 1000);
        QVERIFY(*std::min_element(d.begin(), d.end()) >= 0);
        QCOMPARE(d[8], massimo);   // 10 x (max - 2000), held at the limit
    }

    void curveDiRiferimento()
    {
        T::Tabella nove{};
        int i = 0;
        for (int r : {2, 4, 5, 7, 9, 10, 12, 14, 15})
            nove[r] = 1000 + 500 * i++;
        CurveCampioni curve;
        Curva c, benzina, gas;
        curve.CurvaCampioni(nove, c, true);
        QCOMPARE((QList<Punto>{c[8], c[20], c[50], c[91]}), (QList<Punto>{{1324, 102}, {1807, 151}, {3020, 280}, {4676, 455}}));

        const T tabelle = TabelleProva();
        curve.CurvaCampioni(tabelle[T::BeM], benzina, false);
        curve.CurvaCampioni(tabelle[T::GaM], gas, false);
        QCOMPARE((QList<Punto>{benzina[8], benzina[30], benzina[50], benzina[91], gas[50], gas[91]}),
                 (QList<Punto>{{2908, 157}, {5315, 254}, {7588, 339}, {12337, 515}, {8040, 339}, {13009, 515}}));
        const QVector<qint32> righe = Deflessione::ValoriRighe(benzina);
        QCOMPARE(righe, (QVector<qint32>{0, 0, 0, 0, 0, 2908, 3639, 4526, 5315, 6226, 7022, 7928, 8721, 9624, 10526, 11333, 12200}
                         + QVector<qint32>(44 - 17, 0)));
        QCOMPARE(Deflessione56(benzina, gas), Punti({{11, 135}, {14, 160}, {18, 186}, {21, 209}, {24, 233}, {27, 254},
                                                     {31, 280}, {34, 327}, {35, 376}, {37, 399}, {38, 326}}));

        curve.CurvaCampioni(tabelle[T::BeM], benzina, true);
        curve.CurvaCampioni(tabelle[T::GaM], gas, true);
        QCOMPARE((QList<Punto>{benzina[8], benzina[30], gas[91]}), (QList<Punto>{{2586, 135}, {4998, 241}, {13648, 537}}));
        QCOMPARE(Deflessione56(benzina, gas), Punti({{12, 138}, {15, 163}, {18, 184}, {21, 206}, {24, 232}, {28, 258},
                                                     {31, 280}, {33, 351}, {34, 303}, {35, 377}, {37, 398}, {38, 329}}));
    }

    void deflessioneRighe()
    {
        QCOMPARE(Deflessione::PuntoDi(10240), 40);
        QCOMPARE(Deflessione::PuntoDi(10241), 33);
        QCOMPARE(Deflessione::PuntoDi(384), 2);  // 1.5 -> 2
        QCOMPARE(Deflessione::PuntoDi(640), 2);  // 2.5 -> 2
        QCOMPARE(Deflessione::PuntoDi(21759), 55);
        QCOMPARE(Deflessione::PuntoDi(21760), 56);
        // 10240 -> point 40, 10241 -> 33 (60.6 -> 60, truncated to zero); 21760 is past point 55.
        QCOMPARE(Deflessione56(CurvaRighe({{10, 10240}, {11, 10241}, {12, 21760}}), CurvaRighe({{10, 10341}, {11, 10141}, {12, 22760}})),
                 Punti({{40, 60}, {33, -60}}));
        // Two rows on one point: the mean truncated toward zero, then the percentage.
        const Curva c = CurvaRighe({{4, 1000}, {5, 1010}});
        QCOMPARE(Deflessione56(c, CurvaRighe({{4, 1003}, {5, 1012}}), 100)[4], 2);  // (3 + 2) / 2 = 2.5 -> 2
        QCOMPARE(Deflessione56(c, CurvaRighe({{4, 997}, {5, 1008}}), 100)[4], -2);  // (-3 - 2) / 2 = -2.5 -> -2
        // A row without a gas value, or without a petrol one, counts nothing.
        QCOMPARE(Deflessione56(CurvaRighe({{6, 2000}}), CurvaRighe({{7, 2000}})), QVector<qint32>(56, 0));
    }
};

GASCAL_PROVA(TstCurve)
#include "tst_curve.moc"
