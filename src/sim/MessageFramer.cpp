#include "MessageFramer.h"

#include "EcuMessage.h"

namespace {
constexpr int MinLengthByte = 3;   // a request without data: 5 bytes in all
}

MessageFramer::MessageFramer(int staleMs)
    : m_staleMs(staleMs)
{
}

QList<QByteArray> MessageFramer::feed(const QByteArray &bytes)
{
    if (!m_buffer.isEmpty() && m_sinceLastByte.isValid()
        && m_sinceLastByte.elapsed() > m_staleMs) {
        m_discarded += m_buffer.size();
        m_buffer.clear();
    }
    if (!bytes.isEmpty())
        m_sinceLastByte.start();
    m_buffer.append(bytes);

    QList<QByteArray> messages;
    for (;;) {
        const int total = alignOnStart();
        if (total == 0 || m_buffer.size() < total)
            break;
        messages.append(m_buffer.left(total));
        m_buffer.remove(0, total);
    }
    return messages;
}

int MessageFramer::alignOnStart()
{
    while (!m_buffer.isEmpty()) {
        const auto b0 = static_cast<quint8>(m_buffer.at(0));
        bool plausible = b0 == EcuMessage::Address || b0 == EcuMessage::BootAddress;
        if (plausible && m_buffer.size() >= 2) {
            const auto b1 = static_cast<quint8>(m_buffer.at(1));
            plausible = (b0 == EcuMessage::Address && b1 == EcuMessage::SecondByte)
                || (b0 == EcuMessage::BootAddress && b1 == EcuMessage::BootSecondByte);
        }
        if (plausible && m_buffer.size() >= 3)
            plausible = static_cast<quint8>(m_buffer.at(2)) >= MinLengthByte;
        if (!plausible) {
            m_buffer.remove(0, 1);
            ++m_discarded;
            continue;
        }
        if (m_buffer.size() < 3)
            return 0;
        return static_cast<quint8>(m_buffer.at(2)) + 2;
    }
    return 0;
}
