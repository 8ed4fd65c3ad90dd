#include "ecu/FileTesto.h"

#include "app/ServiziUi.h"
#include "i18n/CifraRiga.h"

#include <QFile>

namespace gascal::FileTesto {

QStringList DividiRighe(const QString &testo)
{
    return testo.split(QStringLiteral("\r\n"));
}

QList<QByteArray> RigheBlocchi(const QByteArray &testo)
{
    QList<QByteArray> righe = testo.split('\n');
    for (QByteArray &riga : righe)
        if (riga.endsWith('\r'))
            riga.chop(1);
    return righe;
}

QStringList LeggiFileTesto(const QString &percorso)
{
    QFile file(percorso);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return DividiRighe(QString::fromUtf8(file.readAll()));
}

bool VerificaHeader(const QString &percorso)
{
    const QStringList righe = LeggiFileTesto(percorso);
    if (righe.isEmpty())
        return false;
    QString prima;
    return DecriptaRiga(righe.first(), prima) && prima == IntestazioneCriptata();
}

QStringList LeggiFileCriptato(const QString &percorso, ServiziUi &ui)
{
    if (!VerificaHeader(percorso)) {
        ui.Messaggio(QStringLiteral("HEADER WRONG "), QStringLiteral("FileExist"),
                     ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Informazione);
        return {};
    }
    const QStringList righe = LeggiFileTesto(percorso);
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
    return VerificaHeader(percorso) ? LeggiFileCriptato(percorso, ui) : LeggiFileTesto(percorso);
}

} // namespace gascal::FileTesto
