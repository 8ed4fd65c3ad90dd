#pragma once

#include <QByteArray>
#include <QString>

#include <array>

// The ECU's memory as the wire sees it: one data block per record of the
// message table. A block holds exactly the data bytes of the read answer
// (no header, no checksum); a write replaces them whole. store() keeps a
// copy of the writable blocks, as the ECU does when it writes its flash.
class MemoryBlocks
{
public:
    enum class Block {
        Identity,     // firmware identity (service 33)
        Live,         // live data (service 11), never written by the program
        State,        // commands and state (13 / 16)
        Config,       // configuration (14 / 17)
        Block5,       // calibration line pivots and settings (49 / 50)
        Production,   // production data (15 / 44)
        Map,          // calibration map, 56 points (18 00 00 6E / 19)
    };
    static constexpr int BlockCount = 7;

    static QString name(Block block);
    static bool isWritable(Block block);

    QByteArray data(Block block) const;
    void setData(Block block, const QByteArray &data);
    int size(Block block) const { return data(block).size(); }

    // Byte access by 0-based data index, for the engine model.
    quint8 byteAt(Block block, int index) const;
    void setByte(Block block, int index, quint8 value);
    quint16 wordAt(Block block, int index) const;           // little-endian
    void setWord(Block block, int index, quint16 value);

    void store();
    QByteArray storedData(Block block) const;

private:
    static int index(Block block) { return static_cast<int>(block); }

    std::array<QByteArray, BlockCount> m_blocks;
    std::array<QByteArray, BlockCount> m_stored;
};
