#include "app/ServiziUiScriptati.h"

namespace gascal {

ServiziUi::Risposta ServiziUiScriptati::Messaggio(const QString &testo, const QString &titolo,
                                                  Pulsanti pulsanti, Icona icona, Risposta predefinito)
{
    const Mostrato box{testo, titolo, pulsanti, icona, predefinito};
    mostrati.append(box);
    if (osservatore)
        osservatore(box);
    if (!risposte.isEmpty())
        return risposte.dequeue();
    switch (pulsanti) {
    case Pulsanti::Ok:
        return Risposta::Ok;
    case Pulsanti::SiNo:
        return Risposta::No;
    case Pulsanti::RiprovaAnnulla:
        return Risposta::Annulla;
    }
    return Risposta::Ok;
}

QString ServiziUiScriptati::ApriFile(const QString &filtro, const QString &)
{
    filtriMostrati.append(filtro);
    return fileDaAprire.isEmpty() ? QString() : fileDaAprire.dequeue();
}

QString ServiziUiScriptati::SalvaFile(const QString &filtro, const QString &)
{
    filtriMostrati.append(filtro);
    return fileDaSalvare.isEmpty() ? QString() : fileDaSalvare.dequeue();
}

QStringList ServiziUiScriptati::Testi() const
{
    QStringList testi;
    for (const Mostrato &m : mostrati)
        testi.append(m.testo);
    return testi;
}

} // namespace gascal
