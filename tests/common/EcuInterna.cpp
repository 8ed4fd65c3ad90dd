#include "EcuInterna.h"
#include "EcuDefaults.h"
#include "EcuMessage.h"
#include "EngineConstants.h"

EcuInterna::EcuInterna(TimeSource &tempo, const QStringList &opzioni)
{
    // The line is the test's process itself: ecusim's parser still wants one.
    if (!m_opzioni.parse(QStringList{QStringLiteral("ecusim"), QStringLiteral("--link"), QStringLiteral("-")} + opzioni,
                         &m_errore) && m_errore.isEmpty())
        m_errore = QStringLiteral("bad options");

    // Put together as ecusim's main() does.
    m_memoria = std::make_unique<MemoryBlocks>();
    EcuDefaults::apply(*m_memoria, m_opzioni.cng ? EcuDefaults::Fuel::Cng : EcuDefaults::Fuel::Lpg);
    if (!m_opzioni.identity.isEmpty())
        m_memoria->setData(MemoryBlocks::Block::Identity, m_opzioni.identity);
    m_servizi = std::make_unique<ServiceHandler>(*m_memoria, m_opzioni.programmed);
    m_servizi->setRefusedServices(m_opzioni.refused);

    m_motore = std::make_unique<EngineModel>(*m_memoria, &tempo);
    EngineModel *motore = m_motore.get();
    QObject::connect(m_servizi.get(), &ServiceHandler::blockWritten, motore, [motore](MemoryBlocks::Block block) {
        if (block == MemoryBlocks::Block::State)
            motore->syncCommandBlock();
    });
    if (m_opzioni.cold)
        m_motore->setGasTemperature(EngineConstants::AmbientTempC);
    if (m_opzioni.gasFlowPct >= 0)
        m_motore->setGasFlow(m_opzioni.gasFlowPct);
    if (m_opzioni.gasOffsetUs < 1e8)
        m_motore->setGasOffset(m_opzioni.gasOffsetUs);
    m_motore->setTimeScale(m_opzioni.timeScale);

    m_comandi = std::make_unique<ControlCommands>(*m_motore, m_memoria.get());
    m_comandi->setHarness(&m_cablaggio);
    m_strada = std::make_unique<RoadCycle>(*m_comandi, &tempo);
    m_comandi->setRoadCycle(m_strada.get());
    m_guasti = std::make_unique<FaultInjector>(m_opzioni.dropEvery, m_opzioni.corruptEvery);
    m_guasti->setPowerCut(m_opzioni.exitOnService, m_opzioni.exitOnCount);

    m_motore->start();
    if (m_opzioni.roadStepMs > 0)
        m_strada->start(m_opzioni.roadStepMs);
}

QByteArray EcuInterna::Rispondi(const QByteArray &messaggio)
{
    // What ecusim's EcuSimulator does with one whole request.
    if (m_sparita || messaggio.isEmpty() || m_cablaggio.silent())
        return {};
    if (static_cast<quint8>(messaggio.at(0)) == EcuMessage::Address
        && m_guasti->powerCut(EcuMessage::service(messaggio))) {
        m_sparita = true;
        return {};
    }
    if (m_guasti->dropRequest())
        return {};
    const QByteArray risposta = m_servizi->handle(messaggio);
    if (risposta.isEmpty())
        return {};
    return m_guasti->passAnswer(risposta);
}

QString EcuInterna::Comando(const QString &riga)
{
    bool esci = false;
    return m_comandi->execute(riga, &esci);
}
