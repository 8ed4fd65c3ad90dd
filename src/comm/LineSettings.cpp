#include "LineSettings.h"

namespace {
constexpr int IdentityOffset = 5;  // after 41 02 LEN 61 01
}

qint32 LineSettings::baudForMajor(quint8 major)
{
    switch (major) {
    case 0x01: return 57600;
    case 0x02: return 115200;
    default: return 19200;
    }
}

bool LineSettings::selectFromProbe(const QByteArray &probe)
{
    // Header, at least one identity byte, checksum.
    if (probe.size() < IdentityOffset + 2)
        return false;
    m_baud = baudForMajor(static_cast<quint8>(probe.at(IdentityOffset)));
    return true;
}
