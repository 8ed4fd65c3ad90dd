#pragma once

#include "EcuStatus.h"

#include <QByteArray>
#include <QString>

// What became of the last command 3: the port, the device behind it and, when
// the device could not be used, what the system says about it. Command 12
// hands it to the program as "key=value" lines (docs/protocol.md).
struct PortReport
{
    int port = -1;                  // -1: no command 3 yet
    EcuStatus status = EcuStatus::NoAnswer;
    QString device;                 // the path tried; empty when no device has the number
    bool adapter = false;           // a USB serial adapter (ttyUSB*, ttyACM*)
    QString owner;                  // "user:group", for a device without permission
    QString mode;                   // permission bits in octal, e.g. "0660"
    QString holder;                 // "PID NAME" of a process holding a busy device

    // Fills in what the system can tell about the device for this status.
    static PortReport describe(int port, const QString &device, EcuStatus status);
    QByteArray encode() const;

    // The open file descriptors of /proc that point at the device: "PID NAME",
    // empty when none can be seen (another user's processes stay hidden).
    static QString findHolder(const QString &device, qint64 ownPid);
};
