#include "EcuLine.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <cerrno>
#include <unistd.h>

namespace {

constexpr quint8 AnswerAddress = 0x41;
constexpr quint8 AnswerSecond = 0x02;
constexpr quint8 RefusalCode = 0x7F;
constexpr int MessageHeaderSize = 3;     // 41 02 LEN: enough to know the length
constexpr int MinimumMessageSize = 6;    // 5-byte header and the checksum
constexpr int DrainLimitMs = 500;        // a line that never falls quiet is left as it is

quint8 xorOf(const QByteArray &bytes, qsizetype count)
{
    quint8 sum = 0;
    for (qsizetype i = 0; i < count; ++i)
        sum ^= quint8(bytes.at(i));
    return sum;
}

bool checksumGood(const QByteArray &bytes)
{
    return !bytes.isEmpty() && xorOf(bytes, bytes.size() - 1) == quint8(bytes.back());
}

} // namespace

EcuStatus EcuLine::open(const QString &device, qint32 baudRate)
{
    // ecusim hands out a symlink to its pseudo-terminal; QSerialPort wants the device itself.
    const QString path = device.isEmpty() ? QString() : QFileInfo(device).canonicalFilePath();

    if (m_port.isOpen() && !path.isEmpty() && path == m_device) {
        applyLineSettings(baudRate);
        return EcuStatus::Success;
    }
    close();
    if (path.isEmpty())
        return EcuStatus::PortMissing;

    // QSerialPort reports a busy or locked port as a permission error too; ask the system first.
    const QByteArray native = QFile::encodeName(path);
    if (::access(native.constData(), R_OK | W_OK) != 0) {
        if (errno == EACCES || errno == EPERM)
            return EcuStatus::PortPermission;
        if (errno == ENOENT)
            return EcuStatus::PortMissing;
    }

    m_port.setPortName(path);
    m_port.setBaudRate(baudRate);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = m_port.error();
        m_port.clearError();
        return error == QSerialPort::DeviceNotFoundError ? EcuStatus::PortMissing
                                                         : EcuStatus::PortCannotOpen;
    }
    m_device = path;
    applyLineSettings(baudRate);
    return EcuStatus::Success;
}

void EcuLine::close()
{
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
    m_device.clear();
}

void EcuLine::applyLineSettings(qint32 baudRate)
{
    // A pseudo-terminal may refuse some of these; the line works without them.
    m_port.setBaudRate(baudRate);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.clearError();
}

EcuAnswer EcuLine::exchange(const QByteArray &message, Shape shape, int firstByteMs)
{
    EcuAnswer answer;
    if (!m_port.isOpen()) {
        answer.status = EcuStatus::NoPortOpen;
        return answer;
    }
    if (!send(message))
        return answer;  // NoAnswer: the line did not take the message

    if (shape == Shape::Probe) {
        readUpTo(answer.bytes, ProbeAnswerSize, firstByteMs);
        answer.status = judge(answer.bytes, shape);
        if (answer.status == EcuStatus::Malformed)
            drainUntilQuiet();
        return answer;
    }

    // A late answer to an earlier message may arrive first: it names another
    // service, so it is skipped and the wait for this one's goes on.
    QElapsedTimer sinceSent;
    sinceSent.start();
    for (;;) {
        answer.bytes.clear();
        const int left = int(qMax<qint64>(0, firstByteMs - sinceSent.elapsed()));
        if (readUpTo(answer.bytes, MessageHeaderSize, left)
            && quint8(answer.bytes.at(0)) == AnswerAddress
            && quint8(answer.bytes.at(1)) == AnswerSecond
            && quint8(answer.bytes.at(2)) >= MinimumMessageSize) {
            readUpTo(answer.bytes, quint8(answer.bytes.at(2)), InterByteMs);
        }
        answer.status = judge(answer.bytes, shape);
        if (answer.status == EcuStatus::Malformed)
            drainUntilQuiet();  // the rest of a garbled answer must not meet the next message
        const bool whole = answer.status == EcuStatus::Success || answer.status == EcuStatus::Refused;
        if (!whole || answersTo(message, answer.bytes))
            return answer;
        if (sinceSent.elapsed() >= firstByteMs || !m_port.isOpen()) {
            answer.bytes.clear();
            answer.status = EcuStatus::NoAnswer;
            return answer;
        }
    }
}

