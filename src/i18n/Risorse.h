#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace gascal {

// The program's built-in text resources, addressed by type name and number
// ("DIZ_ENG" 105, "CONFIGSCALE" 103, ...) and stored scrambled line by line.
namespace Risorse {

// The unscrambled lines: one per CR LF (bytes after the last CR LF are not
// used; one empty line when there is none). A line that cannot be
// unscrambled becomes empty.
QStringList CaricaRisorsa(int numero, const QString &tipo);
QStringList RigheDaByte(const QByteArray &byte);

} // namespace Risorse
} // namespace gascal
