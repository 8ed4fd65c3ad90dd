#include "interp/CurveCampioni.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace gascal {

namespace {

// A rounded coordinate, kept within 32 bits whatever the table held: the
// weights of both fits lie in 0..1, so only rounding can step past a limit.
qint32 Coordinata(double v)
{
    const double limitato = std::clamp(v, double(std::numeric_limits<qint32>::min()),
                                       double(std::numeric_limits<qint32>::max()));
    return static_cast<qint32>(std::clamp<qint64>(Conversioni::Arrotonda(limitato),
                                                  std::numeric_limits<qint32>::min(),
                                                  std::numeric_limits<qint32>::max()));
}

// Adds one weighted term to a curve point, rounding the running value.
void Somma(Punto &p, const Punto &controllo, double peso)
{
    p.X = Coordinata(controllo.X * peso + p.X);
    p.Y = Coordinata(controllo.Y * peso + p.Y);
}

} // namespace

void CurveCampioni::CurvaCampioni(const TabelleCampioni::Tabella &tabella, Curva &curva, bool bezier)
{
    curva.assign(PuntiCurva, Punto{});
    m_punti.clear();
    for (int r = 0; r < TabelleCampioni::Righe; ++r)
        if (tabella[r] > 0)
            m_punti.push_back({tabella[r], 32 * r});
    if (static_cast<int>(m_punti.size()) >= MinimoPunti) {
        if (bezier)
            BezierCurva(m_punti, curva);
        else
            BSplineCurva(m_punti, curva);
    }
    // The fits swing at their ends: those points are not shown.
    const int bordo = std::max<int>(2, static_cast<int>(Conversioni::Arrotonda(100.0 / 14)));
    for (int i = 0; i <= bordo; ++i) {
        curva[i] = Punto{};
        curva[PuntiCurva - 1 - i] = Punto{};
    }
}

void CurveCampioni::BSplineCurva(const Curva &punti, Curva &curva) const
{
    const int n = static_cast<int>(punti.size()) - 1;
    const int m = static_cast<int>(curva.size()) - 1;
    const int k = OrdineSpline;
    curva[0] = punti[0];
    curva[m] = punti[n];
    std::vector<double> N;
    for (int i = 1; i <= m - 1; ++i) {
        // t stays below the last knot, so the basis is always computed.
        const double t = static_cast<double>(i) / m * (n - k + 2);
        BSplineBase(n, t, k, N);
        curva[i] = Punto{};
        for (int j = 0; j <= n; ++j)
            Somma(curva[i], punti[j], N[j]);
    }
}

void CurveCampioni::BSplineBase(int n, double t, int k, std::vector<double> &N)
{
    std::vector<double> u(n + k + 1);
    for (int j = 0; j <= n + k; ++j) {
        if (j < k)
            u[j] = 0;
        else if (j <= n)
            u[j] = j - k + 1;
        else
            u[j] = n - k + 2;
    }
    // One extra slot: N(n + 1) = 0 for the last term of every order.
    N.assign(n + 2, 0.0);
    for (int j = 0; j <= n; ++j)
        N[j] = (u[j] <= t && t < u[j + 1]) ? 1.0 : 0.0;
    for (int d = 2; d <= k; ++d) {
        // Ascending j reads N(j + 1) before it is replaced: the values of
        // order d - 1, as the recursion needs.
        for (int j = 0; j <= n; ++j) {
            double valore = 0;
            const double den1 = u[j + d - 1] - u[j];
            if (den1 != 0)
                valore = (t - u[j]) * N[j] / den1;
            const double den2 = u[j + d] - u[j + 1];
            if (den2 != 0)
                valore += (u[j + d] - t) * N[j + 1] / den2;
            N[j] = valore;
        }
    }
    N.resize(n + 1);
}

void CurveCampioni::BezierCurva(const Curva &punti, Curva &curva)
{
    const int n = static_cast<int>(punti.size()) - 1;
    const int m = static_cast<int>(curva.size()) - 1;
    if (m_nBinomiali != n) {
        m_binomiali.resize(n + 1);
        for (int j = 0; j <= n; ++j)
            m_binomiali[j] = Binomiale(n, j);
        m_nBinomiali = n;
        ++m_riempimenti;
    }
    curva[0] = punti[0];
    curva[m] = punti[n];
    for (int i = 1; i <= m - 1; ++i) {
        const double t = static_cast<double>(i) / m;
        const double s = 1 - t;
        curva[i] = Punto{};
        for (int j = 0; j <= n; ++j) {
            const double w = std::pow(s, n - j) * std::pow(t, j) * m_binomiali[j];
            Somma(curva[i], punti[j], w);
        }
    }
}

double CurveCampioni::Binomiale(int n, int j)
{
    if (n < 1 || j < 1 || n == j)
        return 1;
    double prodotto = 1;
    for (int i = 1; i <= n - j; ++i)
        prodotto *= static_cast<double>(j) / i + 1;
    return prodotto;
}

} // namespace gascal
