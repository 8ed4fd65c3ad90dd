#pragma once

#include <cstdint>

// Byte 3 of every reply frame: how the request went on the ECU side.
// The values are fixed by docs/protocol.md; the program only tests for Success.
enum class EcuStatus : std::uint8_t {
    NoAnswer = 0,         // nothing (or not enough) came within the time-outs
    Success = 1,
    Malformed = 2,        // bad header, bad length or bad checksum
    Refused = 3,          // negative answer (0x7F)
    PortMissing = 4,
    PortPermission = 5,
    PortCannotOpen = 6,
    NoPortOpen = 7,
    BadRequest = 8,       // the request frame itself was wrong
};
