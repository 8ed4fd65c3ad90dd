#pragma once

#include "interp/Punto.h"

#include <QVector>

namespace gascal {

// Turns the difference between the petrol curve and the gas curve into
// proposed corrections (µs) for the points of the calibration line.
namespace Deflessione {

// Calibration-line point of a petrol injection time: 256 µs a point up to
// 10240 µs (point 40), then 512 µs a point counted from point 33, so that
// 10241 µs falls on point 33. Rounded to the nearest, halves to even.
qint64 PuntoDi(qint32 tempoBenzina);

// The value of each of the 44 rows read off a curve: for every segment
// (points i - 1 and i) whose Y range holds 32 x r, the X of its lower end;
// the last such segment wins; 0 when none holds it.
QVector<qint32> ValoriRighe(const Curva &curva);

// Fills `out` (its size is kept: one entry per calibration-line point) with
// the mean petrol-time difference of the rows that fall on each point,
// truncated toward zero, then scaled by `percentuale` / 100 and truncated
// again. Rows without both values count for nothing; a row whose point lies
// beyond the last entry of `out` is skipped.
void CalcolaDeflessione(const Curva &curva1, const Curva &curva2, QVector<qint32> &out, int percentuale);

} // namespace Deflessione

} // namespace gascal
