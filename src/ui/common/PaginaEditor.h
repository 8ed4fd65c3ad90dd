#pragma once

#include <QWidget>

namespace gascal {

// What the frame asks of an editor page (switch-over, injectors, calibration
// line). Every call has a default that does nothing, so each page overrides
// only what it has.
class PaginaEditor : public QWidget
{
public:
    using QWidget::QWidget;
    ~PaginaEditor() override = default;

    // Shows the ECU's values.
    virtual void AggiornaSelezioni() {}
    // Texts and font from the dictionary.
    virtual void CaricaLingua() {}
    // Refills the lists from the scale configuration (after a language change).
    virtual void RiempiListe() {}
    // The live part refreshed every 100 ms while the page is shown (the level
    // readings of the injector page).
    virtual void CaricaLivelliAttuale() {}

    // Calibration line page.
    virtual void DemoRetta() {}
    virtual void PlottaRetta(bool ricarica) { Q_UNUSED(ricarica); }
    virtual void Legenda() {}
    virtual void AggiornaCursore() {}
    // F5..F9 pressed anywhere in the frame; key up ends a held edit.
    virtual void TastiRetta(int tasto) { Q_UNUSED(tasto); }
    virtual void FineRipetizione() {}
};

} // namespace gascal
