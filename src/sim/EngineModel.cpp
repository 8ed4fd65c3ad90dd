#include "EngineModel.h"

#include "EcuLayout.h"
#include "EngineConstants.h"
#include "SwitchLeds.h"

#include <QStringList>

#include <algorithm>
#include <functional>
#include <cmath>

namespace C = EngineConstants;
namespace L = EcuLayout;

namespace {

// Moves value toward target by at most rate x dt.
double approach(double value, double target, double step)
{
    return value < target ? std::min(target, value + step) : std::max(target, value - step);
}

// First-order lag toward target.
double lag(double value, double target, double dtS, double timeConstantS)
{
    return value + (target - value) * (1.0 - std::exp(-dtS / timeConstantS));
}

quint16 rawWord(double value, double scale)
{
    return static_cast<quint16>(std::clamp<long>(std::lround(value / scale), 0, 65535));
}

} // namespace

EngineModel::EngineModel(MemoryBlocks &memory, TimeSource *time, QObject *parent)
    : QObject(parent)
    , m_memory(memory)
    , m_timer([this] {
        for (int i = 0; i < m_timeScale; ++i)
            step(C::TickMs);
    }, time)
    , m_targetRpm(C::IdleRpm)
    , m_rpm(C::IdleRpm)
    , m_fullLoadMbar(C::FullManifoldMbar)
    , m_tempC(C::WarmTempC)
{
    m_pressure = isCng() ? C::CngPressureMbar : C::LpgPressureMbar;
    m_levelFiltered = m_tank * C::LevelCountsPerPct;
    m_installation.flowPct = C::GasFlowPct;
    m_installation.offsetUs = C::GasOffsetUs;
    m_timer.setInterval(C::TickMs);
}

void EngineModel::start()
{
    m_petrolEcu.step(0, needUs(), m_installation, {});
    writeLive();
    syncCommandBlock();
    m_timer.start();
}

void EngineModel::setKey(bool on) { m_key = on; }

void EngineModel::setPowered(bool on)
{
    if (on == m_powered)
        return;
    m_powered = on;
    // Either way the ECU's running state starts afresh: what was in it went
    // with the supply (or is gone by the time the ECU wakes up).
    m_switch = FuelSwitch();
    m_endOfGasSeen = 0;
    m_alarmMs = 0;
    m_petrolDeferred = false;
    m_memory.setByte(Block::State, L::State::Requested, C::FuelPetrol);
    m_memory.setByte(Block::State, L::State::Confirmed, C::FuelPetrol);
    m_memory.setByte(Block::State, L::State::Mode, 0);
    writeLive();
}

void EngineModel::setTargetRpm(double rpm) { m_targetRpm = std::clamp(rpm, 0.0, C::MaxRpm); }

void EngineModel::setLoad(double percent)
{
    percent = std::clamp(percent, 0.0, 100.0);
    if (percent != m_load)
        m_sinceLoadChangeMs = 0;
    m_load = percent;
}

void EngineModel::setBoost(double mbar)
{
    m_fullLoadMbar = std::clamp(mbar, C::FullManifoldMbar, C::MaxBoostMbar);
}

void EngineModel::setGasFlow(double percent) { m_installation.flowPct = std::clamp(percent, 50.0, 150.0); }

void EngineModel::setGasOffset(double us) { m_installation.offsetUs = std::clamp(us, -1000.0, 1000.0); }

void EngineModel::setTimeScale(int factor) { m_timeScale = std::clamp(factor, 1, 50); }

void EngineModel::setTank(double percent) { m_tank = std::clamp(percent, 0.0, 100.0); }

void EngineModel::setGasTemperature(double celsius) { m_tempC = std::clamp(celsius, -40.0, 127.0); }

void EngineModel::requestFuel(bool gas)
{
    if (!m_powered)
        return;   // the switch button of an ECU without supply does nothing
    m_switch.setRequest(gas);
    m_memory.setByte(Block::State, L::State::Requested, gas ? C::FuelGas : C::FuelPetrol);
}

bool EngineModel::running() const
{
    return m_key && m_rpm >= C::RunningRpm;
}

bool EngineModel::isCng() const
{
    return m_memory.byteAt(Block::Config, L::Config::Enables) & L::Config::EnableCng;
}

int EngineModel::speedFactor() const
{
    return m_memory.byteAt(Block::Config, L::Config::SpeedFactor) == 2 ? 2 : 1;
}

