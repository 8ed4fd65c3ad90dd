#include "PetrolEcu.h"

#include "EngineConstants.h"

#include <algorithm>

namespace C = EngineConstants;

double PetrolEcu::Installation::deliveredUs(double gasUs) const
{
    return gasUs > 0 ? std::max(0.0, flowPct / 100.0 * gasUs - offsetUs) : 0.0;
}

void PetrolEcu::step(double dtS, double needUs, const Installation &installation,
                     const std::function<double(double)> &gasTimeOf)
{
    if (needUs <= 0) {
        m_timeUs = 0;
        return;
    }
    if (dtS <= 0) {   // the first look, before the engine has run: no noise
        m_timeUs = needUs * m_trim;
        return;
    }
    // What the engine gets for the time asked now, and the lambda error.
    const double asked = needUs * m_trim;
    const double delivered = gasTimeOf ? installation.deliveredUs(gasTimeOf(asked)) : asked;
    m_trim += (needUs - delivered) / needUs * dtS / C::TrimTimeConstantS;
    m_trim = std::clamp(m_trim, C::TrimMin, C::TrimMax);

    // xorshift: a small, repeatable noise of +-TrimNoise of the time.
    m_noise ^= m_noise << 13;
    m_noise ^= m_noise >> 17;
    m_noise ^= m_noise << 5;
    const double unit = (m_noise % 2001u) / 1000.0 - 1.0;
    m_timeUs = needUs * m_trim * (1.0 + C::TrimNoise * unit);
}
