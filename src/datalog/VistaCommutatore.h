#pragma once

#include <array>

namespace gascal {

// What the copy of the switch-over button shows after a refresh: the colour
// of each of its LEDs (the four gas levels, then petrol, alarm and gas) and
// how many beeps the buzzer gives now.
struct VistaCommutatore {
    static constexpr int NumLed = 7;

    enum class Colore { Spento, Verde, Rosso, Arancione };

    std::array<Colore, NumLed> led{};
    int beep = 0;
};

} // namespace gascal
