#pragma once

#include <QByteArray>

namespace gascal {

// ECU messages: address byte, second header byte, n + 3, service, data, and
// the XOR of all preceding bytes.
namespace MessaggioEcu {

inline constexpr quint8 Indirizzo = 0x41;
inline constexpr quint8 SecondoByte = 2;

quint8 ChecksumXor(const QByteArray &s);
QByteArray ComponiMessaggio(quint8 b0, quint8 b1, quint8 servizio, const QByteArray &dati);
// A program-built message (0x41, 2, ...).
inline QByteArray Componi(quint8 servizio, const QByteArray &dati = {})
{
    return ComponiMessaggio(Indirizzo, SecondoByte, servizio, dati);
}

// The data part of an ECU answer: without its 5-byte header and its checksum.
QByteArray DatiRisposta(const QByteArray &risposta);

// Services the program builds itself.
enum Servizio : quint8 {
    LeggiBlk2 = 13,
    LeggiBlk3 = 14,
    ScriviBlk2 = 16,
    ScriviBlk3 = 17,
    LeggiMappa = 18,
    ScriviMappa = 19,
    Memorizza = 21,
    LeggiFirmware = 33,
    ScriviProduzione = 44,
    LeggiBlk5 = 49,
    ScriviBlk5 = 50,
};

} // namespace MessaggioEcu
} // namespace gascal
