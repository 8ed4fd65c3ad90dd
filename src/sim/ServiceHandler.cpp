#include "ServiceHandler.h"

#include "EcuMessage.h"

#include <optional>

namespace {

using Block = MemoryBlocks::Block;

struct ReadService
{
    quint8 service;
    Block block;
    bool withMapData;   // service 18 carries 00 00 6E
};

constexpr ReadService readServices[] = {
    {ServiceHandler::ReadIdentity, Block::Identity, false},
    {ServiceHandler::ReadLive, Block::Live, false},
    {ServiceHandler::ReadState, Block::State, false},
    {ServiceHandler::ReadConfig, Block::Config, false},
    {ServiceHandler::ReadProduction, Block::Production, false},
    {ServiceHandler::ReadBlock5, Block::Block5, false},
    {ServiceHandler::ReadMap, Block::Map, true},
};

struct WriteService
{
    quint8 service;
    Block block;
};

constexpr WriteService writeServices[] = {
    {ServiceHandler::WriteState, Block::State},
    {ServiceHandler::WriteConfig, Block::Config},
    {ServiceHandler::WriteMap, Block::Map},
    {ServiceHandler::WriteBlock5, Block::Block5},
    {ServiceHandler::WriteProduction, Block::Production},
};

std::optional<ReadService> findRead(quint8 service)
{
    for (const auto &r : readServices) {
        if (r.service == service)
            return r;
    }
    return std::nullopt;
}

std::optional<WriteService> findWrite(quint8 service)
{
    for (const auto &w : writeServices) {
        if (w.service == service)
            return w;
    }
    return std::nullopt;
}

} // namespace

ServiceHandler::ServiceHandler(MemoryBlocks &memory, bool programmed, QObject *parent)
    : QObject(parent)
    , m_memory(memory)
    , m_programmed(programmed)
{
}

QByteArray ServiceHandler::mapRequestData()
{
    return QByteArray::fromHex("00006E");
}

QByteArray ServiceHandler::handle(const QByteArray &request)
{
    if (request.isEmpty())
        return {};
    const auto address = static_cast<quint8>(request.at(0));
    if (address == EcuMessage::BootAddress)
        return handleProbe(request);
    if (address != EcuMessage::Address || !m_programmed)
        return {};
    return handleRequest(request);
}

QByteArray ServiceHandler::handleProbe(const QByteArray &request) const
{
    if (request != EcuMessage::probe())
        return {};   // the boot loader ignores anything else
    return m_programmed ? EcuMessage::probeAnswer() : request;
}

QByteArray ServiceHandler::handleRequest(const QByteArray &request)
{
    const quint8 service = EcuMessage::service(request);
    if (!EcuMessage::hasValidChecksum(request) || m_refused.contains(service))
        return EcuMessage::refusal(service);

    const QByteArray data = EcuMessage::requestData(request);

    if (const auto read = findRead(service)) {
        const QByteArray expected = read->withMapData ? mapRequestData() : QByteArray();
        if (data != expected)
            return EcuMessage::refusal(service);
        return EcuMessage::answer(service, m_memory.data(read->block));
    }

    if (const auto write = findWrite(service)) {
        if (data.size() != m_memory.size(write->block))
            return EcuMessage::refusal(service);
        m_memory.setData(write->block, data);
        emit blockWritten(write->block);
        return EcuMessage::answer(service);
    }

    if (service == Store && data.isEmpty()) {
        m_memory.store();
        emit stored();
        return EcuMessage::answer(service);
    }

    return EcuMessage::refusal(service);
}
