#include "i18n/CifraRiga.h"

#include "app/TestoByte.h"

#include <QByteArray>

namespace gascal {

namespace {
constexpr quint8 CatenaIniziale = 0x5C;

quint8 Chiave(qsizetype i)
{
    return static_cast<quint8>(0xA7 + 29 * i);
}

quint8 Somma(const QByteArray &byte)
{
    quint8 somma = 0;
    for (char c : byte)
        somma = static_cast<quint8>(somma + static_cast<quint8>(c));
    return somma;
}
} // namespace

QString CriptaRiga(const QString &riga)
{
    const QByteArray chiaro = riga.toUtf8();
    QByteArray cifrato;
    cifrato.append(static_cast<char>(Somma(chiaro)));
    quint8 precedente = CatenaIniziale;
    for (qsizetype i = 0; i < chiaro.size(); ++i) {
        const quint8 c = static_cast<quint8>(chiaro.at(i)) ^ Chiave(i) ^ precedente;
        cifrato.append(static_cast<char>(c));
        precedente = c;
    }
    return StrToHex(cifrato);
}

bool DecriptaRiga(const QString &riga, QString &testo)
{
    testo.clear();
    if (riga.size() < 2 || riga.size() % 2 != 0 || !IsHex(riga))
        return false;
    const QByteArray cifrato = HexToStr(riga);
    QByteArray chiaro;
    quint8 precedente = CatenaIniziale;
    for (qsizetype i = 1; i < cifrato.size(); ++i) {
        const quint8 c = static_cast<quint8>(cifrato.at(i));
        chiaro.append(static_cast<char>(c ^ Chiave(i - 1) ^ precedente));
        precedente = c;
    }
    if (Somma(chiaro) != static_cast<quint8>(cifrato.at(0)))
        return false;
    testo = QString::fromUtf8(chiaro);
    return true;
}

} // namespace gascal
