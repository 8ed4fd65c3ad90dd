#pragma once

namespace gascal {

class Contesto;
class MDIFrm;

// Carries out the pending operation that a window asked for: the mode
// commands, the block write sequences, the map file save and load. Run by
// the frame's Timer1 only, between two polling cycles.
class EsecutoreOperazioni
{
public:
    EsecutoreOperazioni(Contesto &ctx, MDIFrm &frame) : m_ctx(ctx), m_frame(frame) {}

    // Carries out OperazioneRichiesta and clears it.
    void EseguiOperazione();
    // Puts the restore journal back (the interpolation closed) and tells how it went.
    void EseguiRipristino();

private:
    // True when the file was written; `segnalato` when a failure was already told.
    bool CaricaMappa(bool &segnalato);
    void ErroreOperazione(bool conIcona = true);
    // The map file now named in the title belongs to the ECU connected.
    void TitoloDaQuestaEcu();

    Contesto &m_ctx;
    MDIFrm &m_frame;
};

} // namespace gascal
