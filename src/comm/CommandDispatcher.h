#pragma once

#include "EcuLine.h"
#include "LineSettings.h"
#include "PortReport.h"
#include "PortTable.h"
#include "Reply.h"
#include "Request.h"

#include <QString>

#include <memory>

// Carries out the program's commands and keeps PrjCom's state between them:
// the open port, the mode, the ECU wait and the line settings.
// It owns a serial line unless it is given another.
class CommandDispatcher
{
public:
    static constexpr quint8 NoPort = 255;
    static constexpr int DefaultEcuWaitMs = 200;
    static constexpr quint8 VersionMajor = 1;
    static constexpr quint8 VersionMinor = 0;

    explicit CommandDispatcher(PortTable ports);
    CommandDispatcher(PortTable ports, EcuLink &line);

    Reply handle(const Request &request);

    // Bytes 4 and 5 of every reply.
    quint8 openPort() const;
    quint8 mode() const { return m_mode; }

    // Set once command 1 has been answered.
    bool exitRequested() const { return m_exit; }

private:
    enum Mode : quint8 { Normal = 0, QuietPolling = 1, Writing = 2 };

    Reply closeAndExit();
    Reply reset();
    Reply connectPort(const QByteArray &data);
    Reply setMode(const QByteArray &data);
    Reply sendMessage(const QByteArray &data);
    Reply setEcuWait(const QByteArray &data);
    Reply selectFirmware(const QByteArray &data);
    Reply version();
    Reply portReport() const;

    static Reply badRequest(quint8 code, const QString &problem);
    int firstByteWaitMs() const;

    PortTable m_ports;
    std::unique_ptr<EcuLine> m_ownLine;
    EcuLink &m_line;
    LineSettings m_lineSettings;
    quint8 m_portNumber = NoPort;
    quint8 m_mode = Normal;
    int m_ecuWaitMs = DefaultEcuWaitMs;
    bool m_exit = false;
    PortReport m_lastPort;  // the last command 3, for command 12
};
