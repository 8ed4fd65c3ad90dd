#include "EcuSimulator.h"

#include "Harness.h"
#include "PseudoTerminal.h"
#include "ServiceHandler.h"

#include "EcuMessage.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

EcuSimulator::EcuSimulator(PseudoTerminal &line, ServiceHandler &handler, const FaultInjector &faults,
                           int delayMs, bool verbose, QObject *parent)
    : QObject(parent)
    , m_line(line)
    , m_handler(handler)
    , m_faults(faults)
    , m_delayMs(delayMs)
    , m_verbose(verbose)
{
    connect(&m_line, &PseudoTerminal::received, this, &EcuSimulator::onReceived);
}

void EcuSimulator::onReceived(const QByteArray &bytes)
{
    if (silent()) {
        log("lost on a silent line", bytes);
        m_framer.clear();
        return;
    }
    const int discardedBefore = m_framer.discardedBytes();
    const QList<QByteArray> requests = m_framer.feed(bytes);
    if (m_verbose && m_framer.discardedBytes() != discardedBefore)
        std::fprintf(stderr, "ecusim: discarded %d byte(s)\n", m_framer.discardedBytes() - discardedBefore);

    for (const QByteArray &request : requests) {
        if (m_powerCut)
            return;
        log("<-", request);
        if (static_cast<quint8>(request.at(0)) == EcuMessage::Address
            && m_faults.powerCut(EcuMessage::service(request))) {
            log("power cut at", request);
            m_powerCut = true;
            QCoreApplication::exit(3); // main closes the line
        }
        if (m_powerCut)
            return;
        if (m_faults.dropRequest()) {
            log("drop", request);
            continue;
        }
        const QByteArray answer = m_handler.handle(request);
        if (answer.isEmpty())
            continue;
        send(m_faults.passAnswer(answer));
    }
}

void EcuSimulator::send(const QByteArray &answer)
{
    if (m_delayMs <= 0) {
        log("->", answer);
        m_line.write(answer);
        return;
    }
    // Equal delays keep the answers in the order of their requests. An
    // answer whose line went silent meanwhile is lost, even if the line is
    // back by now.
    const int sentOn = connection();
    QTimer::singleShot(m_delayMs, this, [this, answer, sentOn] {
        if (silent() || connection() != sentOn) {
            log("lost on a silent line", answer);
            return;
        }
        log("->", answer);
        m_line.write(answer);
    });
}

bool EcuSimulator::silent() const
{
    return m_harness && m_harness->silent();
}

int EcuSimulator::connection() const
{
    return m_harness ? m_harness->connection() : 0;
}

void EcuSimulator::log(const char *direction, const QByteArray &bytes) const
{
    if (!m_verbose)
        return;
    std::fprintf(stderr, "ecusim: %s %s\n", direction, bytes.toHex(' ').toUpper().constData());
}
