#pragma once

#include <QString>
#include <optional>

// Every conversion between texts, real numbers and whole numbers that the
// configuration pages make, in one place.
//
// Real numbers computed from decimal texts are not exact in binary (2.675 x
// 100 is 267.49999999999997): a value within a billionth (relative) of a whole
// number or of a half counts as that whole number or that half.
namespace gascal::Conversioni {

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4,
// -2.5 -> -2).
qint64 Arrotonda(double x);
// The fraction dropped, toward zero (-2.7 -> -2).
qint64 Fix(double x);
// The next lower whole number (-2.3 -> -3).
qint64 Int(double x);

// A text as a real number in the user's format: blanks around it are ignored,
// the decimal separator is `sep`; a text that is not a number (or that holds
// the other separator, which would be a grouping mark) gives nothing.
std::optional<double> Numero(const QString &testo, const QString &sep);
// Numero taken to the nearest whole number, halves to even.
std::optional<qint64> Intero(const QString &testo, const QString &sep);

// A value in thousandths as a short number text: 1200 -> "1,2", 4 -> "0,004",
// 6000 -> "6" (with a comma as separator).
QString TestoMilli(qint64 milli, const QString &sep);
// A real number with a fixed count of decimals (0 to 3), the last one taken
// to the nearest with halves to even: (0.29296875, 3) -> "0,293".
QString TestoDecimali(double x, int decimali, const QString &sep);

} // namespace gascal::Conversioni
