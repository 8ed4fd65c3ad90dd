#pragma once

#include "EcuStatus.h"

#include <QByteArray>
#include <QtGlobal>

// One reply to the program; the port and mode bytes are filled in by the writer's caller.
struct Reply
{
    quint8 code = 0;
    EcuStatus status = EcuStatus::Success;
    QByteArray payload;
};
