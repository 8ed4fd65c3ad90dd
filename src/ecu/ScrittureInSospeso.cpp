#include "ecu/ScrittureInSospeso.h"

#include "app/Contesto.h"

namespace gascal::ScrittureInSospeso {

namespace {
constexpr int SalvaMappa = 9;
constexpr int CaricaMappa = 18;
} // namespace

int Scarta(Contesto &ctx, bool tieniFile)
{
    CodeScrittura &code = ctx.code;
    code.ValoriDaScrivere = CodaScrittura();
    code.ValoriDaScrivere2 = CodaScrittura();
    code.DatiMap0.clear();
    code.MessaggioDaInviare.clear();
    StatoApp &s = ctx.stato;
    const int operazione = s.OperazioneRichiesta;
    if (tieniFile && (operazione == SalvaMappa || operazione == CaricaMappa))
        return 0;
    s.OperazioneRichiesta = 0;
    if (operazione == SalvaMappa || operazione == CaricaMappa)
        s.FileDefinizioni.clear();
    return operazione;
}

} // namespace gascal::ScrittureInSospeso
