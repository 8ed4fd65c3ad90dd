#pragma once

#include "config/LogicaIniettori.h"
#include "ui/common/PaginaEditor.h"

#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace gascal {

class Contesto;
class Forma;
class GruppoLivello;

// The injector, fuel and power page (page slot 1) with the level group and
// the two service panels (injector PWM, production data). Its controls are
// bound to LogicaIniettori, which holds what they show and what a choice
// writes.
class FrmConfig_2 : public PaginaEditor
{
    Q_OBJECT
public:
    using Lista = LogicaIniettori::Lista;

    explicit FrmConfig_2(Contesto &ctx, QWidget *parent = nullptr);

    void AggiornaSelezioni() override;
    void CaricaLingua() override;
    void RiempiListe() override;
    void CaricaLivelliAttuale() override;

    LogicaIniettori Logica;
    std::array<QComboBox *, LogicaIniettori::NumeroListe> Cmb{};
    QLabel *LblParaInj, *LblTipoInjFam, *LblMinOn, *LblSens, *LblTipoAlim, *LblSogliaMaxPower,
        *LblSogliaMaxPowerTinj;
    Forma *ShpParaInj;
    GruppoLivello *Livello;
    QGroupBox *FrmPwm;
    std::array<QLineEdit *, 3> TxtPwm{}; // TxtPPG, TxtPWMON, TxtPWMOFF
    QGroupBox *Frame1;
    std::array<QLineEdit *, LogicaIniettori::CaselleProduzione> Text1{};

protected:
    bool eventFilter(QObject *oggetto, QEvent *evento) override;

private:
    void CreaControlli();
    void DisponiControlli();
    void MostraTutto();
    void Text1_Change(int k);
    void Text1_Invio(int k);
    void MostraPannelli(bool visibili);

    Contesto &m_ctx;
};

} // namespace gascal
