#pragma once

#include "app/Operazione.h"
#include "mapfile/Mappa.h"

#include <QString>

namespace gascal {

class Contesto;

// Carries out the operations that the pages and the commands ask for: the
// block write sequences, the switch, the map file save and load. While one
// runs the program is in the operation state; the windows run the pending
// request between two polling cycles, gascal-cli runs its command's one.
class OperazioniEcu
{
public:
    explicit OperazioniEcu(Contesto &ctx) : m_ctx(ctx) {}

    // Carries out the pending request (OperazioneRichiesta) and clears it.
    EsitoOperazione EseguiRichiesta();
    // Carries out one operation; a map save or load uses `file`, else the
    // file named in FileDefinizioni.
    EsitoOperazione Esegui(Operazione operazione, const QString &file = {});
    // Puts a restore journal back (the interpolation closed); its text says how.
    EsitoOperazione Ripristina();

    // A map file chosen by the user is shown against the ECU before it is
    // written (the definition files of a reset are not).
    Mappa::Conferma Conferma;
    // The copy of the ECU's blocks that the last map load made first.
    const QString &FileBackup() const { return m_backup; }

private:
    bool SalvaMappa(const QString &percorso, EsitoOperazione &esito);
    bool CaricaMappa(const QString &percorso, EsitoOperazione &esito);

    Contesto &m_ctx;
    QString m_backup;
};

// The operation state around a piece of work on the ECU that the polling
// must not interleave with (a command's own reads and writes); the state
// goes back to connected at the end unless the work changed it.
class OperazioneInCorso
{
public:
    explicit OperazioneInCorso(Contesto &ctx);
    ~OperazioneInCorso();
    OperazioneInCorso(const OperazioneInCorso &) = delete;
    OperazioneInCorso &operator=(const OperazioneInCorso &) = delete;

private:
    Contesto &m_ctx;
};

} // namespace gascal
