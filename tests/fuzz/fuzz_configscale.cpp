// The scale configuration (ConfigScale.ini, plain or scrambled): injector,
// sensor and probe tables, the single settings and the windows' lists.
#include "FuzzIngresso.h"

#include "app/ServiziUiScriptati.h"
#include "ecu/FileTesto.h"
#include "ecu/TabelleScala.h"

#include <cmath>

using namespace gascal;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ServiziUiScriptati ui;
    TabelleScala t;
    t.RigheConfigScale = FileTesto::ImpostazioniDaByte(fuzz::Byte(data, size), ui);
    t.CaricaScale(t.RigheConfigScale, ui);
    if (!std::isfinite(t.SommaTempoInj_usec))
        __builtin_trap(); // refused by the reader
    for (const auto &livello : t.TabLivello)
        t.IndiceDaCodice(livello.Codice);
    t.ListaScelte(QStringLiteral("[Rpm di commutazione]"));
    t.RigaDopo(QStringLiteral("[Temperatura di commutazione]"));
    return 0;
}
