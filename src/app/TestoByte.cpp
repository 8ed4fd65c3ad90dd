#include "app/TestoByte.h"

namespace gascal {

namespace {
int valoreCifra(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}
} // namespace

QByteArray HexToStr(QString &testoHex)
{
    if (testoHex.size() % 2 != 0)
        testoHex.prepend(QLatin1Char('0'));
    QByteArray risultato;
    risultato.reserve(testoHex.size() / 2);
    for (qsizetype i = 0; i + 1 < testoHex.size(); i += 2) {
        const int alto = valoreCifra(testoHex.at(i));
        const int basso = valoreCifra(testoHex.at(i + 1));
        const int valore = (alto < 0 || basso < 0) ? 0 : alto * 16 + basso;
        risultato.append(static_cast<char>(valore));
    }
    return risultato;
}

QByteArray HexToStr(const QString &testoHex)
{
    QString copia = testoHex;
    return HexToStr(copia);
}

QString StrToHex(const QByteArray &byte)
{
    return QString::fromLatin1(byte.toHex().toUpper());
}

bool StrToBytes(const QByteArray &testo, QVector<quint8> &byte)
{
    if (testo.isEmpty())
        return false;
    byte.resize(testo.size());
    for (qsizetype i = 0; i < testo.size(); ++i)
        byte[i] = static_cast<quint8>(testo.at(i));
    return true;
}

bool BytesToStr(const QVector<quint8> &byte, QByteArray &testo)
{
    testo.clear();
    testo.reserve(byte.size());
    for (quint8 b : byte)
        testo.append(static_cast<char>(b));
    return true;
}

bool IsHex(const QString &testo)
{
    for (QChar c : testo)
        if (valoreCifra(c) < 0)
            return false;
    return true;
}

} // namespace gascal
