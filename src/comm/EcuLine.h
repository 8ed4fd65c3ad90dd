#pragma once

#include "EcuLink.h"

#include <QElapsedTimer>
#include <QSerialPort>

// The serial line to the ECU: opens a device and runs one exchange at a time
// (send a message, read the answer within the time-outs).
class EcuLine : public EcuLink
{
public:
    static constexpr int InterByteMs = 50;

    EcuLine() { m_clock.start(); }

    EcuStatus open(const QString &device, qint32 baudRate) override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    // Discards stale input first.
    EcuAnswer exchange(const QByteArray &message, Shape shape, int firstByteMs) override;
    qint64 clockMs() const override { return m_clock.elapsed(); }

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
    QElapsedTimer m_clock;
};
