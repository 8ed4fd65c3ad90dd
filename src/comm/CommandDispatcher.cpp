#include "CommandDispatcher.h"

#include <utility>

namespace {

// The boot loader's probe; an empty ECU echoes it, a programmed one answers 42 01 04 61 01 27.
const QByteArray Probe = QByteArray::fromHex("420104210066");

constexpr int WritingAttempts = 3;

// The program gives up on a reply after its pipe time-out (3 s in the shipped
// settings). A repeat is started only when it can end within this budget, so
// that PrjCom has always answered long before: a reply that comes after the
// program gave up would be taken for the next request's.
constexpr int RepeatBudgetMs = 1500;

bool worthRetrying(EcuStatus status)
{
    return status == EcuStatus::NoAnswer || status == EcuStatus::Malformed;
}

} // namespace

CommandDispatcher::CommandDispatcher(PortTable ports)
    : m_ports(std::move(ports))
    , m_ownLine(std::make_unique<EcuLine>())
    , m_line(*m_ownLine)
{
}

CommandDispatcher::CommandDispatcher(PortTable ports, EcuLink &line)
    : m_ports(std::move(ports))
    , m_line(line)
{
}

quint8 CommandDispatcher::openPort() const
{
    // The line closes itself when the adapter disappears.
    return m_line.isOpen() ? m_portNumber : NoPort;
}

Reply CommandDispatcher::handle(const Request &request)
{
    if (request.kind == Request::Kind::Malformed)
        return badRequest(0, request.problem);

    const QByteArray &data = request.data;
    switch (request.command) {
    case 1:
        return closeAndExit();
    case 2:
        return reset();
    case 3:
        return connectPort(data);
    case 4:
        return setMode(data);
    case 6:
        return sendMessage(data);
    case 8:
        return setEcuWait(data);
    case 10:
        return selectFirmware(data);
    case 11:
        return version();
    case 12:
        return portReport();
    default:
        return badRequest(0, QStringLiteral("unknown command %1").arg(request.command));
    }
}

Reply CommandDispatcher::closeAndExit()
{
    // Any data is ignored: closing must always work.
    m_line.close();
    m_exit = true;
    return Reply{1, EcuStatus::Success, {}};
}

Reply CommandDispatcher::reset()
{
    // The data byte (always 0) carries nothing.
    m_line.close();
    m_portNumber = NoPort;
    m_mode = Normal;
    m_ecuWaitMs = DefaultEcuWaitMs;
    return Reply{2, EcuStatus::Success, {}};
}

Reply CommandDispatcher::connectPort(const QByteArray &data)
{
    if (data.size() != 1)
        return badRequest(3, QStringLiteral("command 3 wants one byte, got %1").arg(data.size()));

    const quint8 number = quint8(data.at(0));
    Reply reply{3, EcuStatus::Success, QByteArray(1, char(number))};

    // Any other port is closed first; a failed open leaves no port open.
    if (m_line.isOpen() && m_portNumber != number)
        m_line.close();
    m_portNumber = number;
    const QString device = m_ports.device(number);
    reply.status = m_line.open(device, m_lineSettings.baudRate());
    if (reply.status != EcuStatus::Success) {
        m_portNumber = NoPort;
        m_lastPort = PortReport::describe(number, device, reply.status);
        return reply;
    }

    // The probe is the boot loader's exchange: the ECU wait of command 8 does not apply.
    const EcuAnswer answer = m_line.exchange(Probe, EcuLink::Shape::Probe, DefaultEcuWaitMs);
    reply.status = answer.status;
    m_lastPort = PortReport::describe(number, device, answer.status);
    if (answer.bytes.size() == EcuLink::ProbeAnswerSize)
        reply.payload.append(answer.bytes);
    return reply;
}

Reply CommandDispatcher::setMode(const QByteArray &data)
{
    if (data.size() != 1 || quint8(data.at(0)) > Writing) {
        Reply reply = badRequest(4, {});
        reply.payload = QByteArray(1, char(m_mode));  // the program expects the mode byte
        return reply;
    }
    m_mode = quint8(data.at(0));
    return Reply{4, EcuStatus::Success, QByteArray(1, char(m_mode))};
}

Reply CommandDispatcher::sendMessage(const QByteArray &data)
{
    if (data.isEmpty())
        return badRequest(6, {});
    if (!m_line.isOpen())
        return Reply{6, EcuStatus::NoPortOpen, {}};

    // Block writes are whole-block, so in mode 2 a lost or garbled answer is worth a repeat.
    const int attempts = m_mode == Writing ? WritingAttempts : 1;
    const qint64 start = m_line.clockMs();
    EcuAnswer answer;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        answer = m_line.exchange(data, EcuLink::Shape::Message, firstByteWaitMs());
        if (!worthRetrying(answer.status) || !m_line.isOpen())
            break;
        if (m_line.clockMs() - start + firstByteWaitMs() > RepeatBudgetMs)
            break;
    }
    return Reply{6, answer.status, answer.bytes};
}

Reply CommandDispatcher::setEcuWait(const QByteArray &data)
{
    if (data.size() != 4)
        return badRequest(8, {});
    const quint32 waitMs = quint8(data.at(0)) | quint32(quint8(data.at(1))) << 8
                           | quint32(quint8(data.at(2))) << 16 | quint32(quint8(data.at(3))) << 24;
    // The program sends 16 bits at most; anything longer than a minute is a mistake.
    m_ecuWaitMs = waitMs == 0 ? DefaultEcuWaitMs : int(qMin<quint32>(waitMs, 60000));
    return Reply{8, EcuStatus::Success, {}};
}

Reply CommandDispatcher::selectFirmware(const QByteArray &data)
{
    if (!m_lineSettings.selectFromProbe(data))
        return badRequest(10, {});
    return Reply{10, EcuStatus::Success, {}};
}

Reply CommandDispatcher::version()
{
    QByteArray payload;
    payload.append(char(VersionMajor));
    payload.append(char(VersionMinor));
    return Reply{11, EcuStatus::Success, payload};
}

Reply CommandDispatcher::portReport() const
{
    // Reply code 0 carries the whole rest as payload; the report is text.
    return Reply{0, EcuStatus::Success, m_lastPort.encode()};
}

Reply CommandDispatcher::badRequest(quint8 code, const QString &problem)
{
    return Reply{code, EcuStatus::BadRequest, problem.toLatin1()};
}

int CommandDispatcher::firstByteWaitMs() const
{
    // Quiet polling keeps the short wait whatever command 8 set.
    return m_mode == QuietPolling ? DefaultEcuWaitMs : m_ecuWaitMs;
}
