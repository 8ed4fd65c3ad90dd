#pragma once

#include <QByteArray>

// Lays out the data bytes of one block value by value, in the order of the
// message table's variable list. Each value is given in engineering units
// together with its scale; the raw number stored is value / scale.
class BlockBuilder
{
public:
    BlockBuilder &ub(int value, int scale = 1) { return put(value / scale, 1); }
    BlockBuilder &sb(int value, int scale = 1) { return put(value / scale, 1); }
    BlockBuilder &uw(int value, int scale = 1) { return put(value / scale, 2); }
    BlockBuilder &sw(int value, int scale = 1) { return put(value / scale, 2); }
    BlockBuilder &raw(const QByteArray &bytes)
    {
        m_bytes.append(bytes);
        return *this;
    }

    QByteArray bytes() const { return m_bytes; }

private:
    BlockBuilder &put(int raw, int width)
    {
        for (int i = 0; i < width; ++i)
            m_bytes.append(static_cast<char>((raw >> (8 * i)) & 0xFF));
        return *this;
    }

    QByteArray m_bytes;
};
