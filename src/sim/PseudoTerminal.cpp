#include "PseudoTerminal.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString errnoText(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PseudoTerminal::PseudoTerminal(QObject *parent)
    : QObject(parent)
{
}

PseudoTerminal::~PseudoTerminal()
{
    close();
}

bool PseudoTerminal::open(const QString &linkPath, QString *error)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) {
        *error = errnoText("posix_openpt");
        return false;
    }
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        *error = errnoText("grantpt/unlockpt");
        close();
        return false;
    }
    const char *name = ::ptsname(m_master);
    if (!name) {
        *error = errnoText("ptsname");
        close();
        return false;
    }
    m_slaveName = QString::fromLocal8Bit(name);

    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0) {
        *error = errnoText("open slave");
        close();
        return false;
    }
    termios tio {};
    if (::tcgetattr(m_slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B57600);
        ::cfsetospeed(&tio, B57600);
        ::tcsetattr(m_slave, TCSANOW, &tio);
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);

    const QFileInfo existing(linkPath);
    if (existing.isSymLink()) {
        if (!QFile::remove(linkPath)) {
            *error = QStringLiteral("cannot replace the link %1").arg(linkPath);
            close();
            return false;
        }
    } else if (existing.exists()) {
        *error = QStringLiteral("%1 exists and is not a symlink").arg(linkPath);
        close();
        return false;
    }
    const QByteArray linkBytes = QFile::encodeName(linkPath);
    if (::symlink(name, linkBytes.constData()) != 0) {
        *error = errnoText("symlink");
        close();
        return false;
    }
    m_linkPath = linkPath;

    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PseudoTerminal::onReadable);
    return true;
}

void PseudoTerminal::close()
{
    if (m_notifier) {
        m_notifier->setEnabled(false);
        delete m_notifier;
        m_notifier = nullptr;
    }
    if (!m_linkPath.isEmpty()) {
        // Remove the link only while it still names our slave device.
        if (QFileInfo(m_linkPath).symLinkTarget() == QFileInfo(m_slaveName).absoluteFilePath())
            QFile::remove(m_linkPath);
        m_linkPath.clear();
    }
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}

bool PseudoTerminal::write(const QByteArray &bytes)
{
    if (m_master < 0)
        return false;
    qsizetype done = 0;
    int stalls = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && ++stalls < 10) {
            pollfd pfd {m_master, POLLOUT, 0};
            ::poll(&pfd, 1, 20);
            continue;
        }
        return false;   // nobody drains the line: the answer is lost, as on a wire
    }
    return true;
}

void PseudoTerminal::onReadable()
{
    char buffer[512];
    QByteArray bytes;
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;   // EAGAIN: drained; EIO cannot happen while our slave fd is open
    }
    if (!bytes.isEmpty())
        emit received(bytes);
}
