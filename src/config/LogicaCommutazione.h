#pragma once

#include "config/LogicaPagina.h"

#include <array>
#include <functional>

namespace gascal {

// The switch-over page without its window: the lists and what they show of
// the configuration record, and what each choice queues for it. The page
// (FrmConfig) binds its combo boxes to Liste; gascal-cli uses it as it is.
class LogicaCommutazione : public LogicaPagina
{
public:
    enum Lista : int {
        CmbFattore,
        CmbSwtchRpm,
        CmbswitchDir,
        CmbSwtchIsteresi,
        CmbSwtchTemp,
        CmbSwtchForce,
        CmbSwitchSovrap,
        CmbTempoAutoCalda,
        CmbTempoRitardo,
        CmbFineGas,
        CmbSwtchBar,
        CmbSwtchDelayPress,
        CmbEmergenza,
        CmbTipoSensMap,
        CmbTipoSensTemp,
        NumeroListe
    };
    // Record 3 positions and bits of this page.
    enum : int {
        PosTemperatura = 0,
        PosSovrapposizione = 2,
        PosAbilitazioni = 12,
        PosIsteresi = 13,
        PosRitardo = 14,
        PosPeriodo = 15,
        PosForzatura = 17,
        PosPressioneFineGas = 18,
        PosTempoFineGas = 19,
        PosFattore = 20,
        PosAutoCalda = 21,
        PosSensTemp = 24,
        PosSensPress = 25,
    };
    enum : int { BitFineGas = 1, BitDirezione = 2, BitEmergenza = 4 };
    // The entry of the pressure-sensor list that starts interpolation mode.
    static constexpr int VoceInterpolazione = 2;
    static constexpr qint32 TemperaturaNonUsata = 150;
    static constexpr qint32 PeriodoMassimo = 65535;

    explicit LogicaCommutazione(Contesto &ctx);

    std::array<ListaScelte, NumeroListe> Liste;

    // Opens the sample-interpolation window; called after the interpolation
    // entry queued its two writes and before operation 7 is requested.
    std::function<void()> ApriInterpolazione;

    // Builds every list from the scale configuration's lines ("Error 001"
    // for each step that fails); also sets which groups are shown.
    void RiempiCmbSwtch(const QStringList &FileArr);
    // Shows the configuration record's values; never queues anything.
    void AggiornaSelezioni();
    // The choice of item `voce` in list l (the click handler): true when it
    // queued its writes and requested operation 7.
    bool Scegli(Lista l, int voce);

    bool GruppoFineGas() const;
    bool GruppoAbilitazioni() const;

    // The stored switch-over period for a speed: K / rpm dropping the
    // fraction, 65535 for 0 rpm or a period that does not fit.
    static qint32 Periodo(qint64 rpm, qint32 k);

private:
    std::optional<qint64> InteroVoce(Lista l) const;
    std::optional<qint64> MilliVoce(Lista l) const;
    bool SceltaInterpolazione();
    bool SceltaFattore(int voce);
    int VoceAlmeno(Lista l, int da, double fattore, double x) const;
    void AggiornaVoce(Lista l);
};

} // namespace gascal
