#pragma once

#include <QString>
#include <QStringList>

namespace gascal {

class ServiziUi;

// The check before an autotuning starts, before anything is written: the
// profile the run would read (the file, else the built-in one), in both
// fuel columns, and both model tables, against RegoleProfilo. The fuel is
// chosen during the run, so a value out of range in either column stops it.
class ControlloProfilo
{
public:
    // Empty when the run may start; else the message that refuses it,
    // naming the profile, each key or model row and its range.
    static QString Rifiuto(const QString &percorso, ServiziUi &ui, const QString &sepDecimale);
    // The same on the lines of a profile called `nome`.
    static QString RifiutoRighe(const QStringList &righe, const QString &nome, const QString &sepDecimale);
};

} // namespace gascal
