#include "ControlCommands.h"

#include "EngineConstants.h"
#include "EngineModel.h"
#include "Harness.h"
#include "MemoryBlocks.h"
#include "RoadCycle.h"

#include <QStringList>

#include <cmath>

namespace {

const QString ok = QStringLiteral("ok");

QString error(const QString &text)
{
    return QStringLiteral("error: ") + text;
}

bool number(const QString &text, double low, double high, double *out)
{
    bool valid = false;
    const double v = text.toDouble(&valid);
    // "nan" passes every comparison: only a finite number within the range is taken.
    if (!valid || !std::isfinite(v) || v < low || v > high)
        return false;
    *out = v;
    return true;
}

} // namespace

QString ControlCommands::execute(const QString &line, bool *quit)
{
    *quit = false;
    const QStringList words = line.simplified().toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return error(QStringLiteral("empty command"));
    const QString &cmd = words.first();
    const QString arg = words.value(1);
    if (words.size() > 2)
        return error(QStringLiteral("too many words"));

    if (cmd == QLatin1String("state") && arg.isEmpty()) {
        const bool plugged = !m_harness || m_harness->plugged();
        return m_model.describe() + QStringLiteral(" line=%1").arg(plugged ? "plugged" : "unplugged");
    }
    if (cmd == QLatin1String("help") && arg.isEmpty())
        return QStringLiteral("commands: key on|off, rpm N, load PCT, tank PCT, temp C, fuel petrol|gas, flow PCT, offset US, boost MBAR, road [SECONDS], unplug, plug, power off|on, state, block N, quit");
    if (cmd == QLatin1String("quit") && arg.isEmpty()) {
        *quit = true;
        return QStringLiteral("bye");
    }
    if (cmd == QLatin1String("key")) {
        if (arg != QLatin1String("on") && arg != QLatin1String("off"))
            return error(QStringLiteral("key on|off"));
        m_model.setKey(arg == QLatin1String("on"));
        return ok;
    }
    if ((cmd == QLatin1String("plug") || cmd == QLatin1String("unplug")) && arg.isEmpty()) {
        if (!m_harness)
            return error(QStringLiteral("no line to %1").arg(cmd));
        m_harness->setPlugged(cmd == QLatin1String("plug"));
        return ok;
    }
    if (cmd == QLatin1String("power")) {
        if (arg != QLatin1String("on") && arg != QLatin1String("off"))
            return error(QStringLiteral("power on|off"));
        if (!m_harness)
            return error(QStringLiteral("no line to power"));
        m_harness->setPowered(arg == QLatin1String("on"));
        m_model.setPowered(arg == QLatin1String("on"));
        return ok;
    }
    if (cmd == QLatin1String("fuel")) {
        if (arg != QLatin1String("gas") && arg != QLatin1String("petrol"))
            return error(QStringLiteral("fuel petrol|gas"));
        if (!m_model.powered())
            return error(QStringLiteral("the ECU is powered off"));
        m_model.requestFuel(arg == QLatin1String("gas"));
        return ok;
    }

    double v = 0;
    if (cmd == QLatin1String("block") && m_memory) {
        if (!number(arg, 0, MemoryBlocks::BlockCount - 1, &v) || v != static_cast<int>(v))
            return error(QStringLiteral("block needs a record number 0..%1").arg(MemoryBlocks::BlockCount - 1));
        return QString::fromLatin1(m_memory->data(static_cast<MemoryBlocks::Block>(static_cast<int>(v))).toHex().toUpper());
    }
    if (cmd == QLatin1String("rpm")) {
        if (!number(arg, 0, EngineConstants::MaxRpm, &v))
            return error(QStringLiteral("rpm needs a speed 0..%1").arg(EngineConstants::MaxRpm));
        m_model.setTargetRpm(v);
        return ok;
    }
    if (cmd == QLatin1String("load") || cmd == QLatin1String("tank")) {
        if (!number(arg, 0, 100, &v))
            return error(QStringLiteral("%1 needs a percentage 0..100").arg(cmd));
        if (cmd == QLatin1String("load"))
            m_model.setLoad(v);
        else
            m_model.setTank(v);
        return ok;
    }
    if (cmd == QLatin1String("boost")) {
        if (!number(arg, EngineConstants::FullManifoldMbar, EngineConstants::MaxBoostMbar, &v))
            return error(QStringLiteral("boost needs a pressure %1..%2 mbar")
                             .arg(EngineConstants::FullManifoldMbar).arg(EngineConstants::MaxBoostMbar));
        m_model.setBoost(v);
        return ok;
    }
    if (cmd == QLatin1String("road")) {
        v = RoadCycle::DefaultStepMs / 1000.0;
        if (!m_road || (!arg.isEmpty() && !number(arg, 1, 60, &v)))
            return error(QStringLiteral("road needs the seconds a point, 1..60"));
        m_road->start(static_cast<int>(v * 1000));
        return ok;
    }
    if (cmd == QLatin1String("temp")) {
        if (!number(arg, -40, 127, &v))
            return error(QStringLiteral("temp needs degrees -40..127"));
        m_model.setGasTemperature(v);
        return ok;
    }
    if (cmd == QLatin1String("flow")) {
        if (!number(arg, 50, 150, &v))
            return error(QStringLiteral("flow needs a percentage 50..150"));
        m_model.setGasFlow(v);
        return ok;
    }
    if (cmd == QLatin1String("offset")) {
        if (!number(arg, -1000, 1000, &v))
            return error(QStringLiteral("offset needs microseconds -1000..1000"));
        m_model.setGasOffset(v);
        return ok;
    }
    return error(QStringLiteral("unknown command '%1' (try help)").arg(line.simplified()));
}
