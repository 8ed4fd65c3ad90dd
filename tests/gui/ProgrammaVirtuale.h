#pragma once
#include "BancoVirtuale.h"
#include "ui/main/MDIFrm.h"
#include <QTest>
#include <functional>
#include <memory>

// The frame on the in-process bench: its timers in real time, the waits in their ticks on the stepped clock.
struct ProgrammaVirtuale {
    explicit ProgrammaVirtuale(const QStringList &opzioniEcu = {}) : banco(opzioniEcu) {}
    ~ProgrammaVirtuale()
    {
        ctx.stato.UscitaRichiesta = 1;
        (void)QTest::qWaitFor([this] { return !frame || frame->Chiuso(); }, 5000);
    }
    // Start-up, the frame, and its search; true once connected.
    bool Connetti()
    {
        if (!banco.Avvia())
            return false;
        frame = std::make_unique<gascal::MDIFrm>(ctx);
        frame->MDIForm_Load();
        return QTest::qWaitFor([this] { return ctx.stato.StatoProgramma == gascal::StatoApp::Connesso; }, 10000);
    }
    bool AttendiOperazione() { return QTest::qWaitFor([this] { return !ctx.stato.OperazioneInAttesa(); }, 5000); }
    void MostraPagina(int n)
    {
        for (int giri = 0; ctx.stato.PaginaCorrente != n && giri < 3; ++giri)
            frame->CmdPage_Click();
    }
    // Runs `azione` every 50 ms of stepped time until it returns true.
    void Ogni50ms(std::function<bool()> azione)
    {
        banco.Tra(50, [this, azione] {
            if (!azione())
                Ogni50ms(azione);
        });
    }
    BancoVirtuale banco;
    gascal::Contesto &ctx = *banco.ctx;
    std::unique_ptr<gascal::MDIFrm> frame;
};
