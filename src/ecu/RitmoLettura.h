#pragma once

namespace gascal {

class Contesto;

// The polling pace: the live record at every cycle, the mode commands' record
// (the fuel in use) at every sixth, so the fast values stay fast.
class RitmoLettura
{
public:
    explicit RitmoLettura(Contesto &ctx) : m_ctx(ctx) {}

    // One cycle's reads; a failed read leaves the old values in place.
    // True when the live record was read.
    bool Leggi();
    // The mode commands' record was due in the last cycle and its read failed.
    bool LentoFallito() const { return m_lentoFallito; }

    static constexpr int OgniLento = 6;

private:
    Contesto &m_ctx;
    int m_contatore = 0;
    bool m_lentoFallito = false;
};

} // namespace gascal
