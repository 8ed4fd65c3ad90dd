#include "EcuDefaults.h"

#include "BlockBuilder.h"
#include "MemoryBlocks.h"

#include <array>

QByteArray EcuDefaults::identity(Fuel fuel)
{
    if (fuel == Fuel::Cng)
        return QByteArray::fromHex("012015032013") + QByteArrayLiteral("ECU GC-SQ4 CNG");
    return QByteArray::fromHex("012828112014") + QByteArrayLiteral("ECU GC-SQ4 LPG ");
}

QByteArray EcuDefaults::live(Fuel fuel)
{
    const bool cng = fuel == Fuel::Cng;
    return BlockBuilder()
        .uw(0, 4)          // 0  gas injection time, us (on petrol: 0)
        .uw(2800, 4)       // 1  petrol injection time, us
        .uw(20000, 4)      // 2  longest gas injection time the cycle allows, us
        .sw(cng ? 384 : 128, 4) // 3  correction at the working point (map point 10), us
        .uw(37500)         // 4  speed period, us (30,000,000 / 37500 = 800 rpm at factor 1)
        .uw(cng ? 2000 : 1200) // 5  gas pressure, mbar
        .ub(0x01)          // 6  status: bit 0 ignition on / data valid, bit 1 gas valve, bit 2 transient
        .uw(512)           // 7  filtered level reading, 10-bit counts
        .uw(515)           // 8  unfiltered level reading, 10-bit counts
        .sb(65)            // 9  gas (reducer) temperature, degC
        .uw(cng ? 0x003F : 0x00FF) // 10 switch LEDs: red steady (petrol); level LEDs steady up to the level
        .ub(10)            // 11 working point of the calibration line, 0..55
        .ub(14100, 100)    // 12 battery voltage, mV
        .uw(350)           // 13 manifold pressure, mbar absolute
        .bytes();
}

QByteArray EcuDefaults::state()
{
    return BlockBuilder()
        .ub(0)             // 0 requested fuel: 0 petrol, 3 gas
        .ub(0)             // 1 fuel in use (confirmed): 0 petrol, 3 gas
        .ub(0)             // 2 mode flags: bit 0 state request, bit 1 tuning, bit 3 service
        .ub(0)             // 3 fault flags
        .ub(0)             // 4 service flags (kept as written)
        .sw(0)             // 5 gas correction, us (multiples of 64)
        .bytes();
}

QByteArray EcuDefaults::config(Fuel fuel)
{
    const bool cng = fuel == Fuel::Cng;
    return BlockBuilder()
        .ub(cng ? 20 : 35) // 0  switch-over temperature, degC (150 = not used)
        .ub(cng ? 7 : 2)   // 1  injector family code (CNG: rail 2 ohm)
        .uw(500)           // 2  petrol/gas overlap time, ms
        .uw(2000)          // 3  injector minimum PPG time, us
        .ub(cng ? 45 : 40) // 4  injector PWM off value
        .ub(cng ? 35 : 100) // 5  injector PWM on value
        .ub(0)             // 6  pedestal guard: 1 = on
        .uw(cng ? 0x0005 : 0x0001) // 7  level sensor: low byte type code (CNG: tank pressure), high byte flags (32 = inverted)
        .uw(cng ? 266 : 100) // 8  level threshold, lowest
        .uw(cng ? 410 : 300) // 9  level threshold
        .uw(cng ? 573 : 500) // 10 level threshold
        .uw(cng ? 737 : 700) // 11 level threshold, highest
        .ub(cng ? 0x09 : 0x01) // 12 enables: 1 end of gas, 2 direction, 4 emergency start, 8 CNG
        .uw(300)           // 13 deceleration hysteresis, rpm
        .uw(5000)          // 14 switch-over delay, ms
        .uw(20000)         // 15 switch-over speed as a period: 30,000,000 / 1500 rpm
        .uw(cng ? 2242 : 1992) // 16 minimum injector opening less 8 us (pedestal), us
        .uw(0)             // 17 forced switch-over time, ms (0 = off)
        .uw(cng ? 1500 : 600) // 18 end-of-gas pressure, mbar
        .uw(3000)          // 19 end-of-gas time, ms
        .ub(1)             // 20 engine-speed factor, 1 or 2
        .uw(0)             // 21 warm-up time (0 = off)
        .ub(25500, 100)    // 22 maximum-power speed, rpm (25500 = off)
        .uw(15872)         // 23 maximum-power injection time less 128 us, us
        .ub(1)             // 24 temperature sensor code
        .ub(cng ? 3 : 1)   // 25 pressure sensor code (0 = manifold-pressure interpolation; CNG: 0-10 bar)
        .ub(3)             // 26 sensitivity, tenths of a ms
        .ub(0)             // 27 lambda probe code (0 = none)
        .bytes();
}

QByteArray EcuDefaults::block5()
{
    return BlockBuilder()
        .ub(0).ub(6).ub(10).ub(16).ub(27).ub(35).ub(41).ub(49).ub(55)   // 0..8 pivots
        .ub(51)            // 9  point spacing of the petrol-time axis, units of 5 us (255 us)
        .ub(16)            // 10 correction step, units of 4 us (64 us)
        .ub(1)             // 11 calibration line active
        .ub(15).ub(30).ub(45).ub(60)      // 12..15 speed bands, units of 100 rpm
        .ub(100).ub(100).ub(100).ub(100)  // 16..19 speed band factors, % (100 = none)
        .bytes();
}

QByteArray EcuDefaults::production()
{
    return BlockBuilder()
        .uw(1234)          // 0 serial number in the lot
        .uw(87)            // 1 lot
        .ub(48)            // 2 week
        .uw(2014)          // 3 year
        .uw(1)             // 4 client
        .ub(0)             // 5 software line
        .ub(4)             // 6 number of cylinders
        .ub(1)             // 7 hardware configuration
        .bytes();
}

QByteArray EcuDefaults::map(Fuel fuel)
{
    // Correction of each point in steps of 64 us, signed bytes.
    static constexpr std::array<int, 56> lpg = {
        4, 4, 4, 4, 3, 3, 3, 3, 2, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1, -1, -1, -1, -1, -1, -2, -2, -2, -2, -2, -2, -2,
        -2, -2, -2, -2};
    // CNG needs longer gas times: larger corrections over the whole line.
    static constexpr std::array<int, 56> cng = {
        8, 8, 8, 8, 7, 7, 7, 7, 6, 6, 6, 6, 6, 5, 5, 5, 5, 4, 4, 4, 4, 4, 3, 3, 3, 3, 3, 3,
        3, 2, 2, 2, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    BlockBuilder b;
    for (int p : fuel == Fuel::Cng ? cng : lpg)
        b.sb(p);
    return b.bytes();
}

void EcuDefaults::apply(MemoryBlocks &memory, Fuel fuel)
{
    using B = MemoryBlocks::Block;
    memory.setData(B::Identity, identity(fuel));
    memory.setData(B::Live, live(fuel));
    memory.setData(B::State, state());
    memory.setData(B::Config, config(fuel));
    memory.setData(B::Block5, block5());
    memory.setData(B::Production, production());
    memory.setData(B::Map, map(fuel));
    memory.store();
}
