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

// Whether an ECU answer can be the answer to the message: it names the
// message's service + 0x40, or 0x7F and the service for a refusal. A message
// or an answer too short to carry a service is not judged (true).
bool RispondeA(const QByteArray &messaggio, const QByteArray &risposta);

inline constexpr quint8 CodiceRifiuto = 0x7F;
inline constexpr quint8 ScartoRisposta = 0x40;

// Services the program builds itself.
enum Servizio : quint8 {
    ServLeggiBlk2 = 13,
    ServLeggiBlk3 = 14,
    ServScriviBlk2 = 16,
    ServScriviBlk3 = 17,
    ServLeggiMappa = 18,
    ServScriviMappa = 19,
    ServMemorizza = 21,
    ServLeggiFirmware = 33,
    ServScriviProduzione = 44,
    ServLeggiBlk5 = 49,
    ServScriviBlk5 = 50,
};

} // namespace MessaggioEcu
} // namespace gascal
