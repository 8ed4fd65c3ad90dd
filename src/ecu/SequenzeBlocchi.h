#pragma once

#include <QByteArray>

namespace gascal {

class Contesto;

// The write sequences the frame runs as pending operations. Each is framed by
// the switch of the communication process to mode 2 and the restore of the
// previous mode (also after a failure), stops at the first failed
// transaction, and ends with fresh reads so that the images are the ECU's.
class SequenzeBlocchi
{
public:
    explicit SequenzeBlocchi(Contesto &ctx) : m_ctx(ctx) {}

    bool ScriviBlk2();  // operation 27: record 2 with ValoriDaScrivere2
    bool ScriviBlk3();  // operation 7: record 3 with ValoriDaScrivere
    bool ScriviMappe(); // operation 8: records 6 and 4 from DatiMap0 and DatiBlk5
    bool InviaEMemorizza(const QByteArray &messaggio); // operation 19
    bool CommutaStato();                               // operation 12

    // Reads record n with its own request; `fresca` also keeps the image.
    int LeggiRecord(int n, bool fresca);

private:
    bool ScriviRecordConCoda(int record, quint8 servizio, bool coda2);
    bool PassiCommutazione(); // the steps of CommutaStato, inside its mode frame
    int LeggiCopia(quint8 servizio, int record, class MsgRecord &copia);
    int ScriviCopia(const class MsgRecord &copia);

    Contesto &m_ctx;
};

} // namespace gascal
