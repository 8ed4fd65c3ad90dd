#pragma once

#include "config/LogicaLivello.h"
#include "config/LogicaPagina.h"

#include <array>
#include <functional>

namespace gascal {

// The injector, fuel and power page without its window (the level group is
// LogicaLivello): the lists and the boxes with what they show of the
// configuration and production records, and what each choice queues or
// prepares. The page (FrmConfig_2) binds its controls to it; gascal-cli uses
// it as it is.
class LogicaIniettori : public LogicaPagina
{
public:
    enum Lista : int {
        CmbTipoInjFam,
        CmbMinOn,
        CmbSens,
        CmbTipoAlim,
        CmbSogliaMaxPw,
        CmbSogliaMaxPwTinj,
        NumeroListe
    };
    enum : int {
        PosFamiglia = 1,
        PosPpg = 3,
        PosPwmOff = 4,
        PosPwmOn = 5,
        PosAbilitazioni = 12,
        PosMinOn = 16,
        PosMaxPwRpm = 22,
        PosMaxPwTinj = 23,
        PosSensibilita = 26,
    };
    enum : int { BitCng = 8 };
    enum Casella : int { TxtPPG, TxtPWMON, TxtPWMOFF };
    static constexpr qint32 MaxPwSpento = 25500;
    static constexpr int CaselleProduzione = 8;

    explicit LogicaIniettori(Contesto &ctx);

    std::array<ListaScelte, NumeroListe> Liste;
    LogicaLivello Livello;
    // The PWM boxes (by Casella) and the production-data boxes.
    std::array<QString, 3> Pwm;
    std::array<QString, CaselleProduzione> Text1;
    bool Frame1Visibile = false;
    // The title of the injector-change question (the frame's caption).
    std::function<QString()> TitoloFinestra;

    void RiempiCmbSwtch();
    void AggiornaSelezioni();
    // The choice of item `voce` in list l: true when operation 7 was requested.
    bool Scegli(Lista l, int voce);
    // Enter in a PWM box: its whole number queued for its position. A text
    // that is not a whole number the variable can hold is refused with a box
    // that gives the range.
    bool InvioPwm(Casella c, const QString &testo);
    // Enter in production box k: the production record with that value, as
    // the stored message of operation 19.
    bool InvioProduzione(int k, const QString &testo);
    // The Shift-click message with the injector's drive values.
    QString TestoParametriIniettore() const;
    // The dictionary texts of the level buttons (their tags) and of the
    // default button's caption.
    void CaricaTestiLivello();
    QString CaptionDefault;

    // The valid range of a record variable of this type and scale.
    static std::pair<qint64, qint64> Intervallo(const QString &tipo, qint32 scala);

private:
    bool SceltaIniettore(int voce);
    int VoceAlmeno(Lista l, int da, double fattore, double somma, double x) const;
    // Whole of a box's text, when it fits the variable k of the record.
    std::optional<qint32> InteroPer(int record, int k, const QString &testo) const;
};

} // namespace gascal
