// The ECU's firmware identity as the search, the title and gascal-cli read it.
#include "FuzzIngresso.h"

#include "mapfile/Identita.h"

using namespace gascal;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray id = fuzz::Byte(data, size);
    Identita::FormatVersione(id);
    Identita::IdCodice(id);
    Identita::TerzaParola(id);
    // A byte that the identity does not hold reads as 0.
    if (Identita::IdByte4(id) != (id.size() > 4 ? static_cast<quint8>(id.at(3)) : 0))
        __builtin_trap();
    return 0;
}
