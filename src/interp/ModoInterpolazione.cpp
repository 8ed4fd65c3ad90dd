#include "interp/ModoInterpolazione.h"

#include "app/Contesto.h"

namespace gascal::ModoInterpolazione {

namespace {
constexpr int IndiceAbilitazioni = 12;
constexpr int MascheraFineGas = 1;
constexpr int IndiceSensorePressione = 25;
} // namespace

bool Entra(Contesto &ctx, const std::function<void()> &apri)
{
    const bool fineGas = (ctx.Valore(Contesto::RecConfig, IndiceAbilitazioni) & MascheraFineGas) != 0;
    ctx.imp.FineGasSalvato = fineGas ? 1 : 0;
    ctx.imp.CodiceMappaSalvato = ctx.Valore(Contesto::RecConfig, IndiceSensorePressione);
    CodaScrittura &coda = ctx.code.ValoriDaScrivere;
    // Like every choice on the switch-over page, the entry replaces the queue.
    coda.Imposta(0, IndiceAbilitazioni, MascheraFineGas);
    coda.Aggiungi(0, IndiceSensorePressione, 0);
    ctx.InterpolazioneAttiva = true;
    if (apri)
        apri();
    ctx.stato.RichiediOperazione(7);
    return fineGas;
}

int Esci(Contesto &ctx)
{
    const qint32 codice = ctx.imp.CodiceMappaSalvato;
    const qint32 fineGas = ctx.imp.FineGasSalvato;
    CodaScrittura &coda = ctx.code.ValoriDaScrivere;
    if (codice >= 0)
        coda.Aggiungi(codice, IndiceSensorePressione, 0);
    if (fineGas >= 0)
        coda.Aggiungi(fineGas, IndiceAbilitazioni, MascheraFineGas);
    ctx.InterpolazioneAttiva = false;
    ctx.stato.RichiediOperazione(7);
    return fineGas > 0 ? 3 : 2;
}

} // namespace gascal::ModoInterpolazione
