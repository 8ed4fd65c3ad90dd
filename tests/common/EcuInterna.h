#pragma once
#include "ControlCommands.h"
#include "EngineModel.h"
#include "FaultInjector.h"
#include "Harness.h"
#include "MemoryBlocks.h"
#include "RoadCycle.h"
#include "ServiceHandler.h"
#include "SimOptions.h"
#include <QStringList>
#include <memory>

class TimeSource;

// ecusim's parts in this process on the test's time source, answering whole messages; takes ecusim's options.
class EcuInterna
{
public:
    // `opzioni`: ecusim's; those of the line, control channel, --settings and --demo do nothing here.
    explicit EcuInterna(TimeSource &tempo, const QStringList &opzioni = {});

    // Empty when the options were good, else ecusim's complaint.
    const QString &Errore() const { return m_errore; }

    // The answer to one message as it leaves (a fault may spoil it); empty for silence.
    QByteArray Rispondi(const QByteArray &messaggio);
    // ecusim ends (as at its --exit-on request): its line is gone for good.
    void Termina() { m_sparita = true; }
    bool Sparita() const { return m_sparita; }
    // How long the ECU takes to answer (--delay-ms).
    int RitardoMs() const { return m_opzioni.delayMs; }

    // A line of the control channel, and its answer line.
    QString Comando(const QString &riga);

    MemoryBlocks &Memoria() { return *m_memoria; }
    EngineModel &Motore() { return *m_motore; }

private:
    SimOptions m_opzioni;
    QString m_errore;
    std::unique_ptr<MemoryBlocks> m_memoria;
    std::unique_ptr<ServiceHandler> m_servizi;
    std::unique_ptr<EngineModel> m_motore;
    std::unique_ptr<ControlCommands> m_comandi;
    Harness m_cablaggio;
    std::unique_ptr<RoadCycle> m_strada;
    std::unique_ptr<FaultInjector> m_guasti;
    bool m_sparita = false;
};
