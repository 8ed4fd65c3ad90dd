#pragma once

// Every number that shapes the virtual engine, in one place. Times are in
// milliseconds or microseconds as named, speeds in rpm, pressures in mbar.
namespace EngineConstants {

// Model tick.
constexpr int TickMs = 50;

// Engine speed.
constexpr double IdleRpm = 800.0;            // speed with the key on and no target above it
constexpr double MaxRpm = 7000.0;            // targets are clipped here
constexpr double RunningRpm = 300.0;         // below this the engine counts as stopped
constexpr double RpmRiseRate = 3000.0;       // rpm per second while speeding up
constexpr double RpmFallRate = 2000.0;       // rpm per second while slowing down
constexpr double PeriodConstant = 30000000.0; // period = this / (rpm x speed factor)
constexpr double SteadyBandRpm = 50.0;       // closer than this to the target = steady

// Engine load and manifold pressure (absolute).
constexpr double IdleManifoldMbar = 350.0;   // closed throttle
constexpr double FullManifoldMbar = 1000.0;  // wide open throttle (no turbo)
constexpr double MaxBoostMbar = 2500.0;      // highest full-load pressure of a turbo ("boost")
constexpr double StoppedManifoldMbar = 1000.0; // engine stopped: atmospheric
constexpr double CutOffRpm = 1600.0;         // closed throttle above this: petrol cut-off
constexpr double NoLoadMbarPerRpm = 0.04;    // holding a speed above idle takes some throttle

// Petrol injection time computed by the car's own ECU.
constexpr double PetrolUsPerMbar = 8.0;      // 350 mbar at idle gives 2800 us

// The petrol ECU's closed-loop fuel trim (PetrolEcu): a factor on the need.
constexpr double TrimTimeConstantS = 1.0;    // lag of the lambda loop
constexpr double TrimMin = 0.6;              // trim limits
constexpr double TrimMax = 1.6;
constexpr double TrimNoise = 0.003;          // +-0.3 % on the time the gas ECU reads

// The default gas installation: injectors 15 % short of their nominal flow
// and 250 us of dead time not covered by the settings.
constexpr double GasFlowPct = 85.0;
constexpr double GasOffsetUs = 250.0;

// Gas injection limits.
constexpr double MaxGasUs = 20000.0;         // longest gas injection time at low speed
constexpr double GasDutyLimit = 0.8;         // share of the engine cycle that gas may use

// Gas pressure (relative to the manifold).
constexpr double LpgPressureMbar = 1200.0;   // reducer output, LPG
constexpr double CngPressureMbar = 2000.0;   // reducer output, CNG
constexpr double TankEmptyPct = 3.0;         // below this the pressure collapses
constexpr double FlowDropMbar = 150.0;       // pressure lost at the longest gas injection
constexpr double PressureTimeConstantS = 0.5;

// Manifold-pressure sensor on the pressure input (pressure sensor code 0):
// 5 bar absolute over 0.5..4.5 V, read in 10 bits (5 V = 1024).
constexpr int MapSensorCode = 0;
constexpr double MapSensorZeroCounts = 102.4;      // 0.5 V
constexpr double MapSensorCountsPerMbar = 0.16384; // 4 V = 819.2 counts for 5000 mbar

// Gas (reducer) temperature.
constexpr double WarmTempC = 65.0;           // reached with the engine running
constexpr double AmbientTempC = 20.0;        // approached with the engine stopped
constexpr double WarmUpRate = 0.5;           // degC per second, engine running
constexpr double CoolDownRate = 0.1;         // degC per second, engine stopped

// Gas level sensor: 10-bit reading, 5 V = 1024.
constexpr double LevelCountsPerPct = 10.23;  // full tank reads 1023
constexpr int LevelFullScale = 1023;
constexpr int LevelInvertedFlag = 0x2000;    // flag 32 in the high byte of the sensor word
constexpr double LevelFilterTimeConstantS = 1.0;
constexpr int LevelSloshCounts = 3;          // ripple of the unfiltered reading, engine running
constexpr int LevelSloshPeriodTicks = 40;    // 2 s

// Battery.
constexpr int ChargingMv = 14100;            // engine running
constexpr int BatteryMv = 12400;             // engine stopped

// Switch-over.
constexpr int NoTemperatureCondition = 150;  // switch-over temperature meaning "none"
constexpr int NoSpeedCondition = 65535;      // switch-over period meaning "none"
constexpr int EndOfGasAlarmMs = 5000;        // fast beeps after an end-of-gas fall-back
constexpr int FuelGas = 3;                   // fuel codes of the command block
constexpr int FuelPetrol = 0;

} // namespace EngineConstants
