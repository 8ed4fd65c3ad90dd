#include "ecu/Definizioni.h"

#include "app/Contesto.h"
#include "app/LetturaLimitata.h"
#include "app/TestoByte.h"
#include "ecu/FileTesto.h"

#include <QFile>

namespace gascal::Definizioni {

int RecordDiSezione(const QString &riga)
{
    if (riga == QLatin1String("[BLK_1]"))
        return Contesto::RecLive;
    if (riga == QLatin1String("[BLK_2]"))
        return Contesto::RecComandi;
    if (riga == QLatin1String("[BLK_3]"))
        return Contesto::RecConfig;
    if (riga == QLatin1String("[BLK_5]"))
        return Contesto::RecBlk5;
    if (riga == QLatin1String("[MAP_0]"))
        return Contesto::RecMappa;
    return -1;
}

bool CaricaDefinizioni(Contesto &ctx, const QString &percorso)
{
    QByteArray dati;
    if (!LetturaLimitata::Leggi(percorso, LetturaLimitata::Tipo::Mappa, dati).isEmpty())
        return false;
    const QList<QByteArray> righe = FileTesto::RigheBlocchi(dati);
    for (qsizetype i = 0; i < righe.size(); ++i) {
        const int record = RecordDiSezione(QString::fromLatin1(righe.at(i)));
        if (record < 0)
            continue;
        const QString hex = i + 1 < righe.size() ? QString::fromLatin1(righe.at(i + 1).trimmed()) : QString();
        // A block line that is missing or not hex ends the reading; an empty
        // one is an empty image, and the reading goes on.
        if (i + 1 >= righe.size() || !IsHex(hex) || record >= ctx.TabMsg.size())
            return false;
        ctx.TabMsg[record].Immagine = HexToStr(hex);
        ctx.Decodifica(record, ctx.TabMsg[record].Immagine);
        ++i;
    }
    return true;
}

} // namespace gascal::Definizioni
