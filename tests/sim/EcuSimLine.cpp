#include "EcuSimLine.h"

#include <QElapsedTimer>
#include <QLocalSocket>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

EcuSimLine::EcuSimLine(const QStringList &options)
    : m_options(options)
    , m_linkPath(m_dir.filePath(QStringLiteral("ecu")))
    , m_controlPath(m_dir.filePath(QStringLiteral("ecu.ctl")))
{
}

QString EcuSimLine::control(const QString &command)
{
    QLocalSocket socket;
    socket.connectToServer(m_controlPath);
    if (!socket.waitForConnected(2000))
        return {};
    socket.write((command + QLatin1Char('\n')).toUtf8());
    socket.waitForBytesWritten(1000);
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(2000))
        answer += socket.readAll();
    return QString::fromUtf8(answer).trimmed();
}

EcuSimLine::~EcuSimLine()
{
    closeLine();
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }
}

QString EcuSimLine::start()
{
    m_process.setProgram(QStringLiteral(ECUSIM_PATH));
    m_process.setArguments(QStringList{QStringLiteral("--link"), m_linkPath, QStringLiteral("--control"), m_controlPath}
                           + m_options);
    m_process.start();
    if (!m_process.waitForStarted(3000))
        return QStringLiteral("ecusim did not start: ") + m_process.errorString();
    QElapsedTimer t;
    t.start();
    while (!m_process.canReadLine()) {
        if (m_process.state() == QProcess::NotRunning || t.elapsed() > 5000)
            return QStringLiteral("no 'ready' from ecusim: ") + QString::fromLocal8Bit(m_process.readAllStandardError());
        m_process.waitForReadyRead(100);
    }
    const QByteArray line = m_process.readLine().trimmed();
    if (line != "ready")
        return QStringLiteral("ecusim said '%1' instead of 'ready'").arg(QString::fromLatin1(line));
    return openLine() ? QString() : QStringLiteral("cannot open ") + m_linkPath;
}

bool EcuSimLine::openLine()
{
    closeLine();
    m_fd = ::open(m_linkPath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0)
        return false;
    termios tio {};
    ::tcgetattr(m_fd, &tio);
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B57600);
    ::tcsetattr(m_fd, TCSANOW, &tio);
    ::tcflush(m_fd, TCIOFLUSH);
    return true;
}

void EcuSimLine::closeLine()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void EcuSimLine::send(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_fd >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0)
            done += n;
        else
            ::usleep(1000);
    }
}

QByteArray EcuSimLine::readAnswer(int timeoutMs)
{
    QByteArray in;
    QElapsedTimer t;
    t.start();
    for (;;) {
        qsizetype total = -1;
        if (!in.isEmpty() && static_cast<quint8>(in.at(0)) == 0x42)
            total = 6;
        else if (in.size() >= 3)
            total = static_cast<quint8>(in.at(2));
        if (total > 0 && in.size() >= total)
            return in;
        const qint64 left = timeoutMs - t.elapsed();
        if (left <= 0 || m_fd < 0)
            return in;
        pollfd pfd {m_fd, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(left)) > 0) {
            char c;   // one byte at a time: never read past this answer
            if (::read(m_fd, &c, 1) == 1)
                in.append(c);
        }
    }
}

QByteArray EcuSimLine::exchange(const QByteArray &request, int timeoutMs)
{
    send(request);
    return readAnswer(timeoutMs);
}

QByteArray EcuSimLine::readFor(int ms)
{
    QByteArray in;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms && m_fd >= 0) {
        pollfd pfd {m_fd, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(ms - t.elapsed())) > 0) {
            char buf[256];
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n > 0)
                in.append(buf, n);
        }
    }
    return in;
}

int EcuSimLine::terminate()
{
    closeLine();
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        return -1;
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QByteArray EcuSimLine::request(quint8 service, const QByteArray &data)
{
    QByteArray m;
    m.append('\x41').append('\x02').append(static_cast<char>(data.size() + 3)).append(static_cast<char>(service));
    m.append(data);
    m.append(static_cast<char>(checksum(m)));
    return m;
}

quint8 EcuSimLine::checksum(const QByteArray &bytes)
{
    quint8 x = 0;
    for (char c : bytes)
        x ^= static_cast<quint8>(c);
    return x;
}

bool EcuSimLine::checksumOk(const QByteArray &message)
{
    return message.size() >= 2
        && checksum(message.left(message.size() - 1)) == static_cast<quint8>(message.back());
}
