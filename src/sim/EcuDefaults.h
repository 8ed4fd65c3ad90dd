#pragma once

#include <QByteArray>

class MemoryBlocks;

// The ECU's factory contents: an LPG (or CNG) installation on a
// four-cylinder engine idling on petrol with the ignition on.
// docs/ecu-memory.md lists the same values; keep the two in step.
class EcuDefaults
{
public:
    enum class Fuel { Lpg, Cng };

    // Identity data. LPG: version 01.28 of 28/11/2014, then "ECU GC-SQ4 LPG "
    // (with a trailing blank, so that the answer's checksum is 0x2B and not a
    // line feed). CNG: version 01.20 of 15/03/2013, "ECU GC-SQ4 CNG".
    static QByteArray identity(Fuel fuel = Fuel::Lpg);

    static QByteArray live(Fuel fuel = Fuel::Lpg);
    static QByteArray state();
    static QByteArray config(Fuel fuel = Fuel::Lpg);
    static QByteArray block5();
    static QByteArray production();
    static QByteArray map(Fuel fuel = Fuel::Lpg);

    static void apply(MemoryBlocks &memory, Fuel fuel = Fuel::Lpg);
};
