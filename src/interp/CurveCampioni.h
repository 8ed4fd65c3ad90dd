#pragma once

#include "interp/Punto.h"
#include "interp/TabelleCampioni.h"

#include <vector>

namespace gascal {

// Fits a smooth 100-point curve through a sample table: a B-spline of order
// OrdineSpline on an open uniform knot vector, or a Bézier curve. The
// arithmetic is fixed to the unit: every term is added to the running
// coordinate and the sum is rounded at once (halves to even), so a curve is
// the same wherever it is computed.
class CurveCampioni
{
public:
    static constexpr int PuntiCurva = 100;
    static constexpr int MinimoPunti = 9; // fewer samples give an all-zero curve

    // Spline order k, set when the interpolation window loads.
    int OrdineSpline = 14;

    // Builds the point list from the table's positive rows (X = value,
    // Y = 32 x row) and the curve from it; the first and last
    // round(100 / 14) + 1 points of the curve are always (0, 0).
    void CurvaCampioni(const TabelleCampioni::Tabella &tabella, Curva &curva, bool bezier);

    // B-spline of the point list; curve(0) and curve(99) are its ends.
    void BSplineCurva(const Curva &punti, Curva &curva) const;
    // The n + 1 basis values of order k at parameter t (Cox-de Boor; a term
    // whose denominator is 0 counts 0).
    static void BSplineBase(int n, double t, int k, std::vector<double> &N);
    // Bézier curve of the point list.
    void BezierCurva(const Curva &punti, Curva &curva);
    // C(n, j) as the product of (j / i + 1) for i = 1..n - j; 1 when n < 1,
    // j < 1 or n = j.
    static double Binomiale(int n, int j);

    // The point list of the last CurvaCampioni.
    const Curva &Punti() const { return m_punti; }
    // For how many points the binomial coefficients were filled (-1: never).
    int BinomialiPer() const { return m_nBinomiali; }
    int RiempimentiBinomiali() const { return m_riempimenti; }

private:
    Curva m_punti;
    int m_nBinomiali = -1;
    std::vector<double> m_binomiali;
    int m_riempimenti = 0;
};

} // namespace gascal
