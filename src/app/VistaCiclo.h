#pragma once

#include "app/Operazione.h"

#include <QString>

namespace gascal {

// What a front end does at each point of the program's cycle: the windows
// show the search, the operation and the way out; the command-line tool
// needs none of it. Every hook does nothing unless overridden.
class VistaCiclo
{
public:
    virtual ~VistaCiclo() = default;

    // The search for the ECU starts (the link must be made again).
    virtual void InizioRicerca() {}
    // Writes chosen for the ECU that went away were dropped: the operation
    // dropped (Nessuna when only queued values went).
    virtual void ScrittureScartate(Operazione) {}
    // The search ended; `titoloCambiato` when the title's map file was
    // taken away (it belongs to another ECU than the one found).
    virtual void FineRicerca(bool titoloCambiato) { Q_UNUSED(titoloCambiato) }
    // A restore journal found for the ECU was put back: `testo` says what.
    virtual void RipristinoAllaConnessione(const QString &testo) { Q_UNUSED(testo) }
    // A cycle in the connected state.
    virtual void Collegato() {}
    // Work on the ECU starts or ends (the pages are disabled meanwhile).
    virtual void InizioOperazione() {}
    virtual void FineOperazione(const EsitoOperazione &esito) { Q_UNUSED(esito) }
    // The autotuning's step, in the autotuning state; false when there is
    // none (the state goes back to connected).
    virtual bool PassoTaratura() { return false; }
    // The user chose to work without an ECU.
    virtual void InizioOffline() {}
    // One cycle offline (a file to show, ...).
    virtual void PassoOffline() {}
    // The program ends: before the restore of what the ECU holds, and after it.
    virtual void PrimaDellaChiusura() {}
    virtual void Chiusura() {}
    // A live read succeeded (the datalog takes its row).
    virtual void Lettura() {}
};

} // namespace gascal
