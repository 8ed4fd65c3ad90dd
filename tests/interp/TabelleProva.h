#pragma once

#include "interp/TabelleCampioni.h"

#include <algorithm>

// Tables as a road cycle leaves them: petrol rows 3..18, gas above by a growing amount.
inline gascal::TabelleCampioni TabelleProva()
{
    using T = gascal::TabelleCampioni;
    T t;
    const int valori[] = {2100, 2410, 2810, 3650, 4480, 5390, 6210, 7120,
                          7950, 8860, 9650, 10560, 11380, 12290, 13100, 14020};
    for (int i = 0; i < 16; ++i) {
        t[T::BeM][3 + i] = t[T::Be1][3 + i] = valori[i];
        t[T::GaM][3 + i] = t[T::Ga1][3 + i] = valori[i] + 150 + 40 * i;
    }
    return t;
}

// How many rows of a table hold a sample.
inline int Righe(const gascal::TabelleCampioni::Tabella &t)
{
    return int(std::count_if(t.begin(), t.end(), [](qint32 v) { return v > 0; }));
}
