#include "FuelSwitch.h"

#include "EngineConstants.h"

void FuelSwitch::setRequest(bool gas)
{
    if (gas == m_requested)
        return;
    m_requested = gas;
    toPetrol();
    if (gas)
        m_phase = Phase::Waiting;
}

void FuelSwitch::toPetrol()
{
    m_phase = Phase::Petrol;
    m_waitedMs = m_heldMs = m_overlapMs = m_lowPressureMs = 0;
    m_speedOk = m_aboveSeen = false;
}

void FuelSwitch::step(int dtMs, const Settings &s, const Conditions &now)
{
    if (!now.running) {
        toPetrol();
        if (m_requested)
            m_phase = Phase::Waiting;
        return;
    }
    switch (m_phase) {
    case Phase::Petrol:
        return;
    case Phase::Waiting:
        stepWaiting(dtMs, s, now);
        return;
    case Phase::Overlap:
        m_overlapMs += dtMs;
        if (m_overlapMs >= s.overlapMs)
            m_phase = Phase::Gas;
        return;
    case Phase::Gas:
        m_lowPressureMs = s.endOfGas && now.pressureMbar < s.endOfGasMbar ? m_lowPressureMs + dtMs : 0;
        if (s.endOfGas && m_lowPressureMs >= s.endOfGasMs) {
            m_requested = false;
            ++m_endOfGasCount;
            toPetrol();
        }
        return;
    }
}

void FuelSwitch::stepWaiting(int dtMs, const Settings &s, const Conditions &now)
{
    m_waitedMs += dtMs;
    if (s.tuning) {
        m_phase = Phase::Overlap;
        m_overlapMs = 0;
        return;
    }
    const bool tempOk = s.switchTempC >= EngineConstants::NoTemperatureCondition
        || now.gasTempC >= s.switchTempC;
    const bool speedOk = speedConditionHolds(s, now.rpm);
    m_heldMs = tempOk && speedOk ? m_heldMs + dtMs : 0;
    const bool forced = s.forcedMs > 0 && tempOk && m_waitedMs >= s.forcedMs;
    if ((tempOk && speedOk && m_heldMs >= s.delayMs) || forced) {
        m_phase = Phase::Overlap;
        m_overlapMs = 0;
    }
}

bool FuelSwitch::speedConditionHolds(const Settings &s, double rpm)
{
    if (s.switchRpm <= 0)
        return true;
    if (s.onDeceleration) {
        if (rpm >= s.switchRpm)
            m_aboveSeen = true;
        else if (m_aboveSeen)
            m_speedOk = true;
    } else if (rpm >= s.switchRpm) {
        m_speedOk = true;
    } else if (rpm < s.switchRpm - s.hysteresisRpm) {
        m_speedOk = false;
    }
    return m_speedOk;
}

const char *FuelSwitch::phaseName(Phase phase)
{
    switch (phase) {
    case Phase::Petrol: return "petrol";
    case Phase::Waiting: return "waiting";
    case Phase::Overlap: return "overlap";
    case Phase::Gas: return "gas";
    }
    return "?";
}
