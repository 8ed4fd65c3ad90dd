#pragma once

#include <QString>

// The line scrambling of the program's settings files and resources.
// A scrambled line is printable text (upper-case hex digits): two digits of
// check sum of the plain bytes, then the UTF-8 bytes of the line, each XORed
// with a rolling key and chained to the previous scrambled byte.
namespace gascal {

QString CriptaRiga(const QString &riga);

// False (and an empty text) for a line that cannot be unscrambled.
bool DecriptaRiga(const QString &riga, QString &testo);

// The first line of a scrambled file unscrambles to this word.
inline QString IntestazioneCriptata() { return QStringLiteral("KESTRONAX"); }

} // namespace gascal
