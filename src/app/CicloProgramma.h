#pragma once

#include "ecu/OperazioniEcu.h"
#include "ecu/RitmoLettura.h"

namespace gascal {

class Contesto;
class VistaCiclo;

// The program's cycle, one turn per tick of the frame's Timer1 (50 ms): the
// connection state machine (search, connected, operation, autotuning,
// offline, close), the polling pace while connected and the requested
// operations between two polls. The windows and gascal-cli drive the same
// cycle; what each shows on the way is its VistaCiclo.
class CicloProgramma
{
public:
    CicloProgramma(Contesto &ctx, VistaCiclo &vista);

    // One turn of the cycle.
    void Passo();

    // The search for the ECU (until it answers, the user stops it or the
    // program must close; with a limit, at most that long): what was chosen
    // for the ECU that went away is dropped first, and so is what came up
    // while searching. True when the time ran out.
    bool Ricerca(int limiteMs = 0);
    // The found ECU's firmware against the expected one (an ECU without
    // firmware asks for an update, a newer one ends the program).
    void VerificaFirmware();
    // A restore journal left for the ECU found is put back; its text, empty
    // when there was none.
    QString RipristinoPendente();

    // The operations and the polling, for a caller that runs its own loop.
    OperazioniEcu &Operazioni() { return m_operazioni; }
    RitmoLettura &Ritmo() { return m_ritmo; }

private:
    void ScartaScritture();
    void Esegui(const std::function<EsitoOperazione()> &lavoro);

    Contesto &m_ctx;
    VistaCiclo &m_vista;
    OperazioniEcu m_operazioni;
    RitmoLettura m_ritmo;
};

} // namespace gascal
