// ecusim's --settings reader: a message table checked against its memory.
#include "FuzzIngresso.h"

#include "EcuDefaults.h"
#include "MemoryBlocks.h"
#include "ServiceHandler.h"
#include "SetComFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SetComFile tabella;
    QString errore;
    if (!tabella.load(fuzz::ScriviFile("SetCom.ini", fuzz::Byte(data, size)), &errore))
        return 0;
    tabella.firstIdentity();
    MemoryBlocks memoria;
    EcuDefaults::apply(memoria);
    ServiceHandler servizi(memoria, true);
    tabella.check(servizi);
    return 0;
}
