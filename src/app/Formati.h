#pragma once

#include <QString>

// Number formatting with the user's decimal separator.
namespace gascal {

// Locale item 14 is the decimal separator; the only item the program reads.
inline constexpr int LocaleSeparatoreDecimale = 14;

// The text of a locale item of the user's locale (0) or empty.
QString LeggiLocale(int locale, int voce);

// A value in thousandths as text with 0 to 3 decimals, e.g. (1234, 2) -> "1,23"
// with a comma as separator.
QString FormatMilli(qint64 valoreMilli, int decimali, const QString &sepDecimale);

} // namespace gascal
