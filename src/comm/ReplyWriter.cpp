#include "ReplyWriter.h"

#include <cerrno>
#include <unistd.h>

namespace {
constexpr int HeaderSize = 8;
}

ReplyWriter::ReplyWriter(int fd)
    : m_fd(fd)
{
}

QByteArray ReplyWriter::frame(const Reply &reply, quint8 port, quint8 mode)
{
    const int length = HeaderSize + int(reply.payload.size());
    QByteArray bytes;
    bytes.reserve(length);
    bytes.append(char(length >> 8));
    bytes.append(char(length & 0xFF));
    bytes.append(char(reply.code));
    bytes.append(char(reply.status));
    bytes.append(char(port));
    bytes.append(char(mode));
    bytes.append(char(0));
    bytes.append(char(0));
    bytes.append(reply.payload);
    return bytes;
}

bool ReplyWriter::write(const Reply &reply, quint8 port, quint8 mode)
{
    const QByteArray bytes = frame(reply, port, mode);
    // Below PIPE_BUF a pipe write is all or nothing, so one call is the whole frame.
    for (;;) {
        const ssize_t n = ::write(m_fd, bytes.constData(), size_t(bytes.size()));
        if (n == bytes.size())
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        return false;
    }
}
