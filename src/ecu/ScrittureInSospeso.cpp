#include "ecu/ScrittureInSospeso.h"

#include "app/Contesto.h"

namespace gascal::ScrittureInSospeso {

namespace {
constexpr int SalvaMappa = 9;
constexpr int CaricaMappa = 18;
} // namespace

int Scarta(Contesto &ctx)
{
    CodeScrittura &code = ctx.code;
    code.ValoriDaScrivere = CodaScrittura();
    code.ValoriDaScrivere2 = CodaScrittura();
    code.DatiMap0.clear();
    code.MessaggioDaInviare.clear();
    StatoApp &s = ctx.stato;
    const int operazione = s.OperazioneRichiesta;
    const bool definizioni = s.FileDefinizioni == ctx.imp.FileDefGpl || s.FileDefinizioni == ctx.imp.FileDefCng;
    if (operazione == SalvaMappa || (operazione == CaricaMappa && !definizioni))
        return 0;
    s.OperazioneRichiesta = 0;
    if (operazione == CaricaMappa)
        s.FileDefinizioni.clear();
    return operazione;
}

} // namespace gascal::ScrittureInSospeso
