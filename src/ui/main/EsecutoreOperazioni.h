#pragma once

#include "app/Operazione.h"

namespace gascal {

class Contesto;
class MDIFrm;
class OperazioniEcu;

// What the windows show around an operation that the cycle carries out: the
// wait window's activity, the pages refreshed from what the ECU now holds,
// the file buttons' outcome and the message of a failure.
class EsecutoreOperazioni
{
public:
    EsecutoreOperazioni(Contesto &ctx, MDIFrm &frame) : m_ctx(ctx), m_frame(frame) {}

    // A map file chosen by the user is shown against the ECU before it is written.
    void Prepara(OperazioniEcu &operazioni);
    void Inizio();
    void Fine(const EsitoOperazione &esito);

private:
    void ErroreOperazione(bool conIcona = true);

    Contesto &m_ctx;
    MDIFrm &m_frame;
};

} // namespace gascal