FuelSwitch::Settings EngineModel::switchSettings() const
{
    auto byte = [this](int i) { return m_memory.byteAt(Block::Config, i); };
    auto word = [this](int i) { return m_memory.wordAt(Block::Config, i); };
    FuelSwitch::Settings s;
    s.switchTempC = byte(L::Config::SwitchTemperature);
    const int period = word(L::Config::SwitchPeriod);
    s.switchRpm = period == 0 || period == C::NoSpeedCondition ? 0.0 : C::PeriodConstant / (period * speedFactor());
    s.hysteresisRpm = word(L::Config::Hysteresis);
    s.onDeceleration = byte(L::Config::Enables) & L::Config::EnableDeceleration;
    s.delayMs = word(L::Config::Delay);
    s.overlapMs = word(L::Config::Overlap);
    s.forcedMs = word(L::Config::ForcedTime);
    s.endOfGas = byte(L::Config::Enables) & L::Config::EnableEndOfGas;
    s.endOfGasMbar = word(L::Config::EndOfGasPressure);
    s.endOfGasMs = word(L::Config::EndOfGasTime);
    s.tuning = tuning();
    return s;
}

bool EngineModel::tuning() const
{
    return m_memory.byteAt(Block::State, L::State::Mode) & L::State::ModeTuning;
}

// In tuning mode the gas once engaged stays on whatever value 0 says: a
// petrol request is held off until the mode ends, and then taken.
void EngineModel::syncCommandBlock()
{
    if (!m_powered)
        return;
    if (m_memory.byteAt(Block::State, L::State::Mode) & L::State::ModeStateRequest) {
        const bool gas = m_memory.byteAt(Block::State, L::State::Requested) == C::FuelGas;
        m_petrolDeferred = !gas && tuning() && m_switch.gasRequested() && m_switch.valveOpen();
        if (!m_petrolDeferred)
            m_switch.setRequest(gas);
    }
    if (m_petrolDeferred && !tuning()) {
        m_petrolDeferred = false;
        m_switch.setRequest(false);
    }
    const bool requested = m_switch.gasRequested() && !m_petrolDeferred;
    m_memory.setByte(Block::State, L::State::Requested, requested ? C::FuelGas : C::FuelPetrol);
    m_memory.setByte(Block::State, L::State::Confirmed, m_switch.onGas() ? C::FuelGas : C::FuelPetrol);
}

void EngineModel::step(int dtMs)
{
    syncCommandBlock();
    moveEngine(dtMs / 1000.0);

    if (m_powered)
        m_switch.step(dtMs, switchSettings(), {running(), m_rpm, m_tempC, m_pressure});
    if (m_switch.endOfGasCount() != m_endOfGasSeen) {
        m_endOfGasSeen = m_switch.endOfGasCount();
        m_alarmMs = C::EndOfGasAlarmMs;
        const quint8 faults = m_memory.byteAt(Block::State, L::State::Faults);
        m_memory.setByte(Block::State, L::State::Faults, faults | L::State::FaultEndOfGas);
    } else {
        m_alarmMs = std::max(0, m_alarmMs - dtMs);
    }
    m_sinceLoadChangeMs = std::min(m_sinceLoadChangeMs + dtMs, 1000000);
    if (running())
        ++m_tick;

    const bool gas = running() && m_switch.valveOpen();
    m_petrolEcu.step(dtMs / 1000.0, needUs(), m_installation,
                     gas ? std::function<double(double)>([this](double p) { return gasTimeUs(p); }) : nullptr);

    writeLive();
    syncCommandBlock();
}

void EngineModel::moveEngine(double dtS)
{
    const double desired = m_key ? std::max(m_targetRpm, C::IdleRpm) : 0.0;
    m_rpm = approach(m_rpm, desired, (m_rpm < desired ? C::RpmRiseRate : C::RpmFallRate) * dtS);

    if (running())
        m_tempC = approach(m_tempC, C::WarmTempC, C::WarmUpRate * dtS);
    else
        m_tempC = approach(m_tempC, C::AmbientTempC, C::CoolDownRate * dtS);

    m_levelFiltered = lag(m_levelFiltered, m_tank * C::LevelCountsPerPct, dtS, C::LevelFilterTimeConstantS);

    if (m_key) {
        const double nominal = isCng() ? C::CngPressureMbar : C::LpgPressureMbar;
        const double supply = m_tank >= C::TankEmptyPct ? 1.0 : m_tank / C::TankEmptyPct;
        const double flow = m_switch.valveOpen() ? C::FlowDropMbar * m_gasUs / C::MaxGasUs : 0.0;
        m_pressure = lag(m_pressure, nominal * supply - flow, dtS, C::PressureTimeConstantS);
    }
}

