#pragma once

#include <QString>

class EngineModel;
class Harness;
class MemoryBlocks;
class RoadCycle;

// The line commands of the control channel, each answered by one line:
//   key on|off        ignition
//   rpm N             target engine speed (below idle: idle)
//   load PCT          throttle load, 0..100
//   tank PCT          tank level, 0..100
//   temp C            gas (reducer) temperature now; it then drifts
//   fuel petrol|gas   the driver's switch button
//   boost MBAR        manifold pressure at full load, 1000 (no turbo) .. 2500
//   road [SECONDS]    drives the road cycle once, SECONDS a point (default 4)
//   flow PCT          the gas injectors' true flow, percent of nominal (50..150)
//   offset US         the gas installation's fixed offset (-1000..1000 us)
//   unplug, plug      pulls the adapter's cable and puts it back: the line
//                     is silent meanwhile, the ECU runs on
//   power off|on      cuts the ECU's supply behind a plugged adapter and
//                     gives it back: the line is silent meanwhile, and the
//                     ECU wakes up with its settings but on petrol, out of
//                     any mode (EngineModel::setPowered)
//   state             the main engine values on one line, with the power
//                     and the cable
//   block N           the data bytes of block N (record number 0..6) in hex
//   help              the list of commands
//   quit              ends ecusim
// Commands are answered "ok", "state" by its line, and a bad command by a
// line starting "error:".
class ControlCommands
{
public:
    explicit ControlCommands(EngineModel &model, const MemoryBlocks *memory = nullptr)
        : m_model(model), m_memory(memory)
    {
    }
    void setRoadCycle(RoadCycle *cycle) { m_road = cycle; }
    // Without a harness "plug", "unplug" and "power" are refused.
    void setHarness(Harness *harness) { m_harness = harness; }

    // The answer line (without a line end); quit is set by "quit".
    QString execute(const QString &line, bool *quit);

private:
    EngineModel &m_model;
    const MemoryBlocks *m_memory;
    RoadCycle *m_road = nullptr;
    Harness *m_harness = nullptr;
};
