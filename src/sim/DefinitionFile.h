#pragma once

#include <QString>

class MemoryBlocks;

// Writes a default definition file (def.xar for LPG, def_cng.xar for CNG)
// from the ECU's memory: the sections [BLK_1], [BLK_2], [BLK_3], [BLK_5] and
// [MAP_0], each followed by the hex text (upper case) of the whole read
// answer of its block, lines ended by CR LF, as a map file holds them.
class DefinitionFile
{
public:
    static QByteArray text(const MemoryBlocks &memory);
    static bool write(const QString &path, const MemoryBlocks &memory, QString *error);
};
