#include "EcuMessage.h"

quint8 EcuMessage::checksum(const QByteArray &bytes)
{
    quint8 x = 0;
    for (char c : bytes)
        x ^= static_cast<quint8>(c);
    return x;
}

bool EcuMessage::hasValidChecksum(const QByteArray &message)
{
    if (message.size() < 2)
        return false;
    return checksum(message.left(message.size() - 1))
        == static_cast<quint8>(message.back());
}

QByteArray EcuMessage::withChecksum(QByteArray bytes)
{
    bytes.append(static_cast<char>(checksum(bytes)));
    return bytes;
}

QByteArray EcuMessage::request(quint8 service, const QByteArray &data)
{
    QByteArray m;
    m.append(static_cast<char>(Address));
    m.append(static_cast<char>(SecondByte));
    m.append(static_cast<char>(data.size() + 3));
    m.append(static_cast<char>(service));
    m.append(data);
    return withChecksum(m);
}

QByteArray EcuMessage::answer(quint8 service, const QByteArray &data)
{
    QByteArray m;
    m.append(static_cast<char>(Address));
    m.append(static_cast<char>(SecondByte));
    m.append(static_cast<char>(HeaderSize + data.size() + 1));
    m.append(static_cast<char>(service + 0x40));
    m.append(static_cast<char>(0x01));
    m.append(data);
    return withChecksum(m);
}

QByteArray EcuMessage::refusal(quint8 service)
{
    QByteArray m;
    m.append(static_cast<char>(Address));
    m.append(static_cast<char>(SecondByte));
    m.append(static_cast<char>(HeaderSize + 1));
    m.append(static_cast<char>(RefusalCode));
    m.append(static_cast<char>(service));
    return withChecksum(m);
}

QByteArray EcuMessage::probe()
{
    return QByteArray::fromHex("420104210066");
}

QByteArray EcuMessage::probeAnswer()
{
    return QByteArray::fromHex("420104610127");
}

quint8 EcuMessage::service(const QByteArray &request)
{
    return request.size() > 3 ? static_cast<quint8>(request.at(3)) : 0;
}

QByteArray EcuMessage::requestData(const QByteArray &request)
{
    if (request.size() < 5)
        return {};
    return request.mid(4, request.size() - 5);
}
