#include "RequestReader.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace {

// The frame's own length, little-endian; 0 while the two bytes have not come.
int lengthField(const QByteArray &bytes)
{
    return bytes.size() < 2 ? 0 : quint8(bytes.at(0)) | (quint8(bytes.at(1)) << 8);
}

QString badLength(int length)
{
    return QStringLiteral("bad frame length %1").arg(length);
}

} // namespace

RequestReader::RequestReader(int fd)
    : m_fd(fd)
{
}

Request RequestReader::next()
{
    for (;;) {
        if (m_pending.size() >= 2) {
            const int length = lengthField(m_pending);
            if (length < HeaderSize || length > MaxFrameSize)
                return malformed(badLength(length));
            if (m_pending.size() >= length) {
                const Request request = decode(m_pending.left(length));
                m_pending.remove(0, length);
                return request;
            }
        }

        // Idle: block without limit. Inside a frame: the rest must follow soon.
        switch (fill(m_pending.isEmpty() ? -1 : RestOfFrameMs)) {
        case Wait::Data:
            break;
        case Wait::TimedOut:
            return malformed(QStringLiteral("frame cut short (%1 bytes)").arg(m_pending.size()));
        case Wait::Closed:
            return Request{};
        }
    }
}

Request RequestReader::decode(const QByteArray &frame)
{
    Request request;
    const int length = lengthField(frame);
    if (length < HeaderSize || length > MaxFrameSize || length != frame.size()) {
        request.kind = Request::Kind::Malformed;
        request.problem = badLength(length);
        return request;
    }
    request.kind = Request::Kind::Frame;
    request.command = quint8(frame.at(2));
    request.data = frame.mid(HeaderSize);
    return request;
}

RequestReader::Wait RequestReader::fill(int timeoutMs)
{
    char buffer[MaxFrameSize];
    // Without a time limit a plain blocking read does the waiting, unless the
    // pipe turns out to be non-blocking.
    bool mustPoll = timeoutMs >= 0;
    for (;;) {
        if (mustPoll) {
            pollfd pfd{m_fd, POLLIN, 0};
            const int ready = ::poll(&pfd, 1, timeoutMs);
            if (ready < 0) {
                if (errno == EINTR)
                    continue;
                return Wait::Closed;
            }
            if (ready == 0)
                return Wait::TimedOut;
        }

        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            m_pending.append(buffer, n);
            return Wait::Data;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            mustPoll = true;
            continue;
        }
        return Wait::Closed;  // 0 = end of file, or a broken pipe
    }
}

void RequestReader::discardPending()
{
    m_pending.clear();
    char buffer[MaxFrameSize];
    pollfd pfd{m_fd, POLLIN, 0};
    while (::poll(&pfd, 1, 0) > 0 && (pfd.revents & POLLIN)) {
        if (::read(m_fd, buffer, sizeof buffer) <= 0)
            break;  // end of file shows up again on the next blocking read
    }
}

Request RequestReader::malformed(const QString &problem)
{
    discardPending();
    Request request;
    request.kind = Request::Kind::Malformed;
    request.problem = problem;
    return request;
}
