#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

class ControlCommands;

// A driver for demos and training: it sends the control channel's commands
// of a town-and-road cycle, one step every few seconds, over and over, so
// that the live values move (speed, load, the switch to gas, the tank).
class DemoDrive : public QObject
{
    Q_OBJECT
public:
    explicit DemoDrive(ControlCommands &commands, QObject *parent = nullptr);

    void start();
    // The cycle's steps: each is one or more commands separated by ";".
    static const QStringList &steps();

private:
    void nextStep();

    ControlCommands &m_commands;
    QTimer m_timer;
    int m_step = 0;
};
