#pragma once

#include <QString>

namespace gascal::cli {

// The meaning of the ECU status byte of PrjCom's replies.
QString TestoStatoEcu(int stato);

} // namespace gascal::cli
