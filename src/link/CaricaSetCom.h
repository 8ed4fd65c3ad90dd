#pragma once

#include "link/ImpostazioniLink.h"
#include "link/MsgRecord.h"

#include <QStringList>

namespace gascal {

class ServiziUi;

// Reads SetCom.ini (plain or scrambled) into the message table, the link
// settings and the firmware probe list. A missing file leaves one empty
// record, zero waits and an empty firmware list; malformed lines are skipped.
void CaricaSetCom(const QString &percorso, TabellaMessaggi &tabMsg, ImpostazioniLink &link,
                  ServiziUi &ui);

// The same from lines already read.
void InterpretaSetCom(const QStringList &righe, TabellaMessaggi &tabMsg, ImpostazioniLink &link);

} // namespace gascal
