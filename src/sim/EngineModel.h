#pragma once

#include "FuelSwitch.h"
#include "MemoryBlocks.h"
#include "PetrolEcu.h"
#include "SimTimer.h"

#include <QObject>
#include <QString>

class TimeSource;

// The car behind the virtual ECU: ignition key, engine speed, throttle
// load, tank level and reducer temperature are the driver's inputs; every
// tick the model moves the engine toward them, runs the ECU's change-over
// logic (FuelSwitch) with the settings of the configuration block, and
// writes the live block and the fuel values of the command block through
// MemoryBlocks' accessors. The constants are in EngineConstants.h.
//
// Started from the factory contents it reproduces them: key on, idling at
// 800 rpm on petrol, half a tank, warm reducer. It ticks on the event loop's
// timers, or on a test's virtual time when given a TimeSource.
class EngineModel : public QObject
{
    Q_OBJECT

public:
    explicit EngineModel(MemoryBlocks &memory, TimeSource *time = nullptr, QObject *parent = nullptr);

    void start();   // the periodic tick

    void setKey(bool on);
    void setTargetRpm(double rpm);     // below idle: idle
    void setLoad(double percent);      // throttle, 0..100
    void setTank(double percent);      // 0..100
    void setGasTemperature(double celsius);
    // Manifold pressure at full load: 1000 mbar without a turbo, more with one.
    void setBoost(double mbar);
    void requestFuel(bool gas);        // the driver's switch button
    // The gas installation's error (PetrolEcu::Installation).
    void setGasFlow(double percent);   // 50..150
    void setGasOffset(double us);      // -1000..1000
    // The ECU's supply. Off, the ECU does nothing: the gas valve closes and
    // the car runs on petrol, and the ECU's running state is gone (the fuel
    // request and the confirmed fuel back to petrol, the mode flags of the
    // command block cleared: no state request, no tuning mode). Every other
    // byte stays as last written: the ECU keeps its settings in memory that
    // survives the supply, so it comes back with them.
    void setPowered(bool on);
    bool powered() const { return m_powered; }
    // Model seconds per second of wall time: each tick runs this many steps.
    void setTimeScale(int factor);

    // One model step of dtMs milliseconds (the tick calls it).
    void step(int dtMs);
    // Takes the fuel request from the command block when its state request
    // bit is set, and puts the ECU's own fuel values back into it; called
    // after each write of the block and on every tick.
    void syncCommandBlock();

    // The main engine values on one line, "name=value" pairs.
    QString describe() const;

private:
    using Block = MemoryBlocks::Block;

    FuelSwitch::Settings switchSettings() const;
    bool running() const;
    bool isCng() const;
    int speedFactor() const;
    void moveEngine(double dtS);
    void writeLive();
    double needUs() const;
    double manifoldMbar() const;
    int pointOf(double petrolUs) const;
    double correctionAt(double petrolUs) const;
    double gasTimeUs(double petrolUs) const;
    bool tuning() const;
    double correctionUs(int point) const;
    double bandFactor() const;
    int levelReading(double percent) const;
    int correctedLevel(int reading) const;

    MemoryBlocks &m_memory;
    SimTimer m_timer;
    FuelSwitch m_switch;
    PetrolEcu m_petrolEcu;
    PetrolEcu::Installation m_installation;
    bool m_petrolDeferred = false;   // a petrol request held off by the tuning mode
    bool m_powered = true;
    int m_timeScale = 1;

    bool m_key = true;
    double m_targetRpm;
    double m_rpm;
    double m_load = 0;
    double m_fullLoadMbar;
    double m_tank = 50;
    double m_tempC;
    double m_pressure;
    double m_levelFiltered;     // counts, before rounding
    int m_tick = 0;
    int m_sinceLoadChangeMs = 1000000;
    int m_alarmMs = 0;          // end-of-gas alarm left
    int m_endOfGasSeen = 0;

    // What the last step wrote, for describe().
    double m_petrolUs = 0;
    double m_gasUs = 0;
    double m_needUs = 0;
    double m_correctionUs = 0;
    int m_point = 0;
    int m_levelRaw = 0;
    quint16 m_leds = 0;
};
