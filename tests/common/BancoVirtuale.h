#pragma once

#include "BancoCartella.h"
#include "EcuInterna.h"
#include "OrologioPasso.h"
#include "PrjComInterno.h"

#include <QStringList>

#include <functional>

// A test bench whose time is the test's own: the program folder, the
// program's state for it with its link on PrjCom and the virtual ECU in this
// very process, and a stepped clock that is the process's clock while the
// bench lives. Whatever the program waits for (a reply, a settling engine,
// ten minutes of road) takes as long as the work in it, not as long as the wait.
class BancoVirtuale : public BancoCartella
{
public:
    // `opzioniEcu`: ecusim's options for the ECU (see EcuInterna).
    explicit BancoVirtuale(const QStringList &opzioniEcu = {});
    ~BancoVirtuale() override { ctx.reset(); }

    // Start-up and search; true when connected.
    bool Collega() { return Avvia() && Cerca(); }

    // Puts another program state's link (the command-line tool's session)
    // on a PrjCom of its own in this process, with this bench's ECU.
    PrjComInterno &Aggancia(gascal::Contesto &altro);

    // A line of the ECU's control channel, and its answer.
    QString Controllo(const QString &comando) { return ecu.Comando(comando); }

    // Lets the stepped time run until `pronta` holds or `ms` have passed;
    // true when it held.
    bool AttendiFino(const std::function<bool()> &pronta, double ms)
    {
        return orologio.Attendi(orologio.Ora_us() + ms * 1000.0, pronta);
    }
    // Lets `ms` of stepped time pass.
    void Passa(double ms) { orologio.Avanza(ms * 1000.0); }
    // Runs `azione` once `ms` of stepped time from now have passed.
    void Tra(double ms, std::function<void()> azione) { orologio.Tra(ms * 1000.0, std::move(azione)); }

    OrologioPasso orologio;
    EcuInterna ecu;
    // The link's peer (the link owns it).
    PrjComInterno *prjcom = nullptr;

protected:
    QByteArray DatiBlocco(int n) override
    {
        return n < MemoryBlocks::BlockCount ? ecu.Memoria().data(static_cast<MemoryBlocks::Block>(n)) : QByteArray();
    }
};
