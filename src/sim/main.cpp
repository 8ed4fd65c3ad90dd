// ecusim: a virtual gas-injection ECU on a pseudo-terminal.
//
//   ecusim --link PATH [--unprogrammed] [--identity HEX] [--settings SetCom.ini]
//          [--drop-every N] [--corrupt-every N] [--delay-ms MS] [--refuse SERVICE]...
//          [--exit-on SERVICE[:N]]
//          [--verbose] [--control PATH|-] [--cng] [--demo] [--road [--road-step S]] [--cold]
//          [--gas-flow PCT] [--gas-offset US] [--time-scale N]
//   ecusim --write-definitions FILE [--cng]
//
// Prints "ready" on stdout once PATH leads to the line (and the control
// channel listens); ends on SIGTERM, SIGINT or the control command "quit",
// removing PATH.

#include "ControlChannel.h"
#include "ControlCommands.h"
#include "DemoDrive.h"
#include "DefinitionFile.h"
#include "EcuDefaults.h"
#include "EcuSimulator.h"
#include "EngineConstants.h"
#include "EngineModel.h"
#include "FaultInjector.h"
#include "Harness.h"
#include "MemoryBlocks.h"
#include "PseudoTerminal.h"
#include "RoadCycle.h"
#include "ServiceHandler.h"
#include "SetComFile.h"
#include "SignalWatcher.h"
#include "SimOptions.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

int fail(const QString &text)
{
    std::fprintf(stderr, "ecusim: %s\n", qPrintable(text));
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ecusim"));

    SimOptions options;
    QString error;
    if (!options.parse(QCoreApplication::arguments(), &error)) {
        if (options.helpRequested) {
            std::printf("%s", qPrintable(error));
            return 0;
        }
        return fail(error);
    }

    MemoryBlocks memory;
    EcuDefaults::apply(memory, options.cng ? EcuDefaults::Fuel::Cng : EcuDefaults::Fuel::Lpg);
    if (!options.definitionsPath.isEmpty())
        return DefinitionFile::write(options.definitionsPath, memory, &error) ? 0 : fail(error);

    SetComFile settings;
    if (!options.settingsPath.isEmpty()) {
        if (!settings.load(options.settingsPath, &error))
            return fail(error);
        const QByteArray identity = settings.firstIdentity();
        if (identity.size() > SimOptions::MaxIdentitySize)
            return fail(QStringLiteral("%1: the first [FIRMWARE] identity has %2 bytes, an answer carries at most %3")
                            .arg(options.settingsPath).arg(identity.size()).arg(SimOptions::MaxIdentitySize));
        if (identity.size() >= SimOptions::MinIdentitySize)
            memory.setData(MemoryBlocks::Block::Identity, identity);
    }
    if (!options.identity.isEmpty())
        memory.setData(MemoryBlocks::Block::Identity, options.identity);

    ServiceHandler handler(memory, options.programmed);
    if (!options.settingsPath.isEmpty() && options.programmed) {
        for (const QString &problem : settings.check(handler))
            std::fprintf(stderr, "ecusim: warning: %s\n", qPrintable(problem));
    }
    handler.setRefusedServices(options.refused);

    EngineModel engine(memory);
    QObject::connect(&handler, &ServiceHandler::blockWritten, &engine, [&engine](MemoryBlocks::Block block) {
        if (block == MemoryBlocks::Block::State)
            engine.syncCommandBlock();
    });
    if (options.cold)
        engine.setGasTemperature(EngineConstants::AmbientTempC);
    if (options.gasFlowPct >= 0)
        engine.setGasFlow(options.gasFlowPct);
    if (options.gasOffsetUs < 1e8)
        engine.setGasOffset(options.gasOffsetUs);
    engine.setTimeScale(options.timeScale);
    ControlCommands commands(engine, &memory);
    Harness harness;
    commands.setHarness(&harness);
    RoadCycle road(commands);
    commands.setRoadCycle(&road);
    ControlChannel control(commands);
    if (!options.controlPath.isEmpty() && !control.open(options.controlPath, &error))
        return fail(error);

    SignalWatcher signalWatcher;
    if (!signalWatcher.install())
        return fail(QStringLiteral("cannot watch for signals"));

    PseudoTerminal line;
    if (!line.open(options.linkPath, &error))
        return fail(error);

    FaultInjector faults(options.dropEvery, options.corruptEvery);
    faults.setPowerCut(options.exitOnService, options.exitOnCount);
    EcuSimulator simulator(line, handler, faults, options.delayMs, options.verbose);
    simulator.setHarness(&harness);

    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &app,
                     [](int) { QCoreApplication::quit(); });

    if (options.verbose)
        std::fprintf(stderr, "ecusim: %s -> %s\n", qPrintable(options.linkPath), qPrintable(line.slaveName()));
    engine.start();
    DemoDrive demo(commands);
    if (options.demo) {
        demo.start();
        QObject::connect(&control, &ControlChannel::engineCommand, &demo, &DemoDrive::pause);
    }
    if (options.roadStepMs > 0)
        road.start(options.roadStepMs);
    std::printf("ready\n");
    std::fflush(stdout);

    const int rc = QCoreApplication::exec();
    line.close();
    return rc;
}
