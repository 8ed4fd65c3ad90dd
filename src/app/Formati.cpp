#include "app/Formati.h"

#include <QLocale>

namespace gascal {

QString LeggiLocale(int locale, int voce)
{
    if (locale != 0)
        return {};
    const QLocale utente;
    if (voce == LocaleSeparatoreDecimale)
        return utente.decimalPoint();
    return {};
}

QString FormatMilli(qint64 valoreMilli, int decimali, const QString &sepDecimale)
{
    decimali = qBound(0, decimali, 3);
    const bool negativo = valoreMilli < 0;
    QString cifre = QString::number(negativo ? -valoreMilli : valoreMilli);
    if (cifre.size() < 4)
        cifre = cifre.rightJustified(4, QLatin1Char('0'));
    // The last three digits are the thousandths; all digits before them are
    // the whole part (the general form of "first one, two or three digits").
    const QString intera = cifre.left(cifre.size() - 3);
    QString risultato = intera;
    if (decimali > 0)
        risultato += sepDecimale + cifre.right(3).left(decimali);
    return negativo ? QLatin1Char('-') + risultato : risultato;
}

} // namespace gascal
