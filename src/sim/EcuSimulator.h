#pragma once

#include "FaultInjector.h"
#include "MessageFramer.h"

#include <QObject>

class Harness;
class PseudoTerminal;
class ServiceHandler;

// Carries the traffic between the line and the ECU's service handler:
// bytes from the pty are framed into requests, the fault injector may drop
// a request or spoil an answer, and answers go back on the line at once or
// after the configured delay (a timer, so the event loop keeps running).
// While the harness has the line silent (cable out, power off) the bytes
// that come in are thrown away, a partial message with them, and no answer
// leaves.
class EcuSimulator : public QObject
{
    Q_OBJECT

public:
    EcuSimulator(PseudoTerminal &line, ServiceHandler &handler, const FaultInjector &faults,
                 int delayMs, bool verbose, QObject *parent = nullptr);

    // The cable and the supply; without one the line is always live.
    void setHarness(const Harness *harness) { m_harness = harness; }

private:
    void onReceived(const QByteArray &bytes);
    void send(const QByteArray &answer);
    void log(const char *direction, const QByteArray &bytes) const;
    bool silent() const;
    int connection() const;

    PseudoTerminal &m_line;
    ServiceHandler &m_handler;
    FaultInjector m_faults;
    MessageFramer m_framer;
    int m_delayMs;
    bool m_verbose;
    const Harness *m_harness = nullptr;
    bool m_powerCut = false; // nothing is answered any more
};
