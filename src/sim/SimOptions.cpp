#include "SimOptions.h"
#include "Versione.h"

#include <QCommandLineParser>

#include <algorithm>
#include <cctype>

namespace {

bool toCount(const QString &text, int *out)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < 0)
        return false;
    *out = v;
    return true;
}

bool toService(const QString &text, quint8 *out)
{
    bool ok = false;
    const uint v = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
        ? text.mid(2).toUInt(&ok, 16)
        : text.toUInt(&ok, 10);
    if (!ok || v > 255)
        return false;
    *out = static_cast<quint8>(v);
    return true;
}

} // namespace

bool SimOptions::parse(const QStringList &arguments, QString *error)
{
    QCommandLineParser p;
    p.setApplicationDescription(
        QStringLiteral("Virtual gas-injection ECU on a pseudo-terminal."));
    p.addHelpOption();
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Print the version and end."));
    p.addOption(version);
    const QCommandLineOption link(QStringLiteral("link"),
        QStringLiteral("Symlink to create for the serial device."), QStringLiteral("PATH"));
    const QCommandLineOption unprogrammed(QStringLiteral("unprogrammed"),
        QStringLiteral("Boot loader only: echo the probe, answer nothing else."));
    const QCommandLineOption identity(QStringLiteral("identity"),
        QStringLiteral("Firmware identity bytes in hex (6 to 249)."), QStringLiteral("HEX"));
    const QCommandLineOption settings(QStringLiteral("settings"),
        QStringLiteral("SetCom.ini: identity from its first [FIRMWARE], layout checked."),
        QStringLiteral("PATH"));
    const QCommandLineOption drop(QStringLiteral("drop-every"),
        QStringLiteral("Ignore every Nth request."), QStringLiteral("N"));
    const QCommandLineOption corrupt(QStringLiteral("corrupt-every"),
        QStringLiteral("Spoil the checksum of every Nth answer."), QStringLiteral("N"));
    const QCommandLineOption delay(QStringLiteral("delay-ms"),
        QStringLiteral("Answer after this many milliseconds."), QStringLiteral("MS"));
    const QCommandLineOption refuse(QStringLiteral("refuse"),
        QStringLiteral("Refuse this service (repeatable)."), QStringLiteral("SERVICE"));
    const QCommandLineOption exitOn(QStringLiteral("exit-on"),
        QStringLiteral("End at once, without answering, at the Nth request of SERVICE (default "
                       "the first), as an ECU whose power is cut."),
        QStringLiteral("SERVICE[:N]"));
    const QCommandLineOption verboseOpt(QStringLiteral("verbose"),
        QStringLiteral("Print the traffic on stderr."));
    const QCommandLineOption control(QStringLiteral("control"),
        QStringLiteral("Control channel: a local socket at PATH, or - for standard input."),
        QStringLiteral("PATH"));
    const QCommandLineOption cngOpt(QStringLiteral("cng"),
        QStringLiteral("CNG variant of the factory contents (identity, configuration, map)."));
    const QCommandLineOption definitions(QStringLiteral("write-definitions"),
        QStringLiteral("Write the factory contents as a definition file and end."), QStringLiteral("PATH"));
    const QCommandLineOption demoOpt(QStringLiteral("demo"),
        QStringLiteral("Drive the engine by itself through a town-and-road cycle (for demos);\n"
                       "a control command pauses the cycle for 30 s."));
    const QCommandLineOption roadOpt(QStringLiteral("road"),
        QStringLiteral("Drive the road cycle once: steady points on petrol, then on gas (for sampling)."));
    const QCommandLineOption roadStep(QStringLiteral("road-step"),
        QStringLiteral("Seconds each point of the road cycle lasts, 1..60 (default 4)."), QStringLiteral("SECONDS"));
    const QCommandLineOption coldOpt(QStringLiteral("cold"),
        QStringLiteral("Start with a cold engine (the reducer at ambient temperature)."));
    const QCommandLineOption flowOpt(QStringLiteral("gas-flow"),
        QStringLiteral("True flow of the gas injectors in percent of the nominal one (50..150)."),
        QStringLiteral("PCT"));
    const QCommandLineOption offsetOpt(QStringLiteral("gas-offset"),
        QStringLiteral("Fixed offset of the gas installation in microseconds (-1000..1000)."),
        QStringLiteral("US"));
    const QCommandLineOption scaleOpt(QStringLiteral("time-scale"),
        QStringLiteral("Run the engine N times faster than the clock (1..50)."), QStringLiteral("N"));
    p.addOptions({link, unprogrammed, identity, settings, drop, corrupt, delay, refuse, exitOn, verboseOpt,
                  control, cngOpt, definitions, demoOpt, roadOpt, roadStep, coldOpt, flowOpt, offsetOpt, scaleOpt});

    if (!p.parse(arguments)) {
        *error = p.errorText();
        return false;
    }
    if (p.isSet(version)) {
        helpRequested = true;
        *error = QStringLiteral("ecusim " GASCAL_VERSIONE "\n");
        return false;
    }
    if (p.isSet(QStringLiteral("help"))) {
        helpRequested = true;
        *error = p.helpText();
        return false;
    }
    if (!p.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument: %1").arg(p.positionalArguments().first());
        return false;
    }

    linkPath = p.value(link);
    definitionsPath = p.value(definitions);
    controlPath = p.value(control);
    cng = p.isSet(cngOpt);
    demo = p.isSet(demoOpt);
    if (p.isSet(roadOpt) || p.isSet(roadStep)) {
        bool valid = true;
        const double seconds = p.isSet(roadStep) ? p.value(roadStep).toDouble(&valid) : 4.0;
        if (!valid || seconds < 1 || seconds > 60) {
            *error = QStringLiteral("--road-step needs seconds from 1 to 60");
            return false;
        }
        roadStepMs = static_cast<int>(seconds * 1000);
    }
    if (linkPath.isEmpty() && definitionsPath.isEmpty()) {
        *error = QStringLiteral("--link PATH is required");
        return false;
    }
    cold = p.isSet(coldOpt);
    const struct { const QCommandLineOption *opt; double low, high; double *target; } reals[] = {
        {&flowOpt, 50, 150, &gasFlowPct}, {&offsetOpt, -1000, 1000, &gasOffsetUs}};
    for (const auto &r : reals) {
        if (!p.isSet(*r.opt))
            continue;
        bool ok = false;
        const double v = p.value(*r.opt).toDouble(&ok);
        if (!ok || v < r.low || v > r.high) {
            *error = QStringLiteral("--%1 needs a number %2..%3").arg(r.opt->names().first()).arg(r.low).arg(r.high);
            return false;
        }
        *r.target = v;
    }
    if (p.isSet(scaleOpt) && (!toCount(p.value(scaleOpt), &timeScale) || timeScale < 1 || timeScale > 50)) {
        *error = QStringLiteral("--time-scale needs a whole number 1..50");
        return false;
    }
    programmed = !p.isSet(unprogrammed);
    verbose = p.isSet(verboseOpt);
    settingsPath = p.value(settings);

    if (p.isSet(identity)) {
        QString hex = p.value(identity);
        hex.remove(QLatin1Char(' '));
        const QByteArray ascii = hex.toLatin1();
        const bool isHex = !ascii.isEmpty() && ascii.size() % 2 == 0
            && std::all_of(ascii.begin(), ascii.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
        this->identity = QByteArray::fromHex(ascii);
        if (!isHex || this->identity.size() < MinIdentitySize || this->identity.size() > MaxIdentitySize) {
            *error = QStringLiteral("--identity needs %1 to %2 bytes in hex (an answer carries at most %2)")
                         .arg(MinIdentitySize).arg(MaxIdentitySize);
            return false;
        }
    }

    const struct { const QCommandLineOption *opt; int *target; } counts[] = {
        {&drop, &dropEvery}, {&corrupt, &corruptEvery}, {&delay, &delayMs}};
    for (const auto &c : counts) {
        if (p.isSet(*c.opt) && !toCount(p.value(*c.opt), c.target)) {
            *error = QStringLiteral("--%1 needs a whole number of 0 or more")
                         .arg(c.opt->names().first());
            return false;
        }
    }

    for (const QString &s : p.values(refuse)) {
        quint8 service = 0;
        if (!toService(s, &service)) {
            *error = QStringLiteral("--refuse needs a service number 0..255, not %1").arg(s);
            return false;
        }
        refused.insert(service);
    }

    if (p.isSet(exitOn)) {
        const QStringList parts = p.value(exitOn).split(QLatin1Char(':'));
        quint8 service = 0;
        int count = 1;
        if (parts.size() > 2 || !toService(parts.first(), &service)
            || (parts.size() == 2 && (!toCount(parts.last(), &count) || count < 1))) {
            *error = QStringLiteral("--exit-on needs SERVICE or SERVICE:N (N at least 1)");
            return false;
        }
        exitOnService = service;
        exitOnCount = count;
    }
    return true;
}
