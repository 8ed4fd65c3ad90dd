#include "EcuSimLine.h"

#include <QElapsedTimer>
#include <QLocalSocket>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

QString EcuSimLine::control(const QString &command)
{
    QLocalSocket socket;
    socket.connectToServer(controlPath());
    if (!socket.waitForConnected(2000))
        return {};
    socket.write((command + QLatin1Char('\n')).toUtf8());
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(2000))
        answer += socket.readAll();
    return QString::fromUtf8(answer).trimmed();
}

EcuSimLine::~EcuSimLine()
{
    closeLine();
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished(1000);
}

QString EcuSimLine::start()
{
    m_process.start(QStringLiteral(ECUSIM_PATH),
                    QStringList{QStringLiteral("--link"), linkPath(), QStringLiteral("--control"), controlPath()} + m_options);
    QElapsedTimer t;
    t.start();
    while (!m_process.canReadLine()) {
        if (!m_process.waitForStarted(3000) || m_process.state() == QProcess::NotRunning || t.elapsed() > 5000)
            return QStringLiteral("no 'ready' from ecusim: ") + QString::fromLocal8Bit(m_process.readAllStandardError());
        m_process.waitForReadyRead(100);
    }
    const QByteArray line = m_process.readLine().trimmed();
    if (line != "ready")
        return QStringLiteral("ecusim said '%1' instead of 'ready'").arg(QString::fromLatin1(line));
    return openLine() ? QString() : QStringLiteral("cannot open ") + linkPath();
}

bool EcuSimLine::openLine()
{
    closeLine();
    m_fd = ::open(linkPath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
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
    for (qsizetype done = 0; m_fd >= 0 && done < bytes.size();) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        n > 0 ? void(done += n) : void(::usleep(1000));
    }
}

QByteArray EcuSimLine::readAnswer(int timeoutMs, bool framed)
{
    QByteArray in;
    QElapsedTimer t;
    t.start();
    for (;;) {
        const qsizetype total = in.isEmpty() ? -1 : quint8(in.at(0)) == 0x42 ? 6 : in.size() >= 3 ? quint8(in.at(2)) : -1;
        const qint64 left = timeoutMs - t.elapsed();
        if ((framed && total > 0 && in.size() >= total) || left <= 0 || m_fd < 0)
            return in;
        pollfd pfd {m_fd, POLLIN, 0};
        char c;   // one byte at a time: never read past this answer
        if (::poll(&pfd, 1, static_cast<int>(left)) > 0 && ::read(m_fd, &c, 1) == 1)
            in.append(c);
    }
}

QByteArray EcuSimLine::request(quint8 service, const QByteArray &data)
{
    QByteArray m = QByteArray::fromHex("4102") + char(data.size() + 3) + char(service) + data;
    return m + char(checksum(m));
}

quint8 EcuSimLine::checksum(const QByteArray &bytes)
{
    quint8 x = 0;
    for (char c : bytes)
        x ^= static_cast<quint8>(c);
    return x;
}
