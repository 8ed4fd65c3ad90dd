#pragma once

#include "MemoryBlocks.h"

#include <QByteArray>
#include <QObject>
#include <QSet>

// The ECU's answer to one framed request, at the wire level:
// - the boot loader probe 42 01 04 21 00 66: a programmed ECU answers
//   42 01 04 61 01 27, one without firmware echoes the probe;
// - reads answer "41 02 LEN svc+0x40 01 <block data> cs";
// - writes replace a block's data whole and answer "41 02 06 svc+0x40 01 cs";
// - the store (21) keeps a copy of the writable blocks and answers likewise;
// - a bad checksum, an unknown service, data that does not fit the service,
//   or a service refused by option gives "41 02 06 7F svc cs".
// An ECU without firmware answers nothing but the probe.
class ServiceHandler : public QObject
{
    Q_OBJECT

public:
    enum Service : quint8 {
        ReadLive = 11,
        ReadState = 13,
        ReadConfig = 14,
        ReadProduction = 15,
        WriteState = 16,
        WriteConfig = 17,
        ReadMap = 18,
        WriteMap = 19,
        Store = 21,
        ReadIdentity = 33,
        WriteProduction = 44,
        ReadBlock5 = 49,
        WriteBlock5 = 50,
    };

    ServiceHandler(MemoryBlocks &memory, bool programmed, QObject *parent = nullptr);

    void setRefusedServices(const QSet<quint8> &services) { m_refused = services; }
    bool isProgrammed() const { return m_programmed; }

    // The answer to a whole request message; empty when the ECU stays silent.
    QByteArray handle(const QByteArray &request);

    // The data that the read service expects after its service byte.
    static QByteArray mapRequestData();

signals:
    void blockWritten(MemoryBlocks::Block block);
    void stored();

private:
    QByteArray handleProbe(const QByteArray &request) const;
    QByteArray handleRequest(const QByteArray &request);

    MemoryBlocks &m_memory;
    bool m_programmed;
    QSet<quint8> m_refused;
};