// The engine's fuel need, as the petrol time that feeds it on petrol: the
// manifold pressure (load, and the throttle that holds a speed above idle)
// times the petrol injectors' flow.
double EngineModel::needUs() const
{
    const double desired = std::max(m_targetRpm, C::IdleRpm);
    const bool cutOff = m_load == 0 && m_rpm > C::CutOffRpm && m_rpm > desired + C::SteadyBandRpm;
    if (!running() || cutOff)
        return 0.0;
    return manifoldMbar() * C::PetrolUsPerMbar;
}

double EngineModel::manifoldMbar() const
{
    if (!running())
        return C::StoppedManifoldMbar;
    const double byLoad = C::IdleManifoldMbar + (m_fullLoadMbar - C::IdleManifoldMbar) * m_load / 100.0;
    const double bySpeed = C::NoLoadMbarPerRpm * std::max(0.0, m_rpm - C::IdleRpm) * (1.0 - m_load / 100.0);
    return std::min(m_fullLoadMbar, byLoad + bySpeed);
}

int EngineModel::pointOf(double petrolUs) const
{
    const int spacingUs = m_memory.byteAt(Block::Block5, L::Block5::Spacing) * 5;
    return std::clamp(static_cast<int>(petrolUs / (spacingUs > 0 ? spacingUs : 255)), 0, L::MapPoints - 1);
}

// The gas ECU's correction for a petrol time: in tuning mode value 5 of the
// command block alone, otherwise the calibration line's point alone.
double EngineModel::correctionAt(double petrolUs) const
{
    if (tuning())
        return static_cast<qint16>(m_memory.wordAt(Block::State, L::State::GlobalCorrection));
    return correctionUs(pointOf(petrolUs));
}

double EngineModel::gasTimeUs(double petrolUs) const
{
    const double maxGasUs = running() ? std::min(C::MaxGasUs, C::GasDutyLimit * 120e6 / m_rpm) : C::MaxGasUs;
    if (petrolUs <= 0)
        return 0.0;
    return std::clamp((petrolUs + correctionAt(petrolUs)) * bandFactor(), 0.0, maxGasUs);
}

double EngineModel::correctionUs(int point) const
{
    if (m_memory.byteAt(Block::Block5, L::Block5::LineActive) == 0)
        return 0.0;
    const int stepUs = m_memory.byteAt(Block::Block5, L::Block5::Step) * 4;
    return static_cast<qint8>(m_memory.byteAt(Block::Map, point)) * stepUs;
}

double EngineModel::bandFactor() const
{
    int band = 3;
    for (int k = 0; k < 3; ++k) {
        if (m_rpm <= m_memory.byteAt(Block::Block5, L::Block5::BandLimit0 + k) * 100.0) {
            band = k;
            break;
        }
    }
    return m_memory.byteAt(Block::Block5, L::Block5::BandFactor0 + band) / 100.0;
}

int EngineModel::levelReading(double counts) const
{
    const int c = std::clamp<int>(std::lround(counts), 0, C::LevelFullScale);
    return correctedLevel(c);   // the inversion is its own inverse
}

int EngineModel::correctedLevel(int reading) const
{
    const bool inverted = m_memory.wordAt(Block::Config, L::Config::LevelSensor) & C::LevelInvertedFlag;
    return inverted ? C::LevelFullScale - reading : reading;
}

