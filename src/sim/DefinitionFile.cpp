#include "DefinitionFile.h"

#include "EcuMessage.h"
#include "MemoryBlocks.h"
#include "ServiceHandler.h"

#include <QSaveFile>

QByteArray DefinitionFile::text(const MemoryBlocks &memory)
{
    using B = MemoryBlocks::Block;
    const struct { const char *section; quint8 service; B block; } sections[] = {
        {"[BLK_1]", ServiceHandler::ReadLive, B::Live},
        {"[BLK_2]", ServiceHandler::ReadState, B::State},
        {"[BLK_3]", ServiceHandler::ReadConfig, B::Config},
        {"[BLK_5]", ServiceHandler::ReadBlock5, B::Block5},
        {"[MAP_0]", ServiceHandler::ReadMap, B::Map},
    };
    QByteArray out;
    for (const auto &s : sections) {
        out += s.section;
        out += "\r\n";
        out += EcuMessage::answer(s.service, memory.data(s.block)).toHex().toUpper();
        out += "\r\n";
    }
    return out;
}

bool DefinitionFile::write(const QString &path, const MemoryBlocks &memory, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text(memory)) < 0 || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
