#include "link/CaricaSetCom.h"

#include "app/FileSistema.h"
#include "app/TestoByte.h"
#include "app/ServiziUi.h"
#include "ecu/FileTesto.h"

#include <QFileInfo>

#include <optional>

namespace gascal {

namespace {

// The last position of an answer message: its length byte counts the whole message.
constexpr int PosizioneMassima = 255;

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

// Why a record's settings were refused, named after the record.
class Problemi
{
public:
    explicit Problemi(QStringList *elenco) : m_elenco(elenco) {}
    void Aggiungi(const QString &testo)
    {
        if (m_elenco)
            m_elenco->append(testo);
    }
    void DelRecord(int n, const MsgRecord &r, const QString &testo)
    {
        Aggiungi(QStringLiteral("[MSG] %1 (%2): %3").arg(n).arg(r.Nome, testo));
    }

private:
    QStringList *m_elenco;
};

// Entries "type,offset,scale" separated by ";". An entry with fewer than
// three fields, or a field that is not a number, leaves that field as it was;
// a position that no answer can have is refused.
void LeggiVariabili(const QString &lista, MsgRecord &record, int n, Problemi &problemi)
{
    const QStringList voci = lista.split(QLatin1Char(';'));
    record.Dimensiona(voci.size());
    for (qsizetype k = 0; k < voci.size(); ++k) {
        const QStringList campi = voci.at(k).split(QLatin1Char(','));
        if (campi.size() < 3)
            continue;
        record.Tipi[k] = campi.at(0).trimmed();
        bool ok = false;
        const QString testoOffset = campi.at(1).trimmed();
        const int offset = testoOffset.toInt(&ok);
        if (!ok || offset < 1 || offset > PosizioneMassima) {
            problemi.DelRecord(n, record, QStringLiteral("value %1 lies at \"%2\", not a position of an "
                                                         "answer (1 to %3)")
                                              .arg(k).arg(testoOffset).arg(PosizioneMassima));
            continue;
        }
        record.Offset[k] = offset;
        const int scala = campi.at(2).trimmed().toInt(&ok);
        if (ok)
            record.Scala[k] = scala;
    }
}

MsgRecord LeggiRecord(const QStringList &righe, qsizetype i, int n, Problemi &problemi)
{
    MsgRecord record;
    if (const auto id = Numero(righe, i + 1))
        record.Id = static_cast<qint32>(*id);
    if (i + 2 < righe.size())
        record.Nome = righe.at(i + 2);
    if (i + 3 < righe.size()) {
        const QString richiesta = righe.at(i + 3).trimmed();
        if (!richiesta.isEmpty() && richiesta.size() % 2 == 0 && IsHex(richiesta))
            record.Richiesta = richiesta;
        else
            problemi.DelRecord(n, record, QStringLiteral("the request \"%1\" is not a message in hex")
                                              .arg(richiesta));
    }
    if (i + 4 < righe.size())
        record.Flag = righe.at(i + 4).trimmed() == QLatin1String("1");
    if (i + 7 < righe.size())
        LeggiVariabili(righe.at(i + 7), record, n, problemi);
    return record;
}

// A wait read from the file, refused outside 0..massimo.
void LeggiAttesa(const QStringList &righe, qsizetype i, qint64 massimo, qint64 &campo,
                 Problemi &problemi)
{
    const auto n = Numero(righe, i + 1);
    if (!n)
        return;
    if (*n < 0 || *n > massimo) {
        problemi.Aggiungi(QStringLiteral("%1 %2 is outside 0 to %3: not used")
                              .arg(righe.at(i)).arg(*n).arg(massimo));
        return;
    }
    campo = *n;
}

} // namespace

void InterpretaSetCom(const QStringList &righe, TabellaMessaggi &tabMsg, ImpostazioniLink &link,
                      QStringList *elencoProblemi)
{
    Problemi problemi(elencoProblemi);
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
            tabMsg[contatoreRecord] = LeggiRecord(righe, i, contatoreRecord, problemi);
        } else if (sezione == QLatin1String("[ATTESAPIPE_USEC]")) {
            LeggiAttesa(righe, i, ImpostazioniLink::MassimaAttesaPipe_usec, link.AttesaPipe_usec, problemi);
        } else if (sezione == QLatin1String("[MOLATTESAGLOBALE]")) {
            LeggiAttesa(righe, i, ImpostazioniLink::MassimaAttesaEcuMs, link.MolAttesaGlobale, problemi);
        } else if (sezione == QLatin1String("[ATTESAGLOBALE_USEC]")) {
            LeggiAttesa(righe, i, ImpostazioniLink::MassimaAttesaEcuMs * 1000, link.AttesaGlobale_usec,
                        problemi);
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

    // The long ECU wait goes out in 16 bits of milliseconds, like the normal one.
    if (link.AttesaEcuMs(true) > ImpostazioniLink::MassimaAttesaEcuMs) {
        problemi.Aggiungi(QStringLiteral("[AttesaGlobale_usec] %1 x [MolAttesaGlobale] %2 is beyond the "
                                         "ECU's longest wait of %3 ms: the multiplier is not used")
                              .arg(link.AttesaGlobale_usec).arg(link.MolAttesaGlobale)
                              .arg(ImpostazioniLink::MassimaAttesaEcuMs));
        link.MolAttesaGlobale = ImpostazioniLink().MolAttesaGlobale;
    }
}

void CaricaSetCom(const QString &percorso, TabellaMessaggi &tabMsg, ImpostazioniLink &link,
                  ServiziUi &ui)
{
    const QStringList righe = FileExist(percorso) ? FileTesto::LeggiImpostazioni(percorso, ui)
                                                  : QStringList();
    QStringList problemi;
    InterpretaSetCom(righe, tabMsg, link, &problemi);
    if (!problemi.isEmpty())
        ui.Messaggio(QFileInfo(percorso).fileName() + QStringLiteral(":\r\n") + problemi.join(QStringLiteral("\r\n")),
                     QStringLiteral("SetCom.ini"), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Esclamazione);
}

} // namespace gascal
