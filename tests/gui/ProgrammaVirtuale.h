#pragma once
#include "BancoVirtuale.h"
#include "ProgrammaProva.h"

// The frame on the in-process bench: its timers in real time, the waits in their ticks on the stepped clock.
struct ProgrammaVirtuale : FrameSuBanco<BancoVirtuale> {
    explicit ProgrammaVirtuale(const QStringList &opzioniEcu = {}) : FrameSuBanco(opzioniEcu) {}
    ~ProgrammaVirtuale()
    {
        ctx.stato.UscitaRichiesta = 1;
        (void)QTest::qWaitFor([this] { return !frame || frame->Chiuso(); }, 5000);
    }
    // Start-up, the frame, and its search; true once connected.
    bool Connetti()
    {
        return AvviaProgramma()
            && QTest::qWaitFor([this] { return ctx.stato.StatoProgramma == gascal::StatoApp::Connesso; }, 10000);
    }
    // Runs `azione` every 50 ms of stepped time until it returns true.
    void Ogni50ms(std::function<bool()> azione)
    {
        banco.Tra(50, [this, azione] {
            if (!azione())
                Ogni50ms(azione);
        });
    }
};
