#pragma once

#include "EcuAnswer.h"
#include "EcuStatus.h"

#include <QByteArray>
#include <QString>

// What the dispatcher needs of the line to the ECU: open a device, run one
// exchange at a time, and the time those exchanges took. EcuLine is the serial
// one; the test bench puts the simulator's ECU behind the same calls.
class EcuLink
{
public:
    // How the end of an answer is found.
    enum class Shape {
        Probe,    // the boot loader's answer: always 6 bytes
        Message,  // 41 02 LEN ...: LEN is the total length
    };

    static constexpr int ProbeAnswerSize = 6;

    virtual ~EcuLink() = default;

    // Opens the device (or keeps it when it is already the open one) and applies the baud rate.
    // Returns Success or PortMissing / PortPermission / PortCannotOpen.
    virtual EcuStatus open(const QString &device, qint32 baudRate) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Sends the message and reads the answer; firstByteMs: time allowed for its first byte.
    virtual EcuAnswer exchange(const QByteArray &message, Shape shape, int firstByteMs) = 0;

    // Milliseconds on the line's clock: the repeats of a request are budgeted on it.
    virtual qint64 clockMs() const = 0;
};
