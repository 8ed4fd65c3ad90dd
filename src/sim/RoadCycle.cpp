#include "RoadCycle.h"

#include "ControlCommands.h"

namespace {

// Loads (%) of the steady points and the speed that each band holds them at.
struct Point { int rpm; int load; };
const Point points[] = {
    {1200, 0}, {1200, 10}, {1200, 15}, {1200, 25}, {1200, 30},
    {2200, 40}, {2200, 45}, {2200, 50}, {2200, 60},
    {3500, 70}, {3500, 75}, {3500, 80}, {3500, 90}, {3500, 95}, {3500, 100},
};

QString drive(const Point &p)
{
    return QStringLiteral("rpm %1;load %2").arg(p.rpm).arg(p.load);
}

QStringList build()
{
    // Warm, turbo up to 2.5 bar, on petrol.
    QStringList cycle{QStringLiteral("key on;temp 65;boost 2500;fuel petrol;") + drive(points[0])};
    for (size_t i = 1; i < std::size(points); ++i)
        cycle << drive(points[i]);
    // The switch to gas takes its delay and overlap; then nothing is
    // sampled for a few seconds more.
    const QString cruise = QStringLiteral("rpm 2200;load 40");
    cycle << QStringLiteral("fuel gas;") + cruise << cruise << cruise << cruise << cruise;
    for (const Point &p : points)
        cycle << drive(p);
    cycle << QStringLiteral("rpm 800;load 0");
    return cycle;
}

} // namespace

RoadCycle::RoadCycle(ControlCommands &commands, TimeSource *time, QObject *parent)
    : QObject(parent), m_commands(commands), m_timer([this] { nextStep(); }, time)
{
}

const QStringList &RoadCycle::steps()
{
    static const QStringList cycle = build();
    return cycle;
}

void RoadCycle::start(int stepMs)
{
    m_step = 0;
    m_timer.setInterval(stepMs);
    nextStep();
    m_timer.start();
}

void RoadCycle::nextStep()
{
    if (m_step < 0 || m_step >= steps().size()) {
        m_timer.stop();
        m_step = -1;
        return;
    }
    bool quit = false;
    for (const QString &command : steps().at(m_step).split(QLatin1Char(';')))
        m_commands.execute(command, &quit);
    ++m_step;
}
