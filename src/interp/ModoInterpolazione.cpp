#include "interp/ModoInterpolazione.h"

#include "app/Contesto.h"
#include "app/ServiziUi.h"

namespace gascal::ModoInterpolazione {

namespace {
constexpr int IndiceAbilitazioni = 12;
constexpr int MascheraFineGas = 1;
constexpr int IndiceSensorePressione = 25;
} // namespace

bool Entra(Contesto &ctx, const std::function<void()> &apri)
{
    const bool fineGas = (ctx.Valore(Contesto::RecConfig, IndiceAbilitazioni) & MascheraFineGas) != 0;
    // What closing puts back is on disk before anything is written.
    const QString motivo = ctx.ripristino.Apri(
        QStringLiteral("interpolation"),
        {ctx.ripristino.Voce(Contesto::RecConfig,
                             {{IndiceSensorePressione, 0}, {IndiceAbilitazioni, MascheraFineGas}})});
    if (!motivo.isEmpty()) {
        ctx.ui.Messaggio(motivo, ctx.Titolo(), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Critica);
        return false;
    }
    ctx.imp.FineGasSalvato = fineGas ? 1 : 0;
    ctx.imp.CodiceMappaSalvato = ctx.Valore(Contesto::RecConfig, IndiceSensorePressione);
    CodaScrittura &coda = ctx.code.ValoriDaScrivere;
    // Like every choice on the switch-over page, the entry replaces the queue.
    coda.Imposta(0, IndiceAbilitazioni, MascheraFineGas);
    coda.Aggiungi(0, IndiceSensorePressione, 0);
    ctx.InterpolazioneAttiva = true;
    if (apri)
        apri();
    ctx.stato.RichiediOperazione(Operazione::ScriviConfig);
    return true;
}

int Esci(Contesto &ctx)
{
    const int testo = ctx.imp.FineGasSalvato > 0 ? 3 : 2;
    if (ctx.InterpolazioneAttiva)
        ctx.stato.RipristinoRichiesto = 1;
    ctx.InterpolazioneAttiva = false;
    return testo;
}

QString Ripristina(Contesto &ctx, bool *riuscito)
{
    const RipristinoEcu::Esito e = ctx.ripristino.Ripristina();
    ctx.stato.RipristinoRichiesto = e.completo ? 0 : 1;
    if (riuscito)
        *riuscito = e.completo;
    if (!e.completo)
        return ctx.ripristino.Testo(e);
    return ctx.diz.TestoSezione(QStringLiteral("[Frm_Interpola]"), ctx.imp.FineGasSalvato > 0 ? 3 : 2);
}

} // namespace gascal::ModoInterpolazione
