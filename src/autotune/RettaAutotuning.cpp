#include "autotune/RettaAutotuning.h"

#include "app/Contesto.h"

namespace gascal {

qint32 RettaAutotuning::GetCorrUSec() const
{
    return ModelloRetta::GetCorrUSec();
}

void RettaAutotuning::PreparaRetta(const std::array<qint32, 9> &pivot, const std::array<qint32, 56> &punti)
{
    ModelloRetta &r = m_ctx.retta;
    r.DefaultRetta();
    r.Pivot = pivot;
    r.Retta = punti;
    r.PrepareScaricaRettaDiCalibrazione(m_ctx);
}

void RettaAutotuning::PlottaRetta()
{
    m_ctx.retta.CaricaDaEcu(m_ctx);
    if (ridisegna)
        ridisegna();
}

} // namespace gascal
