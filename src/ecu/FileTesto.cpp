#include "ecu/FileTesto.h"

#include "app/ServiziUi.h"
#include "i18n/CifraRiga.h"

#include <QFile>

namespace gascal::FileTesto {

namespace {
const QByteArray BomUtf8("\xEF\xBB\xBF");
constexpr QChar Bom(0xFEFF);

bool HaIntestazione(const QStringList &righe)
{
    QString prima;
    return !righe.isEmpty() && DecriptaRiga(righe.first(), prima) && prima == IntestazioneCriptata();
}
} // namespace

QStringList DividiRighe(const QString &testo)
{
    // Windows editors write CR LF, Linux editors LF, some a byte-order mark first.
    QStringView resto(testo);
    if (resto.startsWith(Bom))
        resto = resto.mid(1);
    QStringList righe;
    qsizetype inizio = 0;
    for (qsizetype i = 0; i < resto.size(); ++i) {
        if (resto.at(i) != QLatin1Char('\n'))
            continue;
        const qsizetype fine = i > inizio && resto.at(i - 1) == QLatin1Char('\r') ? i - 1 : i;
        righe.append(resto.mid(inizio, fine - inizio).toString());
        inizio = i + 1;
    }
    righe.append(resto.mid(inizio).toString());
    return righe;
}

QList<QByteArray> RigheBlocchi(const QByteArray &testo)
{
    QList<QByteArray> righe = (testo.startsWith(BomUtf8) ? testo.mid(BomUtf8.size()) : testo).split('\n');
    for (QByteArray &riga : righe)
        if (riga.endsWith('\r'))
            riga.chop(1);
    return righe;
}

QStringList RigheDaByte(const QByteArray &byte)
{
    return DividiRighe(QString::fromUtf8(byte));
}

QStringList LeggiFileTesto(const QString &percorso)
{
    QByteArray dati;
    if (!LetturaLimitata::Leggi(percorso, LetturaLimitata::Tipo::Impostazioni, dati).isEmpty())
        return {};
    return RigheDaByte(dati);
}

bool VerificaHeader(const QString &percorso)
{
    return HaIntestazione(LeggiFileTesto(percorso));
}

QStringList LeggiFileCriptato(const QString &percorso, ServiziUi &ui)
{
    return RigheCriptate(LeggiFileTesto(percorso), ui);
}

QStringList RigheCriptate(const QStringList &righe, ServiziUi &ui)
{
    if (!HaIntestazione(righe)) {
        ui.Messaggio(QStringLiteral("HEADER WRONG "), QStringLiteral("FileExist"),
                     ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Informazione);
        return {};
    }
    QStringList risultato;
    risultato.reserve(righe.size() - 1);
    for (qsizetype k = 1; k < righe.size(); ++k) {
        QString chiaro;
        DecriptaRiga(righe.at(k), chiaro); // a line that cannot be unscrambled stays empty
        risultato.append(chiaro);
    }
    return risultato;
}

QStringList LeggiImpostazioni(const QString &percorso, ServiziUi &ui)
{
    return LeggiImpostazioni(percorso, ui, LetturaLimitata::Tipo::Impostazioni, nullptr);
}

QStringList LeggiImpostazioni(const QString &percorso, ServiziUi &ui, LetturaLimitata::Tipo tipo, QString *errore)
{
    QByteArray dati;
    const QString motivo = LetturaLimitata::Leggi(percorso, tipo, dati);
    if (errore)
        *errore = motivo;
    if (!motivo.isEmpty())
        return {};
    return ImpostazioniDaByte(dati, ui);
}

QStringList ImpostazioniDaByte(const QByteArray &byte, ServiziUi &ui)
{
    const QStringList righe = RigheDaByte(byte);
    return HaIntestazione(righe) ? RigheCriptate(righe, ui) : righe;
}

} // namespace gascal::FileTesto
