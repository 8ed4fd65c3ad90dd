#pragma once

#include "Reply.h"

#include <QByteArray>

// Writes reply frames to a pipe (normally standard output):
// length (2 bytes, big-endian, whole frame) | code | status | port | mode | 0 | 0 | payload.
//
// Each frame goes out in one write(): the program takes a reply as soon as
// any bytes are there, so a frame split in two would fail its length check.
class ReplyWriter
{
public:
    explicit ReplyWriter(int fd = 1);

    static QByteArray frame(const Reply &reply, quint8 port, quint8 mode);

    // False when the pipe is gone (the program died).
    bool write(const Reply &reply, quint8 port, quint8 mode);

private:
    int m_fd;
};
