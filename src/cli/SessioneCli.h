#pragma once

#include "app/CicloProgramma.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "app/VistaCiclo.h"

namespace gascal::cli {

// One run of the tool: the program's state on a program folder, PrjCom
// started, and the message boxes answered with their defaults (a time-out is
// a failure) and printed on standard error.
class SessioneCli
{
public:
    SessioneCli();
    ~SessioneCli();

    // Start-up on the program folder, whose settings files lie in
    // `cartellaImpostazioni` (empty: the program folder itself); false (with
    // the reason printed) when the program cannot run there. Without
    // `conPrjCom` only the settings are read: no process, no link, no ECU.
    bool Avvia(const QString &cartella, const QString &cartellaImpostazioni = {},
               bool conPrjCom = true);

    // Searches for the ECU for at most `secondi` and checks its firmware.
    // False, with the reason printed, when no ECU was read, when it has no
    // firmware, or (unless `accettaPiuNuovo`) when its firmware is newer than
    // this program's.
    // A restore journal left for the ECU found is put back first, and told.
    bool CercaEcu(int secondi, bool accettaPiuNuovo);

    // After a run whose restore could not reach the ECU (a pulled cable, a
    // power cut): waits up to `secondi` for it to answer again and puts its
    // journal back. True when nothing is left to put back.
    bool RipristinaAlRitorno(int secondi);

    ServiziUiScriptati ui;
    Contesto ctx;
    // The program's cycle, as the windows run it, with nothing to show on the way.
    VistaCiclo vista;
    CicloProgramma ciclo{ctx, vista};

private:
    bool m_avviata = false;
};

} // namespace gascal::cli
