#pragma once

#include <QByteArray>

// The ECU messages on the wire: requests "41 02 n+3 service data... cs",
// answers "41 02 LEN service+0x40 01 data... cs" (LEN = whole length), and
// the boot loader's 6-byte probe exchange. cs is the XOR of all bytes before it.
class EcuMessage
{
public:
    static constexpr quint8 Address = 0x41;
    static constexpr quint8 SecondByte = 0x02;
    static constexpr quint8 BootAddress = 0x42;
    static constexpr quint8 BootSecondByte = 0x01;
    static constexpr quint8 RefusalCode = 0x7F;
    static constexpr int HeaderSize = 5;   // answer header before the data

    static quint8 checksum(const QByteArray &bytes);
    // True when the last byte is the XOR of all bytes before it.
    static bool hasValidChecksum(const QByteArray &message);

    // Appends the checksum to bytes.
    static QByteArray withChecksum(QByteArray bytes);

    static QByteArray request(quint8 service, const QByteArray &data = {});
    static QByteArray answer(quint8 service, const QByteArray &data = {});
    static QByteArray refusal(quint8 service);

    static QByteArray probe();          // 42 01 04 21 00 66
    static QByteArray probeAnswer();    // 42 01 04 61 01 27

    // Service byte of a request (offset 3) and its data (between the
    // service and the checksum). Only meaningful for framed 0x41 messages.
    static quint8 service(const QByteArray &request);
    static QByteArray requestData(const QByteArray &request);
};
