#pragma once

#include "interp/TabelleCampioni.h"

#include <QString>
#include <QVector>

namespace gascal {

class Dizionario;

// Why the interpolation window has no correction to show yet: which rows
// hold petrol and gas samples, that a correction needs both in one row, and
// what makes the engine's point stable enough for a sample. Texts from
// "[Frm_Interpola_2]".
class SpiegaCampioni
{
public:
    // Empty when the deflection has a correction to show.
    static QString Motivo(const Dizionario &diz, const TabelleCampioni &t, const QVector<qint32> &deflessione,
                          int stabilitaMs);
    // The rows of a table that hold a sample, numbered as the table text
    // numbers them, runs joined: "1, 2, 5-9"; empty when none.
    static QString Righe(const TabelleCampioni::Tabella &tabella);
};

} // namespace gascal
