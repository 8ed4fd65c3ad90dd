#include "ControlCommands.h"

#include "EngineConstants.h"
#include "EngineModel.h"

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

    if (cmd == QLatin1String("state") && arg.isEmpty())
        return m_model.describe();
    if (cmd == QLatin1String("help") && arg.isEmpty())
        return QStringLiteral("commands: key on|off, rpm N, load PCT, tank PCT, temp C, fuel petrol|gas, state, quit");
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
    if (cmd == QLatin1String("fuel")) {
        if (arg != QLatin1String("gas") && arg != QLatin1String("petrol"))
            return error(QStringLiteral("fuel petrol|gas"));
        m_model.requestFuel(arg == QLatin1String("gas"));
        return ok;
    }

    double v = 0;
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
    if (cmd == QLatin1String("temp")) {
        if (!number(arg, -40, 127, &v))
            return error(QStringLiteral("temp needs degrees -40..127"));
        m_model.setGasTemperature(v);
        return ok;
    }
    return error(QStringLiteral("unknown command '%1' (try help)").arg(line.simplified()));
}
