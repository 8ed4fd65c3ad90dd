#include "mapfile/Identita.h"

#include "link/MsgRecord.h"

#include <QList>

namespace gascal::Identita {

namespace {

// Byte n (1-based) as two upper-case hex digits.
QString Esa(const QByteArray &identita, int n)
{
    return QStringLiteral("%1")
        .arg(static_cast<quint8>(identita.at(n - 1)), 2, 16, QLatin1Char('0'))
        .toUpper();
}

int Byte(const QByteArray &identita, int n)
{
    return identita.size() > n ? static_cast<quint8>(identita.at(n - 1)) : 0;
}

} // namespace

QString FormatVersione(const QByteArray &identita)
{
    if (identita.size() <= 11)
        return QStringLiteral("00.00 - 00/00/0000");
    return Esa(identita, 1) + QLatin1Char('.') + Esa(identita, 2) + QStringLiteral(" - ")
        + Esa(identita, 3) + QLatin1Char('/') + Esa(identita, 4) + QLatin1Char('/')
        + Esa(identita, 5) + Esa(identita, 6);
}

int IdByte1(const QByteArray &identita) { return Byte(identita, 1); }
int IdByte2(const QByteArray &identita) { return Byte(identita, 2); }
int IdByte3(const QByteArray &identita) { return Byte(identita, 3); }
int IdByte4(const QByteArray &identita) { return Byte(identita, 4); }

int IdCodice(const QByteArray &identita)
{
    if (identita.size() <= 6)
        return 0;
    // The four hex digits read as a decimal number: the leading decimal
    // digits count, so a year byte that is not BCD ("20A4") reads as 20.
    const QString cifre = Esa(identita, 5) + Esa(identita, 6);
    int valore = 0;
    for (QChar c : cifre) {
        if (!c.isDigit())
            break;
        valore = valore * 10 + c.digitValue();
    }
    return valore;
}

QByteArray TerzaParola(const QByteArray &testo)
{
    // Every blank separates, so two blanks in a row make an empty word.
    const QList<QByteArray> parole = testo.split(' ');
    return parole.size() > 2 ? parole.at(2) : QByteArray();
}

QString NumeroSerie(const MsgRecord &produzione)
{
    if (produzione.Valori.size() < 2)
        return {};
    return QStringLiteral("%1-%2").arg(produzione.Valori.at(1)).arg(produzione.Valori.at(0));
}

} // namespace gascal::Identita
