#include "app/MostraErrore.h"

#include "app/ServiziUi.h"

#include <cerrno>

namespace gascal {

QString TestoErrore(const QString &testo1, const QString &testo2, int flagSorgente,
                    qint64 numeroErrore, const QString &descrizione)
{
    qint64 numero = numeroErrore;
    QString testoDescrizione = descrizione;
    if (flagSorgente != 0) {
        numero = errno;
        testoDescrizione.clear();
    }
    QString messaggio = testo2 + QStringLiteral("Error") + testo1 + QStringLiteral(":\r");
    if (numero != 0 && (numero != 3146 || flagSorgente != 0)) {
        const QString codice = (numero >= 0 && numero < 100000)
            ? QString::number(numero)
            : QStringLiteral(" = &H")
                  + QStringLiteral("%1").arg(static_cast<quint32>(numero), 8, 16, QLatin1Char('0')).toUpper();
        messaggio += QStringLiteral("\r") + codice + QStringLiteral(" - ") + testoDescrizione;
    }
    return messaggio;
}

void MostraErrore(ServiziUi &ui, const QString &titoloProgramma, const QString &testo1,
                  const QString &testo2, int flagSorgente, qint64 numeroErrore,
                  const QString &descrizione)
{
    ui.Messaggio(TestoErrore(testo1, testo2, flagSorgente, numeroErrore, descrizione),
                 titoloProgramma + QStringLiteral(": Error"), ServiziUi::Pulsanti::Ok,
                 ServiziUi::Icona::Esclamazione);
}

} // namespace gascal
