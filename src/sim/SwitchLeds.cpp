#include "SwitchLeds.h"

namespace {

// Low and high bit of each LED.
constexpr quint16 steady(quint16 led) { return led; }
constexpr quint16 slowBlink(quint16 led) { return led & 0xAAAA; }
constexpr quint16 fastBlink(quint16 led) { return led & 0x5555; }

// The level LEDs from reserve upwards.
constexpr std::array<quint16, 4> levelLeds = {0x000C, 0x0030, 0x00C0, 0x0300};

} // namespace

quint16 SwitchLeds::word(const Inputs &in)
{
    if (!in.ignition)
        return 0;
    quint16 w = 0;
    for (int k = 0; k < 4; ++k) {
        if (in.level >= in.thresholds[k])
            w |= steady(levelLeds[k]);
    }
    const bool reserve = in.level < in.thresholds[0];
    if (reserve)
        w |= fastBlink(levelLeds[0]);

    using P = FuelSwitch::Phase;
    switch (in.phase) {
    case P::Petrol: w |= steady(FuelLed); break;
    case P::Waiting: w |= slowBlink(FuelLed); break;
    case P::Overlap: w |= fastBlink(FuelLed) | fastBlink(OrangeLed); break;
    case P::Gas: w |= steady(OrangeLed); break;
    }

    if (in.alarm)
        w |= fastBlink(RedLed) | FastBeeps;
    else if (in.faults)
        w |= steady(RedLed);
    if (reserve && in.phase == P::Gas && !in.alarm)
        w |= BeepEverySecond;
    return w;
}
