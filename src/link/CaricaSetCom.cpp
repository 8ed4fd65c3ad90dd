#include "link/CaricaSetCom.h"

#include "app/FileSistema.h"
#include "app/TestoByte.h"
#include "ecu/FileTesto.h"

#include <optional>

namespace gascal {

namespace {

std::optional<qint64> Numero(const QStringList &righe, qsizetype i)
{
    if (i < 0 || i >= righe.size())
        return std::nullopt;
    bool ok = false;
    const qint64 n = righe.at(i).trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

std::optional<bool> Booleano(const QStringList &righe, qsizetype i)
{
    if (i < 0 || i >= righe.size())
        return std::nullopt;
    const QString testo = righe.at(i).trimmed().toLower();
    if (testo == QLatin1String("true"))
        return true;
    if (testo == QLatin1String("false"))
        return false;
    if (const auto n = Numero(righe, i))
        return *n != 0;
    return std::nullopt;
}

// Entries "type,offset,scale" separated by ";". An entry with fewer than
// three fields, or a field that is not a number, leaves that field as it was.
void LeggiVariabili(const QString &lista, MsgRecord &record)
{
    const QStringList voci = lista.split(QLatin1Char(';'));
    record.Dimensiona(voci.size());
    for (qsizetype k = 0; k < voci.size(); ++k) {
        const QStringList campi = voci.at(k).split(QLatin1Char(','));
        if (campi.size() < 3)
            continue;
        record.Tipi[k] = campi.at(0).trimmed();
        bool ok = false;
        const int offset = campi.at(1).trimmed().toInt(&ok);
        if (!ok)
            continue;
        record.Offset[k] = offset;
        const int scala = campi.at(2).trimmed().toInt(&ok);
        if (ok)
            record.Scala[k] = scala;
    }
}

MsgRecord LeggiRecord(const QStringList &righe, qsizetype i)
{
    MsgRecord record;
    if (const auto id = Numero(righe, i + 1))
        record.Id = static_cast<qint32>(*id);
    if (i + 2 < righe.size())
        record.Nome = righe.at(i + 2);
    if (i + 3 < righe.size())
        record.Richiesta = righe.at(i + 3);
    if (i + 4 < righe.size())
        record.Flag = righe.at(i + 4).trimmed() == QLatin1String("1");
    if (i + 7 < righe.size())
        LeggiVariabili(righe.at(i + 7), record);
    return record;
}

} // namespace

void InterpretaSetCom(const QStringList &righe, TabellaMessaggi &tabMsg, ImpostazioniLink &link)
{
    tabMsg = TabellaMessaggi(1);
    link.ListaFirmware = {QByteArray()};
    int contatoreRecord = -1;
    int contatoreFirmware = -1;

    for (qsizetype i = 0; i < righe.size(); ++i) {
        const QString sezione = righe.at(i).toUpper();
        if (sezione == QLatin1String("[MSG]")) {
            ++contatoreRecord;
            if (tabMsg.size() <= contatoreRecord)
                tabMsg.resize(contatoreRecord + 1);
            tabMsg[contatoreRecord] = LeggiRecord(righe, i);
        } else if (sezione == QLatin1String("[ATTESAPIPE_USEC]")) {
            if (const auto n = Numero(righe, i + 1))
                link.AttesaPipe_usec = *n;
        } else if (sezione == QLatin1String("[MOLATTESAGLOBALE]")) {
            if (const auto n = Numero(righe, i + 1))
                link.MolAttesaGlobale = *n;
        } else if (sezione == QLatin1String("[ATTESAGLOBALE_USEC]")) {
            if (const auto n = Numero(righe, i + 1))
                link.AttesaGlobale_usec = *n;
        } else if (sezione == QLatin1String("[SOLO USB]")) {
            if (const auto b = Booleano(righe, i + 1))
                link.SoloUsb = *b;
        } else if (sezione == QLatin1String("[FIRMWARE]")) {
            ++contatoreFirmware;
            if (link.ListaFirmware.size() <= contatoreFirmware)
                link.ListaFirmware.resize(contatoreFirmware + 1);
            if (i + 1 < righe.size())
                link.ListaFirmware[contatoreFirmware] = HexToStr(righe.at(i + 1).trimmed());
        }
    }
}

void CaricaSetCom(const QString &percorso, TabellaMessaggi &tabMsg, ImpostazioniLink &link,
                  ServiziUi &ui)
{
    const QStringList righe = FileExist(percorso) ? FileTesto::LeggiImpostazioni(percorso, ui)
                                                  : QStringList();
    InterpretaSetCom(righe, tabMsg, link);
}

} // namespace gascal
