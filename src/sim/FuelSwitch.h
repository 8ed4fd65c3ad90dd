#pragma once

// The ECU's change-over between petrol and gas. The engine starts on
// petrol; once gas is requested the ECU waits until the reducer is warm
// enough and the engine speed condition holds, keeps waiting for the
// switch-over delay while both hold, runs both fuels for the overlap time
// and then confirms gas. A petrol request, or the engine stopping, goes
// back to petrol at once (a gas request survives a stop, so a restart
// switches again). With end-of-gas management on, a gas pressure below
// its threshold for its time falls back to petrol and drops the request.
class FuelSwitch
{
public:
    enum class Phase { Petrol, Waiting, Overlap, Gas };

    struct Settings
    {
        int switchTempC = 35;          // 150 = no temperature condition
        double switchRpm = 1500;       // 0 = no speed condition
        int hysteresisRpm = 300;       // speeding up: the condition holds until rpm < switchRpm - this
        bool onDeceleration = false;   // switch when the speed falls back below switchRpm
        int delayMs = 5000;
        int overlapMs = 500;
        int forcedMs = 0;              // > 0: switch after this long with only the temperature condition
        bool endOfGas = true;
        int endOfGasMbar = 600;
        int endOfGasMs = 3000;
        bool tuning = false;           // tuning mode: a gas request goes straight to the overlap
    };

    struct Conditions
    {
        bool running = false;
        double rpm = 0;
        double gasTempC = 0;
        double pressureMbar = 0;
    };

    // A change of request; asking again for what is already asked changes nothing.
    void setRequest(bool gas);
    bool gasRequested() const { return m_requested; }

    void step(int dtMs, const Settings &settings, const Conditions &now);

    Phase phase() const { return m_phase; }
    bool onGas() const { return m_phase == Phase::Gas; }
    bool valveOpen() const { return m_phase == Phase::Overlap || m_phase == Phase::Gas; }
    // How many times the end-of-gas management fell back to petrol.
    int endOfGasCount() const { return m_endOfGasCount; }

    static const char *phaseName(Phase phase);

private:
    void toPetrol();
    void stepWaiting(int dtMs, const Settings &s, const Conditions &now);
    bool speedConditionHolds(const Settings &s, double rpm);

    bool m_requested = false;
    Phase m_phase = Phase::Petrol;
    int m_waitedMs = 0;      // since the request (or the start)
    int m_heldMs = 0;        // conditions held without a break
    int m_overlapMs = 0;
    int m_lowPressureMs = 0;
    bool m_speedOk = false;
    bool m_aboveSeen = false;
    int m_endOfGasCount = 0;
};
