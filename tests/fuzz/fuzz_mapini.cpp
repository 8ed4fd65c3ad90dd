// map.ini: the manifold-pressure tables, then the conversion over them.
#include "FuzzIngresso.h"

#include "ecu/FileTesto.h"
#include "ecu/TabelleScala.h"

using namespace gascal;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TabelleScala t;
    t.InterpretaMapIni(FileTesto::RigheDaByte(fuzz::Byte(data, size)));
    for (qint32 v : t.TabMapSens5Bar + QVector<qint32>{-1, 0, 1, 100, 500, 1023, 65535, 2147483647})
        t.ConvertiMapSens(v, 0);
    return 0;
}
