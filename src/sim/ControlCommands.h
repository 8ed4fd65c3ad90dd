#pragma once

#include <QString>

class EngineModel;
class MemoryBlocks;

// The line commands of the control channel, each answered by one line:
//   key on|off        ignition
//   rpm N             target engine speed (below idle: idle)
//   load PCT          throttle load, 0..100
//   tank PCT          tank level, 0..100
//   temp C            gas (reducer) temperature now; it then drifts
//   fuel petrol|gas   the driver's switch button
//   state             the main engine values on one line
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

    // The answer line (without a line end); quit is set by "quit".
    QString execute(const QString &line, bool *quit);

private:
    EngineModel &m_model;
    const MemoryBlocks *m_memory;
};
