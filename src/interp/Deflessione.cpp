#include "interp/Deflessione.h"

#include "interp/TabelleCampioni.h"

#include <algorithm>
#include <limits>

namespace gascal::Deflessione {

qint64 PuntoDi(qint32 tempoBenzina)
{
    if (tempoBenzina <= 10240)
        return Conversioni::Arrotonda(tempoBenzina / 256.0);
    return Conversioni::Arrotonda((tempoBenzina - 10240) / 512.0 + 33);
}

QVector<qint32> ValoriRighe(const Curva &curva)
{
    QVector<qint32> righe(TabelleCampioni::Righe, 0);
    for (size_t i = 1; i < curva.size(); ++i) {
        for (int r = 0; r < TabelleCampioni::Righe; ++r) {
            const qint32 y = 32 * r;
            if (y >= curva[i - 1].Y && y <= curva[i].Y)
                righe[r] = curva[i - 1].X;
        }
    }
    return righe;
}

void CalcolaDeflessione(const Curva &curva1, const Curva &curva2, QVector<qint32> &out, int percentuale)
{
    QVector<qint32> a = ValoriRighe(curva1);
    QVector<qint32> b = ValoriRighe(curva2);
    const qsizetype punti = out.size();
    QVector<qint64> conteggio(punti, 0);
    QVector<qint64> somma(punti, 0);
    for (int r = 0; r < TabelleCampioni::Righe; ++r) {
        if (b[r] >= 1 && a[r] > 0) {
            b[r] -= a[r];
        } else {
            a[r] = 0;
            b[r] = 0;
        }
        if (a[r] == 0 || b[r] == 0)
            continue;
        const qint64 p = PuntoDi(a[r]);
        // Petrol times of 21760 µs and more lie past the last point.
        if (p < 0 || p >= punti)
            continue;
        ++conteggio[p];
        somma[p] += b[r];
    }
    for (qsizetype p = 0; p < punti; ++p) {
        if (conteggio[p] < 1) {
            out[p] = 0;
            continue;
        }
        const qint64 media = somma[p] / conteggio[p];
        out[p] = static_cast<qint32>(std::clamp<qint64>(media * percentuale / 100,
                                                        std::numeric_limits<qint32>::min(),
                                                        std::numeric_limits<qint32>::max()));
    }
}

} // namespace gascal::Deflessione
