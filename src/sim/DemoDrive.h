#pragma once

#include "SimTimer.h"

#include <QObject>
#include <QStringList>

class ControlCommands;
class TimeSource;

// A driver for demos and training: it sends the control channel's commands
// of a town-and-road cycle, one step every few seconds, over and over, so
// that the live values move (speed, load, the switch to gas, the tank).
class DemoDrive : public QObject
{
    Q_OBJECT
public:
    // Its steps come on the event loop's timers, or on `time` when given.
    explicit DemoDrive(ControlCommands &commands, TimeSource *time = nullptr, QObject *parent = nullptr);

    void start();
    // Stops the cycle for a while, so that a user's own commands are not
    // overridden at the next step; each call starts the pause anew.
    void pause();
    static constexpr int PauseSeconds = 30;
    bool paused() const { return m_resume.isActive(); }
    // The cycle's steps: each is one or more commands separated by ";".
    static const QStringList &steps();

private:
    void nextStep();

    ControlCommands &m_commands;
    SimTimer m_timer;
    SimTimer m_resume;
    int m_step = 0;
};
