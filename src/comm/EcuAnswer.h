#pragma once

#include "EcuStatus.h"

#include <QByteArray>

// What came back from the ECU for one message, and how it is judged.
struct EcuAnswer
{
    EcuStatus status = EcuStatus::NoAnswer;
    QByteArray bytes;  // everything read, also when incomplete or malformed
};
