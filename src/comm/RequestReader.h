#pragma once

#include "Request.h"

#include <QByteArray>

// Reads request frames from a pipe (normally standard input):
// length (2 bytes, little-endian, whole frame) | command | 5 parameters | data.
//
// The program writes each frame with one write, so a frame normally arrives in
// one read. Bytes that cannot be a frame are reported once as Malformed and
// thrown away together with whatever the pipe holds at that moment, so that the
// next request starts clean.
class RequestReader
{
public:
    explicit RequestReader(int fd = 0);

    // Blocks until a frame, a malformed frame or end of input.
    Request next();

    // One frame that came whole in one write: its request, or Malformed when
    // its length field is not its size.
    static Request decode(const QByteArray &frame);

    static constexpr int HeaderSize = 8;
    static constexpr int MaxFrameSize = 4096;
    // Time allowed for the rest of a frame once its first bytes came.
    static constexpr int RestOfFrameMs = 100;

private:
    enum class Wait { Data, TimedOut, Closed };

    Wait fill(int timeoutMs);
    void discardPending();
    Request malformed(const QString &problem);

    int m_fd;
    QByteArray m_pending;
};
