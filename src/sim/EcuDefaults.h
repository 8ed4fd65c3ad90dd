#pragma once

#include <QByteArray>

class MemoryBlocks;

// The ECU's factory contents: an LPG installation on a four-cylinder engine
// idling on petrol with the ignition on. docs/ecu-memory.md lists the same
// values; keep the two in step.
class EcuDefaults
{
public:
    // Identity data: version 01.28 of 28/11/2014, then "ECU GC-SQ4 LPG".
    static QByteArray identity();

    static QByteArray live();
    static QByteArray state();
    static QByteArray config();
    static QByteArray block5();
    static QByteArray production();
    static QByteArray map();

    static void apply(MemoryBlocks &memory);
};
