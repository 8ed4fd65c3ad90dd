#include "i18n/Risorse.h"

#include "i18n/CifraRiga.h"

#include <QFile>

namespace gascal::Risorse {

QStringList RigheDaByte(const QByteArray &byte)
{
    QStringList righe;
    qsizetype inizio = 0;
    for (qsizetype i = 0; i + 1 < byte.size(); ++i) {
        if (byte.at(i) == '\r' && byte.at(i + 1) == '\n') {
            QString chiaro;
            DecriptaRiga(QString::fromLatin1(byte.mid(inizio, i - inizio)), chiaro);
            righe.append(chiaro);
            inizio = i + 2;
            ++i;
        }
    }
    if (righe.isEmpty())
        righe.append(QString());
    return righe;
}

QStringList CaricaRisorsa(int numero, const QString &tipo)
{
    QFile risorsa(QStringLiteral(":/%1/%2").arg(tipo).arg(numero));
    if (!risorsa.open(QIODevice::ReadOnly))
        return {QString()};
    return RigheDaByte(risorsa.readAll());
}

} // namespace gascal::Risorse
