#include "PortTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QTextStream>

#include <sys/stat.h>
#include <utility>

namespace {

bool isUsbAdapter(const QString &name)
{
    return name.startsWith(QLatin1String("ttyUSB")) || name.startsWith(QLatin1String("ttyACM"));
}

// "Name order" with the trailing number compared as a number: ttyUSB2 < ttyUSB10.
bool nameOrder(const QString &a, const QString &b)
{
    auto split = [](const QString &s) {
        qsizetype i = s.size();
        while (i > 0 && s.at(i - 1).isDigit())
            --i;
        return std::pair{s.left(i), s.mid(i).toLongLong()};
    };
    return split(a) < split(b);
}

} // namespace

PortTable::PortTable(const QString &folder, const QString &devices)
    : m_folder(folder)
    , m_devices(devices)
{
    readIni(QDir(folder).filePath(QStringLiteral("PrjCom.ini")));
}

void PortTable::readIni(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        bool ok = false;
        const int number = line.left(eq).trimmed().toInt(&ok);
        const QString device = line.mid(eq + 1).trimmed();
        if (!ok || number < 0 || number >= PortCount || device.isEmpty())
            continue;
        m_mapped.insert(number, QDir(m_folder).absoluteFilePath(device));
    }
}

QString PortTable::device(int number)
{
    if (number < 0 || number >= PortCount)
        return {};
    if (const auto it = m_mapped.constFind(number); it != m_mapped.constEnd())
        return it.value();
    const bool due = !m_detectedAge.isValid()
        || (m_detectedAge.elapsed() >= ListingMaxAgeMs
            && (m_detectedAge.elapsed() >= ListingRefreshMs || devicesStamp() != m_detectedStamp));
    if (due) {
        m_detectedStamp = devicesStamp();
        m_detected = detectedPorts();
        m_detectedAge.start();
        ++m_listings;
    }
    return number < m_detected.size() ? m_detected.at(number) : QString();
}

qint64 PortTable::devicesStamp() const
{
    struct stat info{};
    if (::stat(QFile::encodeName(m_devices).constData(), &info) != 0)
        return -1;
    return qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

QStringList PortTable::detectedPorts()
{
    QStringList listed;
    QString firstUsb;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        listed.append(info.systemLocation());
        if (isUsbAdapter(info.portName())
            && (firstUsb.isEmpty() || nameOrder(info.portName(), QFileInfo(firstUsb).fileName())))
            firstUsb = info.systemLocation();
    }

    // Slot 0 stays empty without a USB adapter; the further ports follow in list order.
    QStringList table{firstUsb};
    for (const QString &location : std::as_const(listed)) {
        if (location != firstUsb)
            table.append(location);
    }
    return table.mid(0, PortCount);
}
