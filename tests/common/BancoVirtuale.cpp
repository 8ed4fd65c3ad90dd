#include "BancoVirtuale.h"

BancoVirtuale::BancoVirtuale(const QStringList &opzioniEcu) : BancoCartella(false), ecu(orologio, opzioniEcu)
{
    orologio.Installa();
    if (!ecu.Errore().isEmpty())
        qWarning("ecusim options: %s", qPrintable(ecu.Errore()));
    ctx = std::make_unique<gascal::Contesto>(ui);
    prjcom = &Aggancia(*ctx);
}

PrjComInterno &BancoVirtuale::Aggancia(gascal::Contesto &altro)
{
    auto peer = std::make_unique<PrjComInterno>(orologio, ecu, Cartella(), Percorso(QStringLiteral("ttyECU")));
    PrjComInterno &p = *peer;
    altro.link.UsaTrasporto(std::move(peer));
    return p;
}
