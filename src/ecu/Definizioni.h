#pragma once

#include <QString>

namespace gascal {

class Contesto;

// Definition files (def.xar, def_cng.xar) and map files read into the block
// images without the ECU: "[BLK_1]", "[BLK_2]", "[BLK_3]", "[BLK_5]" and
// "[MAP_0]" each followed by the hex text of a block image. Every other line
// is ignored.
namespace Definizioni {

// True when the whole file was read; records already filled keep their new
// images when it fails.
bool CaricaDefinizioni(Contesto &ctx, const QString &percorso);

// The record a section line fills, or -1.
int RecordDiSezione(const QString &riga);

} // namespace Definizioni
} // namespace gascal
