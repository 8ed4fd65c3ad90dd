#pragma once
#include "BancoCartella.h"
#include "EcuInterna.h"
#include "OrologioPasso.h"
#include "PrjComInterno.h"
#include <QStringList>
#include <functional>

// The bench in this process: PrjCom and the ECU in-process on a stepped clock, so waits cost only their work.
class BancoVirtuale : public BancoCartella
{
public:
    // `opzioniEcu`: ecusim's options for the ECU (see EcuInterna).
    explicit BancoVirtuale(const QStringList &opzioniEcu = {});
    ~BancoVirtuale() override { ctx.reset(); }

    // Start-up and search; true when connected.
    bool Collega() { return Avvia() && Cerca(); }

    // Puts another state's link (a command-line session) on its own PrjCom with this ECU.
    PrjComInterno &Aggancia(gascal::Contesto &altro);

    // A line of the ECU's control channel, and its answer.
    QString Controllo(const QString &comando) { return ecu.Comando(comando); }

    // What an autotuning run may change in the ECU and must leave as it found it: the command bytes, the line's blocks.
    QStringList Regolazioni()
    {
        QStringList f;
        for (int k : {0, 2, 5})
            f << QString::number(ValoreEcu(gascal::Contesto::RecComandi, k));
        for (int n : {3, 4, 6})
            f << Controllo(QStringLiteral("block %1").arg(n));
        return f;
    }
    // Runs stepped time until `pronta` holds (true) or `ms` passed.
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
