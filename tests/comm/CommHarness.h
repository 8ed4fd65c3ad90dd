#pragma once
// PrjCom copied to a folder of its own and fed through pipes; an ECU on a pseudo-terminal it reaches by symlink.
#include <QDir>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

inline QByteArray hex(const char *text) { return QByteArray::fromHex(text); }
inline int statusOf(const QByteArray &reply) { return reply.size() > 3 ? quint8(reply.at(3)) : -1; }
inline QByteArray payloadOf(const QByteArray &reply) { return reply.mid(8); }
inline QByteArray withChecksum(QByteArray body)
{
    char sum = 0;
    for (char c : body)
        sum ^= c;
    return body + sum;
}

class PrjComRun
{
public:
    QTemporaryDir dir;
    QProcess process;

    ~PrjComRun()  // end of input must be enough to make PrjCom go
    {
        process.closeWriteChannel();
        if (process.state() != QProcess::NotRunning && !process.waitForFinished(2000))
            qWarning("PrjCom ignored the end of its input");
    }
    // asOtherUser: as root, PrjCom runs as "nobody" so permissions matter.
    bool start(const QString &ini = {}, bool asOtherUser = false)
    {
        QFile iniFile(dir.filePath("PrjCom.ini"));
        if (!QFile::copy(PRJCOM_BINARY, dir.filePath("PrjCom")) || !iniFile.open(QIODevice::WriteOnly)
            || iniFile.write(ini.toUtf8()) < 0 || !iniFile.flush())
            return false;
        if (asOtherUser && ::getuid() == 0) {
            QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther);
            process.setChildProcessModifier([] {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                    ::_exit(127);
            });
        }
        process.setWorkingDirectory(QDir::tempPath());  // PrjCom must look in its own folder
        process.start(dir.filePath("PrjCom"), {});
        return process.waitForStarted();
    }
    void sendRaw(const QByteArray &bytes) { process.write(bytes), process.waitForBytesWritten(); }
    void send(int command, const QByteArray &data = {})
    {
        const int length = 8 + int(data.size());
        sendRaw(QByteArray(1, char(length)) + char(length >> 8) + char(command) + QByteArray(5, 0) + data);
    }
    // One whole reply frame by its length field; empty when none came in time.
    QByteArray reply(int timeoutMs = 2000)
    {
        const auto length = [this] { return buffer.size() < 2 ? 8 : qMax(8, quint8(buffer[0]) << 8 | quint8(buffer[1])); };
        const QDeadlineTimer end(timeoutMs);
        while (buffer.size() < length() && process.waitForReadyRead(int(qMax<qint64>(1, end.remainingTime()))))
            buffer += process.readAllStandardOutput();
        const QByteArray frame = buffer.size() < length() ? QByteArray() : buffer.left(length());
        buffer.remove(0, frame.size());
        return frame;
    }
    QByteArray call(int command, const QByteArray &data = {}) { send(command, data); return reply(); }

private:
    QByteArray buffer;
};

class PtyEcu
{
public:
    PtyEcu()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            return;
        // Our own slave descriptor keeps the line from hanging up between PrjCom's opens.
        slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
        termios tio{};
        ::tcgetattr(slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    ~PtyEcu() { ::close(slave), ::close(master); }
    bool linkInto(const QString &folder) const
    {
        return slave >= 0 && QFile::link(QString::fromLocal8Bit(::ptsname(master)), folder + "/ecu");
    }
    // What arrives until the line has been quiet for 10 ms (first byte within timeoutMs).
    QByteArray receive(int timeoutMs = 1000)
    {
        QByteArray bytes;
        char chunk[512];
        pollfd pfd{master, POLLIN, 0};
        for (int wait = timeoutMs; ::poll(&pfd, 1, wait) > 0 && (pfd.revents & POLLIN); wait = 10)
            if (const ssize_t n = ::read(master, chunk, sizeof chunk); n > 0)
                bytes.append(chunk, n);
            else
                break;
        return bytes;
    }
    void answer(const QByteArray &bytes)
    {
        if (::write(master, bytes.constData(), size_t(bytes.size())) != bytes.size())
            qWarning("PtyEcu: short write");
    }
    unsigned speed() const  // what PrjCom set on the line
    {
        termios tio{};
        ::tcgetattr(slave, &tio);
        return ::cfgetospeed(&tio);
    }

private:
    int master = -1;
    int slave = -1;
};
