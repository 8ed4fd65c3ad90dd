#pragma once

#include "autotune/ProfiloTaratura.h"

#include <QString>

#include <span>

namespace gascal {

// What a tuning profile may hold: every key with the range of its value,
// and the rule of a model table (the calibration line's pivot rule, and
// offsets and slopes that keep the line within what a point holds). The
// loader refuses what breaks them, and the autotuning does not start on a
// profile that breaks them (ControlloProfilo).
class RegoleProfilo
{
public:
    struct Chiave {
        const char *nome;                  // compared exactly
        qint32 ProfiloTaratura::*intero;   // neither member: recognised, not used
        double ProfiloTaratura::*reale;
        double minimo;
        double massimo;
        const char *unita;                 // empty for plain counts
    };

    static std::span<const Chiave> Chiavi();
    // The key named exactly `nome`; nullptr when there is none.
    static const Chiave *Trova(const QString &nome);
    // "0..1500 rpm".
    static QString Intervallo(const Chiave &c);
    // Empty when v lies within the key's range, else
    // "Rpm minimi: 5005500 is outside 0..1500 rpm".
    static QString FuoriIntervallo(const Chiave &c, double v);

    // A point of the line holds -128..127 steps of 64 us: an offset is a
    // point's value in us, and no pivot may move by more than ten times the
    // accepted correction.
    static constexpr qint32 OffsetMinimo = -128 * 64;
    static constexpr qint32 OffsetMassimo = 127 * 64;
    static constexpr qint32 PendenzaMassima = 10000;   // thousandths, either sign

    // Empty when the model table keeps the rules, else what breaks them
    // ("pivots 0|6|...: the first must be 0, ...").
    static QString ErroreModello(const ProfiloTaratura::Modello &m);
};

} // namespace gascal
