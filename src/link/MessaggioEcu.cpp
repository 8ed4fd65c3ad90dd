#include "link/MessaggioEcu.h"

namespace gascal::MessaggioEcu {

quint8 ChecksumXor(const QByteArray &s)
{
    quint8 x = 0;
    for (char c : s)
        x ^= static_cast<quint8>(c);
    return x;
}

QByteArray ComponiMessaggio(quint8 b0, quint8 b1, quint8 servizio, const QByteArray &dati)
{
    QByteArray messaggio;
    messaggio.reserve(dati.size() + 5);
    messaggio.append(static_cast<char>(b0));
    messaggio.append(static_cast<char>(b1));
    messaggio.append(static_cast<char>((dati.size() + 3) & 0xFF));
    messaggio.append(static_cast<char>(servizio));
    messaggio.append(dati);
    messaggio.append(static_cast<char>(ChecksumXor(messaggio)));
    return messaggio;
}

QByteArray DatiRisposta(const QByteArray &risposta)
{
    if (risposta.size() <= 6)
        return {};
    return risposta.mid(5, risposta.size() - 6);
}

bool RispondeA(const QByteArray &messaggio, const QByteArray &risposta)
{
    if (messaggio.size() < 4 || risposta.size() < 5 || static_cast<quint8>(messaggio.at(0)) != Indirizzo)
        return true;
    const quint8 servizio = static_cast<quint8>(messaggio.at(3));
    const quint8 risposto = static_cast<quint8>(risposta.at(3));
    if (risposto == CodiceRifiuto)
        return static_cast<quint8>(risposta.at(4)) == servizio;
    return risposto == static_cast<quint8>(servizio + ScartoRisposta);
}

} // namespace gascal::MessaggioEcu
