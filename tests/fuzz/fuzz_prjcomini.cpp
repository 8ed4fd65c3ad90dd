// PrjCom.ini: the port numbers mapped to devices.
#include "FuzzIngresso.h"

#include "PortTable.h"

#include <QFileInfo>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const PortTable porte(QFileInfo(fuzz::ScriviFile("PrjCom.ini", fuzz::Byte(data, size))).path());
    return 0;
}
