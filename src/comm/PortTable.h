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
// Listing the system's ports is slow (it walks the device tree), and a search
// asks for up to 40 numbers a pass: the list is taken at most once a second.
class PortTable
{
public:
    static constexpr int PortCount = 20;

    // Reads <folder>/PrjCom.ini when there is one.
    explicit PortTable(const QString &folder);

    static constexpr int ListingMaxAgeMs = 1000;

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
    QStringList m_detected;
    QElapsedTimer m_detectedAge;  // invalid until the first listing
    int m_listings = 0;
};
