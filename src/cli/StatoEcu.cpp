#include "StatoEcu.h"

namespace gascal::cli {

QString TestoStatoEcu(int stato)
{
    switch (stato) {
    case 0:
        return QStringLiteral("no answer from the ECU in time");
    case 1:
        return QStringLiteral("the ECU answered");
    case 2:
        return QStringLiteral("malformed answer (bad length or checksum)");
    case 3:
        return QStringLiteral("the ECU refused the request");
    case 4:
        return QStringLiteral("no such port");
    case 5:
        return QStringLiteral("permission denied (add the user to the dialout group)");
    case 6:
        return QStringLiteral("the port exists but cannot be opened (busy or I/O error)");
    case 7:
        return QStringLiteral("no port is open");
    case 8:
        return QStringLiteral("PrjCom refused the request as malformed");
    default:
        return QStringLiteral("unknown status %1").arg(stato);
    }
}

} // namespace gascal::cli