void EngineModel::writeLive()
{
    const bool r = running();
    const double rpm = r ? m_rpm : 0.0;
    m_needUs = needUs();
    m_petrolUs = m_needUs > 0 ? m_petrolEcu.timeUs() : 0.0;
    m_point = pointOf(m_petrolUs);
    m_correctionUs = correctionAt(m_petrolUs);

    const double maxGasUs = r ? std::min(C::MaxGasUs, C::GasDutyLimit * 120e6 / rpm) : C::MaxGasUs;
    m_gasUs = r && m_switch.valveOpen() ? gasTimeUs(m_petrolUs) : 0.0;

    const bool transient = r
        && (std::abs(std::max(m_targetRpm, C::IdleRpm) - m_rpm) > C::SteadyBandRpm || m_petrolUs == 0
            || m_sinceLoadChangeMs < 500);
    const int status = (r ? L::Live::StatusRunning : 0) | (m_switch.valveOpen() && m_key ? L::Live::StatusValve : 0)
        | (transient ? L::Live::StatusTransient : 0);

    // The fuel sloshes while the engine runs: a triangle on the unfiltered reading.
    const int phase = m_tick % C::LevelSloshPeriodTicks;
    const double half = C::LevelSloshPeriodTicks / 2.0;
    const double slosh = r ? C::LevelSloshCounts * (std::abs(phase - half) / half * 2.0 - 1.0) : 0.0;
    m_levelRaw = levelReading(m_tank * C::LevelCountsPerPct + slosh);
    const int filtered = levelReading(m_levelFiltered);

    SwitchLeds::Inputs leds;
    leds.ignition = m_key;
    leds.phase = m_switch.phase();
    leds.level = correctedLevel(filtered);
    for (int k = 0; k < 4; ++k)
        leds.thresholds[k] = m_memory.wordAt(Block::Config, L::Config::LevelThreshold0 + 2 * k);
    leds.alarm = m_alarmMs > 0;
    leds.faults = m_memory.byteAt(Block::State, L::State::Faults) != 0;
    m_leds = m_powered ? SwitchLeds::word(leds) : 0;

    const double manifold = manifoldMbar();
    // On sensor code 0 the pressure input reads the manifold-pressure sensor.
    const bool mapSensor = m_memory.byteAt(Block::Config, L::Config::PressureSensor) == C::MapSensorCode;
    const double pressureReading = mapSensor
        ? C::MapSensorZeroCounts + manifold * C::MapSensorCountsPerMbar
        : m_pressure;
    const double period = r ? std::min(65535.0, C::PeriodConstant / (rpm * speedFactor())) : 0.0;

    const Block live = Block::Live;
    m_memory.setWord(live, L::Live::GasTime, rawWord(m_gasUs, 4));
    m_memory.setWord(live, L::Live::PetrolTime, rawWord(m_petrolUs, 4));
    m_memory.setWord(live, L::Live::MaxGasTime, rawWord(maxGasUs, 4));
    m_memory.setWord(live, L::Live::Correction,
                     static_cast<quint16>(static_cast<qint16>(std::clamp<long>(std::lround(m_correctionUs / 4), -32768, 32767))));
    m_memory.setWord(live, L::Live::Period, rawWord(period, 1));
    m_memory.setWord(live, L::Live::Pressure, rawWord(pressureReading, 1));
    m_memory.setByte(live, L::Live::Status, static_cast<quint8>(status));
    m_memory.setWord(live, L::Live::LevelFiltered, static_cast<quint16>(filtered));
    m_memory.setWord(live, L::Live::LevelRaw, static_cast<quint16>(m_levelRaw));
    m_memory.setByte(live, L::Live::Temperature, static_cast<quint8>(static_cast<qint8>(std::lround(m_tempC))));
    m_memory.setWord(live, L::Live::Leds, m_leds);
    m_memory.setByte(live, L::Live::WorkingPoint, static_cast<quint8>(m_point));
    m_memory.setByte(live, L::Live::Battery, static_cast<quint8>((r ? C::ChargingMv : C::BatteryMv) / 100));
    m_memory.setWord(live, L::Live::Manifold, rawWord(manifold, 1));
}

QString EngineModel::describe() const
{
    const QString fuel = QString::fromLatin1(m_switch.onGas() ? "gas" : "petrol");
    return QStringList{
        QStringLiteral("key=%1").arg(m_key ? "on" : "off"),
        QStringLiteral("running=%1").arg(running() ? 1 : 0),
        QStringLiteral("rpm=%1").arg(std::lround(running() ? m_rpm : 0.0)),
        QStringLiteral("target=%1").arg(std::lround(m_targetRpm)),
        QStringLiteral("load=%1").arg(m_load),
        QStringLiteral("tank=%1").arg(m_tank),
        QStringLiteral("temp=%1").arg(std::lround(m_tempC)),
        QStringLiteral("request=%1").arg(m_switch.gasRequested() ? "gas" : "petrol"),
        QStringLiteral("fuel=%1").arg(fuel),
        QStringLiteral("phase=%1").arg(QString::fromLatin1(FuelSwitch::phaseName(m_switch.phase()))),
        QStringLiteral("petrol_us=%1").arg(std::lround(m_petrolUs)),
        QStringLiteral("gas_us=%1").arg(std::lround(m_gasUs)),
        QStringLiteral("pressure=%1").arg(std::lround(m_pressure)),
        QStringLiteral("level=%1").arg(m_levelRaw),
        QStringLiteral("point=%1").arg(m_point),
        QStringLiteral("corr_us=%1").arg(std::lround(m_correctionUs)),
        QStringLiteral("need_us=%1").arg(std::lround(m_needUs)),
        QStringLiteral("trim=%1").arg(m_petrolEcu.trim(), 0, 'f', 3),
        QStringLiteral("tuning=%1").arg(tuning() ? 1 : 0),
        QStringLiteral("flow=%1").arg(m_installation.flowPct),
        QStringLiteral("offset_us=%1").arg(m_installation.offsetUs),
        QStringLiteral("leds=0x%1").arg(m_leds, 4, 16, QLatin1Char('0')),
        QStringLiteral("power=%1").arg(m_powered ? "on" : "off"),
    }.join(QLatin1Char(' '));
}
