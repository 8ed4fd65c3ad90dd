#pragma once

#include <QtGlobal>

#include <functional>

// The car's own petrol ECU, as far as the gas kit sees it: it computes the
// petrol injection time that the gas ECU reads, and corrects it with its
// closed-loop fuel trim. The trim is a factor on the engine's need: it grows
// while the mixture is lean and shrinks while it is rich, with a lag of about
// a second, within the trim limits. On petrol the petrol injectors deliver
// exactly what the time asks for, so the trim stays at 1; on gas what the
// engine gets is the gas of the installation (Installation::deliveredUs),
// and the trim answers its error. The time read by the gas ECU carries a
// little noise.
class PetrolEcu
{
public:
    // The error of the gas installation: the gas injectors' true flow against
    // the nominal one, and a fixed offset (dead time not covered by the
    // injector settings). Delivered gas, in petrol microseconds:
    //   flow% / 100 x gas time - offset.
    struct Installation
    {
        double flowPct = 85.0;
        double offsetUs = 250.0;
        double deliveredUs(double gasUs) const;
    };

    // One step of dtS seconds. needUs: the engine's need in petrol
    // microseconds (0 in cut-off or stopped: the trim holds). gasTimeOf: the
    // gas time that the gas ECU injects for a petrol time, or nothing while
    // the engine runs on petrol.
    void step(double dtS, double needUs, const Installation &installation,
              const std::function<double(double)> &gasTimeOf);

    // The petrol time the gas ECU reads now (with the noise).
    double timeUs() const { return m_timeUs; }
    double trim() const { return m_trim; }

private:
    double m_trim = 1.0;
    double m_timeUs = 0.0;
    quint32 m_noise = 0x2545F491u;
};
