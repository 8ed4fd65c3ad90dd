#pragma once

#include "FuelSwitch.h"

#include <QtGlobal>

#include <array>

// The word of the driver's switch (live value 10): two bits per LED, L and
// H (both = steady, H alone = slow blink, L alone = fast blink), and two
// buzzer bits.
//   level LEDs reserve, 1/4, 2/4, 3/4: steady when the level reaches the
//     lowest, second, third, highest threshold; below the lowest threshold
//     the reserve LED blinks fast;
//   red fuel LED: steady on petrol, slow blink while a gas request waits,
//     fast blink during the overlap, off on gas;
//   orange LED: steady on gas, fast blink during the overlap;
//   red LED: fast blink during an end-of-gas alarm, steady while fault
//     flags are set;
//   buzzer: fast beeps during an end-of-gas alarm, one beep a second on
//     gas with the level below the lowest threshold.
// Everything is dark with the ignition off.
class SwitchLeds
{
public:
    struct Inputs
    {
        bool ignition = false;
        FuelSwitch::Phase phase = FuelSwitch::Phase::Petrol;
        int level = 0;                        // counts, corrected for an inverted sensor
        std::array<int, 4> thresholds {};     // ascending
        bool alarm = false;                   // end-of-gas alarm running
        bool faults = false;                  // fault flags set
    };

    static constexpr quint16 FuelLed = 0x0003;
    static constexpr quint16 OrangeLed = 0x0C00;
    static constexpr quint16 RedLed = 0x3000;
    static constexpr quint16 BeepEverySecond = 0x4000;
    static constexpr quint16 FastBeeps = 0x8000;

    static quint16 word(const Inputs &in);
};
