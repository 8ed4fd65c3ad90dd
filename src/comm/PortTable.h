#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <QStringList>

// Maps the program's port numbers (0..19) to devices.
//
// Port 0 is the first USB serial adapter (ttyUSB*, ttyACM*, in name order),
// 1..19 the further serial ports in the order the system lists them.
// PrjCom.ini in PrjCom's folder overrides single numbers with lines N=DEVICE;
// a relative DEVICE is taken from that folder.
//
// Listing the system's ports is slow (it walks the device tree: some 25 ms of
// CPU), and a search asks for up to 40 numbers a pass. The list is taken again
// at most once a second, and then only when the device folder has changed (an
// adapter plugged in or out) or the list is older than ListingRefreshMs.
class PortTable
{
public:
    static constexpr int PortCount = 20;

    // Reads <folder>/PrjCom.ini when there is one. devices: the folder whose
    // changes mean that the ports may have changed.
    explicit PortTable(const QString &folder, const QString &devices = QStringLiteral("/dev"));

    static constexpr int ListingMaxAgeMs = 1000;
    static constexpr int ListingRefreshMs = 10000;

    // Device path for the number; empty when no device has that number.
    QString device(int number);

    // The numbering of the detected ports, without the ini.
    static QStringList detectedPorts();

    // How many times the system's ports were listed (for tests).
    int listings() const { return m_listings; }

private:
    void readIni(const QString &path);

    QString m_folder;
    QHash<int, QString> m_mapped;
    // Modification time of the device folder in ns, -1 when it cannot be read.
    qint64 devicesStamp() const;

    QString m_devices;
    QStringList m_detected;
    QElapsedTimer m_detectedAge;  // invalid until the first listing
    qint64 m_detectedStamp = -1;
    int m_listings = 0;
};
