#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>

// Cuts the byte stream from the line into whole request messages.
// A message starts with 41 02 (ECU request) or 42 01 (boot loader probe);
// its third byte n gives the whole length n + 2. Bytes that cannot start a
// message are discarded one by one until a plausible start is found. A
// partial message whose next byte is late (more than staleMs after the
// previous one) is thrown away, as the ECU's receiver does on the real line.
class MessageFramer
{
public:
    static constexpr int DefaultStaleMs = 100;

    explicit MessageFramer(int staleMs = DefaultStaleMs);

    QList<QByteArray> feed(const QByteArray &bytes);

    // Bytes thrown away so far (garbage and stale partial messages).
    int discardedBytes() const { return m_discarded; }
    bool hasPartial() const { return !m_buffer.isEmpty(); }
    // Forgets a partial message (the line went silent under it).
    void clear() { m_buffer.clear(); }

private:
    // Drops leading bytes until the buffer starts like a message; returns
    // the total length of that message, or 0 when more bytes are needed.
    int alignOnStart();

    QByteArray m_buffer;
    QElapsedTimer m_sinceLastByte;
    int m_staleMs;
    int m_discarded = 0;
};
