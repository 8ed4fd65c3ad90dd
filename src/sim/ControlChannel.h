#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class ControlCommands;
class QLocalServer;
class QLocalSocket;
class QSocketNotifier;

// Carries control lines to ControlCommands and their answers back: either
// a local socket at a path, a relative one taken from the current folder
// (any number of clients, each line answered on its own connection) or,
// for the path "-", standard input with the answers on standard output. "quit" answers and then ends the event loop.
class ControlChannel : public QObject
{
    Q_OBJECT

public:
    ControlChannel(ControlCommands &commands, QObject *parent = nullptr);
    ~ControlChannel() override;

    // On failure returns false and sets error.
    bool open(const QString &path, QString *error);

signals:
    // A line that drives the engine came in (anything but "state", "help"
    // and "quit"); a running demo gives way to the user.
    void engineCommand();

private:
    void onNewConnection();
    void onStdinReadable();
    // Runs every whole line in buffer and returns the answers.
    QByteArray runLines(QByteArray *buffer);

    ControlCommands &m_commands;
    QLocalServer *m_server = nullptr;
    QSocketNotifier *m_stdin = nullptr;
    QByteArray m_stdinBuffer;
    bool m_quit = false;
};
