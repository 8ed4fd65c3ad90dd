#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// Maps the program's port numbers (0..19) to devices.
//
// Port 0 is the first USB serial adapter (ttyUSB*, ttyACM*, in name order),
// 1..19 the further serial ports in the order the system lists them.
// PrjCom.ini in PrjCom's folder overrides single numbers with lines N=DEVICE;
// a relative DEVICE is taken from that folder.
class PortTable
{
public:
    static constexpr int PortCount = 20;

    // Reads <folder>/PrjCom.ini when there is one.
    explicit PortTable(const QString &folder);

    // Device path for the number; empty when no device has that number.
    QString device(int number) const;

    // The numbering of the detected ports, without the ini.
    static QStringList detectedPorts();

private:
    void readIni(const QString &path);

    QString m_folder;
    QHash<int, QString> m_mapped;
};
