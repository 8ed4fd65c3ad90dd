#pragma once

#include "link/ImpostazioniLink.h"
#include "link/MsgRecord.h"

#include <QStringList>

namespace gascal {

class ServiziUi;

// Reads SetCom.ini (plain or scrambled) into the message table, the link
// settings and the firmware probe list. A missing file leaves one empty
// record, zero waits and an empty firmware list; malformed lines are skipped.
// A request that is not hex, a variable position that no answer can have and
// a wait beyond what its timer takes are refused, and shown in one message.
void CaricaSetCom(const QString &percorso, TabellaMessaggi &tabMsg, ImpostazioniLink &link,
                  ServiziUi &ui);

// The same from lines already read; what was refused goes to `problemi`,
// one text per value, naming the record.
void InterpretaSetCom(const QStringList &righe, TabellaMessaggi &tabMsg, ImpostazioniLink &link,
                      QStringList *problemi = nullptr);

} // namespace gascal
