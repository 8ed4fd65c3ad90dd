#include "MemoryBlocks.h"

QString MemoryBlocks::name(Block block)
{
    switch (block) {
    case Block::Identity: return QStringLiteral("identity");
    case Block::Live: return QStringLiteral("live data");
    case Block::State: return QStringLiteral("commands/state");
    case Block::Config: return QStringLiteral("configuration");
    case Block::Block5: return QStringLiteral("block 5");
    case Block::Production: return QStringLiteral("production data");
    case Block::Map: return QStringLiteral("calibration map");
    }
    return {};
}

bool MemoryBlocks::isWritable(Block block)
{
    return block != Block::Identity && block != Block::Live;
}

QByteArray MemoryBlocks::data(Block block) const
{
    return m_blocks[index(block)];
}

void MemoryBlocks::setData(Block block, const QByteArray &data)
{
    m_blocks[index(block)] = data;
}

quint8 MemoryBlocks::byteAt(Block block, int i) const
{
    const QByteArray &d = m_blocks[index(block)];
    return i >= 0 && i < d.size() ? static_cast<quint8>(d.at(i)) : 0;
}

void MemoryBlocks::setByte(Block block, int i, quint8 value)
{
    QByteArray &d = m_blocks[index(block)];
    if (i >= 0 && i < d.size())
        d[i] = static_cast<char>(value);
}

quint16 MemoryBlocks::wordAt(Block block, int i) const
{
    return static_cast<quint16>(byteAt(block, i) | (byteAt(block, i + 1) << 8));
}

void MemoryBlocks::setWord(Block block, int i, quint16 value)
{
    setByte(block, i, static_cast<quint8>(value & 0xFF));
    setByte(block, i + 1, static_cast<quint8>(value >> 8));
}

void MemoryBlocks::store()
{
    for (int i = 0; i < BlockCount; ++i) {
        if (isWritable(static_cast<Block>(i)))
            m_stored[i] = m_blocks[i];
    }
}

QByteArray MemoryBlocks::storedData(Block block) const
{
    return m_stored[index(block)];
}
