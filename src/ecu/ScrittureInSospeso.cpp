#include "ecu/ScrittureInSospeso.h"

#include "app/Contesto.h"

namespace gascal::ScrittureInSospeso {

Operazione Scarta(Contesto &ctx)
{
    CodeScrittura &code = ctx.code;
    code.ValoriDaScrivere = CodaScrittura();
    code.ValoriDaScrivere2 = CodaScrittura();
    code.DatiMap0.clear();
    code.MessaggioDaInviare.clear();
    StatoApp &s = ctx.stato;
    const Operazione operazione = s.OperazioneRichiesta;
    const bool definizioni = s.FileDefinizioni == ctx.imp.FileDefGpl || s.FileDefinizioni == ctx.imp.FileDefCng;
    if (operazione == Operazione::SalvaMappa || (operazione == Operazione::CaricaMappa && !definizioni))
        return Operazione::Nessuna;
    s.OperazioneRichiesta = Operazione::Nessuna;
    if (operazione == Operazione::CaricaMappa)
        s.FileDefinizioni.clear();
    return operazione;
}

} // namespace gascal::ScrittureInSospeso
