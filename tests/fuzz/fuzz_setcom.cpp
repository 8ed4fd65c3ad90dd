// SetCom.ini, plain or scrambled: the message table, the waits, the firmware
// list; then each record's layout decodes the input as a block and encodes it back.
#include "FuzzIngresso.h"

#include "app/ServiziUiScriptati.h"
#include "ecu/Blocco.h"
#include "ecu/FileTesto.h"
#include "link/CaricaSetCom.h"

using namespace gascal;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray ingresso = fuzz::Byte(data, size);
    ServiziUiScriptati ui;
    TabellaMessaggi tab;
    ImpostazioniLink link;
    QStringList problemi;
    InterpretaSetCom(FileTesto::ImpostazioniDaByte(ingresso, ui), tab, link, &problemi);
    link.AttesaEcuMs(false);
    link.AttesaEcuMs(true);

    AmbienteDecodifica amb;
    amb.SommaTempoInj_usec = 250;
    amb.Valore20Record3 = 4;
    for (MsgRecord &r : tab) {
        const qsizetype n = r.Valori.size();
        if (r.Tipi.size() != n || r.Offset.size() != n || r.Scala.size() != n)
            __builtin_trap();
        Blocco::DecodificaBlocco(ingresso.left(255), r, amb);
        Blocco::CodificaBlocco(r);
    }
    return 0;
}
