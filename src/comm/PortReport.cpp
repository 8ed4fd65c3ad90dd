#include "PortReport.h"

#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isAdapterName(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    return name.startsWith(QLatin1String("ttyUSB")) || name.startsWith(QLatin1String("ttyACM"));
}

QString userName(uid_t uid)
{
    const passwd *pw = ::getpwuid(uid);
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QString::number(uid);
}

QString groupName(gid_t gid)
{
    const group *gr = ::getgrgid(gid);
    return gr ? QString::fromLocal8Bit(gr->gr_name) : QString::number(gid);
}

} // namespace

PortReport PortReport::describe(int port, const QString &device, EcuStatus status)
{
    PortReport report;
    report.port = port;
    report.status = status;
    report.device = device;
    const QString target = device.isEmpty() ? QString() : QFileInfo(device).canonicalFilePath();
    report.adapter = isAdapterName(device) || (!target.isEmpty() && isAdapterName(target));

    if (status == EcuStatus::PortPermission && !target.isEmpty()) {
        struct stat info {};
        if (::stat(QFile::encodeName(target).constData(), &info) == 0) {
            report.owner = userName(info.st_uid) + QLatin1Char(':') + groupName(info.st_gid);
            report.mode = QStringLiteral("0%1").arg(info.st_mode & 07777, 3, 8, QLatin1Char('0'));
        }
    }
    // Only a device can be held busy; a plain file that is no line is not looked for.
    struct stat node {};
    if (status == EcuStatus::PortCannotOpen && !target.isEmpty()
        && ::stat(QFile::encodeName(target).constData(), &node) == 0 && S_ISCHR(node.st_mode))
        report.holder = findHolder(target, ::getpid());
    return report;
}

QString PortReport::findHolder(const QString &device, qint64 ownPid)
{
    // Plain directory reads and readlink: this runs while the program waits.
    const QByteArray wanted = QFile::encodeName(device);
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return {};
    QString found;
    while (const dirent *entry = ::readdir(proc)) {
        char *end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || pid == ownPid)
            continue;
        const QByteArray fdPath = QByteArray("/proc/") + entry->d_name + "/fd";
        DIR *fds = ::opendir(fdPath.constData());
        if (!fds)
            continue;  // another user's process
        bool holds = false;
        while (const dirent *fd = ::readdir(fds)) {
            char target[4096];
            const QByteArray link = fdPath + '/' + fd->d_name;
            const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
            if (n > 0 && QByteArray(target, n) == wanted) {
                holds = true;
                break;
            }
        }
        ::closedir(fds);
        if (!holds)
            continue;
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        QString name;
        if (comm.open(QIODevice::ReadOnly))
            name = QString::fromLocal8Bit(comm.readAll()).trimmed();
        found = name.isEmpty() ? QString::number(pid) : QStringLiteral("%1 %2").arg(pid).arg(name);
        break;
    }
    ::closedir(proc);
    return found;
}

QByteArray PortReport::encode() const
{
    QByteArray text;
    auto line = [&text](const char *key, const QString &value) {
        text += key;
        text += '=';
        QString flat = value;
        flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
        text += flat.toUtf8();
        text += '\n';
    };
    line("port", QString::number(port));
    line("status", QString::number(int(status)));
    line("device", device);
    line("adapter", adapter ? QStringLiteral("1") : QStringLiteral("0"));
    if (!owner.isEmpty())
        line("owner", owner);
    if (!mode.isEmpty())
        line("mode", mode);
    if (!holder.isEmpty())
        line("holder", holder);
    return text;
}
