#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// One request taken from the program's pipe.
struct Request
{
    enum class Kind {
        Frame,       // a whole frame: command and data are valid
        Malformed,   // bytes that are no frame; problem says why
        EndOfInput,  // the program closed its end of the pipe
    };

    Kind kind = Kind::EndOfInput;
    quint8 command = 0;
    QByteArray data;
    QString problem;
};
