// PrjCom.ini: the port numbers mapped to devices.
#include "FuzzIngresso.h"

#include "PortTable.h"

#include <QDir>
#include <QFileInfo>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString ini = fuzz::ScriviFile("PrjCom.ini", fuzz::Byte(data, size));
    const PortTable porte(QFileInfo(ini).path());
    Q_UNUSED(porte);
    return 0;
}
