#pragma once

// Data-byte indexes (0-based, header removed) of the block values that the
// engine model reads or writes: value k of a record is the k-th variable of
// its list in SetCom.ini, whose 1-based answer position is index + 6.
namespace EcuLayout {

namespace Live {
constexpr int GasTime = 0;        // UW x4 us
constexpr int PetrolTime = 2;     // UW x4 us
constexpr int MaxGasTime = 4;     // UW x4 us
constexpr int Correction = 6;     // SW x4 us
constexpr int Period = 8;         // UW us
constexpr int Pressure = 10;      // UW mbar
constexpr int Status = 12;        // UB bits
constexpr int LevelFiltered = 13; // UW counts
constexpr int LevelRaw = 15;      // UW counts
constexpr int Temperature = 17;   // SB degC
constexpr int Leds = 18;          // UW bits
constexpr int WorkingPoint = 20;  // UB
constexpr int Battery = 21;       // UB x100 mV
constexpr int Manifold = 22;      // UW mbar
constexpr int StatusRunning = 0x01;
constexpr int StatusValve = 0x02;
constexpr int StatusTransient = 0x04;
} // namespace Live

namespace State {
constexpr int Requested = 0;      // UB fuel code
constexpr int Confirmed = 1;      // UB fuel code
constexpr int Mode = 2;           // UB bits
constexpr int Faults = 3;         // UB bits
constexpr int GlobalCorrection = 5; // SW us
constexpr int ModeStateRequest = 0x01;
constexpr int ModeTuning = 0x02;  // autotuning: gas at once and held, value 5 the whole correction
constexpr int FaultEndOfGas = 0x01;
} // namespace State

namespace Config {
constexpr int SwitchTemperature = 0;  // UB degC
constexpr int Overlap = 2;            // UW ms
constexpr int LevelSensor = 9;       // UW type + flags
constexpr int LevelThreshold0 = 11;   // 4 x UW counts, ascending
constexpr int Enables = 19;           // UB bits
constexpr int Hysteresis = 20;        // UW rpm
constexpr int Delay = 22;             // UW ms
constexpr int SwitchPeriod = 24;      // UW us
constexpr int ForcedTime = 28;        // UW ms
constexpr int EndOfGasPressure = 30;  // UW mbar
constexpr int EndOfGasTime = 32;      // UW ms
constexpr int SpeedFactor = 34;       // UB 1 or 2
constexpr int PressureSensor = 41;    // UB code, 0 = manifold-pressure sensor
constexpr int EnableEndOfGas = 0x01;
constexpr int EnableDeceleration = 0x02;
constexpr int EnableCng = 0x08;
} // namespace Config

namespace Block5 {
constexpr int Spacing = 9;        // UB x5 us
constexpr int Step = 10;          // UB x4 us
constexpr int LineActive = 11;    // UB
constexpr int BandLimit0 = 12;    // 4 x UB x100 rpm
constexpr int BandFactor0 = 16;   // 4 x UB %
} // namespace Block5

constexpr int MapPoints = 56;

} // namespace EcuLayout
