#pragma once

#include <QString>

#include <array>

namespace gascal {

// What the live bar shows after a refresh of its values: the texts with their
// units, the engine speed segments, the gas time's colour, which pictures are
// lit, the update button's phase and, when the values are not live, where
// they come from.
struct VistaBarra {
    static constexpr int NumSegmenti = 14;

    // The gas time's colour: none chosen yet (the label keeps its own),
    // black, or red for the warning.
    enum class Colore { Nessuno, Nero, Rosso };

    QString giri;
    QString tempoBenzina;
    QString tempoGas;
    QString pressione;
    QString temperatura;
    Colore coloreTempoGas = Colore::Nessuno;
    // Segment i of the engine speed bar is filled.
    std::array<bool, NumSegmenti> segmenti{};
    // The lit picture of each pair (petrol, gas, key, solenoid valve).
    bool benzina = false;
    bool gas = false;
    bool chiave = false;
    bool valvola = false;
    // The update button shows its red blink phase.
    bool aggiornaRosso = false;
    // The values are being read from the ECU; otherwise `origine` says
    // where they come from.
    bool dalVivo = false;
    QString origine;
};

} // namespace gascal
