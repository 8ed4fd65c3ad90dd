#pragma once

#include "autotune/VistaTaratura.h"

#include <functional>

namespace gascal {

class Contesto;

// The calibration line of the program (the model kept in Contesto) as the
// autotuning uses it: the model's line replaces it and is prepared for the
// download; after a run it is reloaded from the ECU's images.
class RettaAutotuning : public RettaTaratura
{
public:
    explicit RettaAutotuning(Contesto &ctx) : m_ctx(ctx) {}

    qint32 GetCorrUSec() const override;
    void PreparaRetta(const std::array<qint32, 9> &pivot, const std::array<qint32, 56> &punti) override;
    void PlottaRetta() override;

    // Redraws the calibration line page (the window sets it).
    std::function<void()> ridisegna;

private:
    Contesto &m_ctx;
};

} // namespace gascal
