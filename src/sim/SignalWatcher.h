#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a Qt signal (through a socket pair that the
// signal handler writes to), so that ecusim can end its event loop and
// clean up its link in the normal way.
class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

    bool install();

signals:
    void terminationRequested(int signalNumber);

private:
    static void handler(int signalNumber);
    void onNotified();

    QSocketNotifier *m_notifier = nullptr;
    static int s_fds[2];
};
