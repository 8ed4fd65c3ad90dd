#pragma once

#include "config/LogicaCommutazione.h"
#include "ui/common/PaginaEditor.h"

#include <array>
#include <functional>

class QComboBox;
class QLabel;

namespace gascal {

class Contesto;
class Forma;

// The switch-over page (page slot 0): switch-over speed, direction,
// hysteresis, temperature and times, end-of-gas management, emergency start
// and the sensor types. Its lists are bound to LogicaCommutazione, which
// holds what they show and what a choice writes.
class FrmConfig : public PaginaEditor
{
    Q_OBJECT
public:
    using Lista = LogicaCommutazione::Lista;

    explicit FrmConfig(Contesto &ctx, QWidget *parent = nullptr);

    void AggiornaSelezioni() override;
    void CaricaLingua() override;
    void RiempiListe() override;

    // Opens the sample-interpolation window. Called when the interpolation
    // entry of the pressure-sensor list is chosen, after its two writes were
    // queued and before operation 7 is requested.
    std::function<void()> ApriInterpolazione;

    LogicaCommutazione Logica;
    std::array<QComboBox *, LogicaCommutazione::NumeroListe> Cmb{};
    // The captions in their dictionary order (texts 1 to 18).
    QLabel *LblParaComm, *LblFattore, *LblSwtchRpm, *LblDirSwtich, *LblIsteresi, *LblSwtchTemp,
        *LblSwtchForce, *LblSwitchSovra, *LblTempoAutoCalda, *LblTempoRitardo, *LblParaFineGas,
        *LblFineGas, *LblSwtchBar, *LblSwtchDelayPress, *LblParaAbilitazioni, *LblEmergenza,
        *LblTipoSensMap, *LblTipoSensTemp;
    Forma *ShpParaComm, *ShpParaFineGas, *ShpParaAbilitazioni;

private:
    void CreaControlli();
    void DisponiControlli();
    void MostraGruppi();
    void MostraListe();

    Contesto &m_ctx;
};

} // namespace gascal
