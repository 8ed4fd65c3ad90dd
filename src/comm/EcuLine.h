#pragma once

#include "EcuAnswer.h"
#include "EcuStatus.h"

#include <QByteArray>
#include <QSerialPort>
#include <QString>

// The serial line to the ECU: opens a device and runs one exchange at a time
// (send a message, read the answer within the time-outs).
class EcuLine
{
public:
    // How the end of an answer is found.
    enum class Shape {
        Probe,    // the boot loader's answer: always 6 bytes
        Message,  // 41 02 LEN ...: LEN is the total length
    };

    static constexpr int ProbeAnswerSize = 6;
    static constexpr int InterByteMs = 50;

    // Opens the device (or keeps it when it is already the open one) and applies the baud rate.
    // Returns Success or PortMissing / PortPermission / PortCannotOpen.
    EcuStatus open(const QString &device, qint32 baudRate);
    void close();
    bool isOpen() const { return m_port.isOpen(); }

    // Discards stale input, sends the message and reads the answer.
    // firstByteMs: time allowed for the first byte of the answer.
    EcuAnswer exchange(const QByteArray &message, Shape shape, int firstByteMs);

    // Whether a whole answer message names the message's service.
    static bool answersTo(const QByteArray &message, const QByteArray &answer);
    // How the bytes read for one message are taken: whole and checked, refused, cut short...
    static EcuStatus judge(const QByteArray &answer, Shape shape);

private:
    bool send(const QByteArray &message);
    // Reads until 'total' bytes are in 'answer' or a time-out expires.
    bool readUpTo(QByteArray &answer, int total, int firstByteMs);
    void drainUntilQuiet();
    void applyLineSettings(qint32 baudRate);

    QSerialPort m_port;
    QString m_device;  // canonical path of the open device
};
