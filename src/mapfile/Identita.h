#pragma once

#include <QByteArray>
#include <QString>

namespace gascal {

struct MsgRecord;

// The ECU's firmware identity: version major, minor, day, month and year in
// two bytes, each byte two decimal digits (0x28 means 28), then free text.
namespace Identita {

// "B1.B2 - B3/B4/B5B6"; "00.00 - 00/00/0000" for 11 bytes or fewer.
QString FormatVersione(const QByteArray &identita);
// The code of byte n (1-based), 0 when the identity is not longer than n bytes.
int IdByte1(const QByteArray &identita);
int IdByte2(const QByteArray &identita);
int IdByte3(const QByteArray &identita);
int IdByte4(const QByteArray &identita);
// Bytes 5 and 6 as four hex digits read as a decimal number (the year).
int IdCodice(const QByteArray &identita);
// The third word of a text split on blanks, empty when there is none.
QByteArray TerzaParola(const QByteArray &testo);
// The ECU's serial from its production record (record 5): "LOT-NUMBER"
// (values 1 and 0), empty when the record does not hold them.
QString NumeroSerie(const MsgRecord &produzione);

} // namespace Identita
} // namespace gascal