bool EcuLine::answersTo(const QByteArray &message, const QByteArray &answer)
{
    // 41 02 LEN SERVICE ...; the answer carries SERVICE + 0x40, or 7F SERVICE for a refusal.
    if (message.size() < 4 || answer.size() < 5 || quint8(message.at(0)) != AnswerAddress)
        return true;  // nothing to compare
    const quint8 service = quint8(message.at(3));
    const quint8 answered = quint8(answer.at(3));
    if (answered == RefusalCode)
        return quint8(answer.at(4)) == service;
    return answered == quint8(service + 0x40);
}

bool EcuLine::send(const QByteArray &message)
{
    m_port.clear(QSerialPort::Input);  // stale bytes belong to no one
    m_port.clearError();
    if (m_port.write(message) != message.size())
        return false;
    // Time to shift the bytes out at the line's speed, with a margin.
    const int writeMs = 100 + int(qint64(message.size()) * 10 * 1000 / qMax(m_port.baudRate(), 1200));
    while (m_port.bytesToWrite() > 0) {
        if (!m_port.waitForBytesWritten(writeMs)) {
            if (m_port.error() == QSerialPort::ResourceError)
                close();
            return false;
        }
    }
    return true;
}

bool EcuLine::readUpTo(QByteArray &answer, int total, int firstByteMs)
{
    // The clock restarts with every byte that comes: first byte within firstByteMs,
    // each further one within InterByteMs of the one before.
    QElapsedTimer sinceLastByte;
    sinceLastByte.start();
    while (answer.size() < total) {
        if (m_port.bytesAvailable() == 0) {
            const int limit = answer.isEmpty() ? firstByteMs : InterByteMs;
            const qint64 left = limit - sinceLastByte.elapsed();
            if (left <= 0 || !m_port.waitForReadyRead(int(left))) {
                // A vanished adapter (or a closed pseudo-terminal) cannot be used again.
                const QSerialPort::SerialPortError error = m_port.error();
                if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError)
                    close();
                return false;
            }
            if (m_port.bytesAvailable() == 0)
                continue;
        }
        answer.append(m_port.read(total - answer.size()));
        sinceLastByte.restart();
    }
    return true;
}

void EcuLine::drainUntilQuiet()
{
    QElapsedTimer timer;
    timer.start();
    while (m_port.isOpen() && timer.elapsed() < DrainLimitMs) {
        m_port.readAll();
        if (!m_port.waitForReadyRead(InterByteMs))
            break;
    }
    if (m_port.isOpen())
        m_port.readAll();
}

EcuStatus EcuLine::judge(const QByteArray &answer, Shape shape)
{
    if (shape == Shape::Probe) {
        if (answer.size() < ProbeAnswerSize)
            return EcuStatus::NoAnswer;
        return checksumGood(answer) ? EcuStatus::Success : EcuStatus::Malformed;
    }

    if (answer.size() < MessageHeaderSize)
        return EcuStatus::NoAnswer;
    if (quint8(answer.at(0)) != AnswerAddress || quint8(answer.at(1)) != AnswerSecond
        || quint8(answer.at(2)) < MinimumMessageSize)
        return EcuStatus::Malformed;
    if (answer.size() < quint8(answer.at(2)))
        return EcuStatus::NoAnswer;  // cut short: the rest never came
    if (!checksumGood(answer))
        return EcuStatus::Malformed;
    return quint8(answer.at(3)) == RefusalCode ? EcuStatus::Refused : EcuStatus::Success;
}
