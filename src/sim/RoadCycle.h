#pragma once

#include "SimTimer.h"

#include <QObject>
#include <QStringList>

class ControlCommands;
class TimeSource;

// A road cycle for calibrating from samples: a warm turbocharged car driven
// through steady points of a few seconds each, at rising loads in the three
// speed bands (below 1500 rpm, 1500..2999, 3000 and above), first on petrol,
// then, after the switch to gas, through the same points on gas. Each point
// gives the manifold-pressure row of its own, so that both fuels' sample
// tables fill enough rows for a curve. It runs once and ends idling on gas.
class RoadCycle : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultStepMs = 4000;

    // Its steps come on the event loop's timers, or on `time` when given.
    explicit RoadCycle(ControlCommands &commands, TimeSource *time = nullptr, QObject *parent = nullptr);

    // Starts the cycle from its first step (again, if it was running).
    void start(int stepMs = DefaultStepMs);
    bool running() const { return m_timer.isActive(); }
    // The steps: each one or more control commands separated by ";".
    static const QStringList &steps();

private:
    void nextStep();

    ControlCommands &m_commands;
    SimTimer m_timer;
    int m_step = -1;
};
