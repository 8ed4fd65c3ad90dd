#pragma once

#include "link/RapportoPorta.h"

#include <QString>

namespace gascal {

class Dizionario;

// A port report in the user's language ("[Frm_Wait_2]"): where ("port 3
// (/dev/ttyUSB0)") and why no ECU was found there. Without the section it
// is the report's own English text.
class TestoDiagnosi
{
public:
    static QString Testo(const RapportoPorta &r, const Dizionario &diz);
    static QString Dove(const RapportoPorta &r, const Dizionario &diz);
    static QString Causa(const RapportoPorta &r, const Dizionario &diz);
};

} // namespace gascal
