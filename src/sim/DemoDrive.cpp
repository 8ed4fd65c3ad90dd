#include "DemoDrive.h"

#include "ControlCommands.h"

namespace {
// Seconds between two steps of the cycle.
constexpr int StepSeconds = 4;
} // namespace

DemoDrive::DemoDrive(ControlCommands &commands, TimeSource *time, QObject *parent)
    : QObject(parent)
    , m_commands(commands)
    , m_timer([this] { nextStep(); }, time)
    , m_resume([this] { m_timer.start(); }, time)
{
    m_timer.setInterval(StepSeconds * 1000);
    m_resume.setSingleShot(true);
    m_resume.setInterval(PauseSeconds * 1000);
}

void DemoDrive::pause()
{
    if (!m_timer.isActive() && !m_resume.isActive())
        return;  // not running
    m_timer.stop();
    m_resume.start();
}

const QStringList &DemoDrive::steps()
{
    static const QStringList cycle{
        QStringLiteral("key on;rpm 800;load 10"),
        QStringLiteral("rpm 1800;load 35"),
        QStringLiteral("fuel gas;rpm 2500;load 45"),
        QStringLiteral("rpm 3200;load 70"),
        QStringLiteral("rpm 3800;load 90"),
        QStringLiteral("rpm 2200;load 20"),
        QStringLiteral("rpm 1500;load 5"),
        QStringLiteral("rpm 2800;load 60"),
        QStringLiteral("rpm 900;load 10"),
    };
    return cycle;
}

void DemoDrive::start()
{
    nextStep();
    m_timer.start();
}

void DemoDrive::nextStep()
{
    bool quit = false;
    for (const QString &command : steps().at(m_step).split(QLatin1Char(';')))
        m_commands.execute(command, &quit);
    m_step = (m_step + 1) % static_cast<int>(steps().size());
}
