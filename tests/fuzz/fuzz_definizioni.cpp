// Definition files and map files: the block sections read into the message
// table of the program's own SetCom.ini and into records without a layout
// (no SetCom.ini read), and the map file's load check.
#include "FuzzIngresso.h"

#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "ecu/Definizioni.h"
#include "link/CaricaSetCom.h"
#include "mapfile/FileMappa.h"

using namespace gascal;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray ingresso = fuzz::Byte(data, size);
    static ServiziUiScriptati ui;
    static Contesto ctx(ui);
    static Contesto vuoto(ui);
    static const bool tabella = [] {
        CaricaSetCom(QStringLiteral(GASCAL_SOURCE "/resources/SetCom.ini"), ctx.TabMsg, ctx.impLink, ui);
        InterpretaSetCom({}, vuoto.TabMsg, vuoto.impLink);
        vuoto.TabMsg.resize(Contesto::RecMappa + 1);
        return ctx.TabMsg.size() > Contesto::RecMappa;
    }();
    if (!tabella)
        __builtin_trap();
    ui.mostrati.clear();
    for (Contesto *c : {&ctx, &vuoto})
        Definizioni::CaricaDefinizioni(*c, fuzz::ScriviFile("def.xar", ingresso));

    FileMappa::BlocchiCaricati blocchi;
    if (FileMappa::Leggi(ingresso, blocchi).isEmpty())
        for (const QString &riga : {blocchi.Blk2, blocchi.Blk3, blocchi.Blk5, blocchi.Map0})
            FileMappa::DatiBlocco(riga);
    return 0;
}
