#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// Conversions between byte strings, hex text and byte arrays.
// A byte string is a QByteArray: every byte 0..255 is kept as it is.
namespace gascal {

// Two hex digits per byte. An odd-length text first gets a "0" in front, and
// the caller's text is changed too. A pair that is not hex gives the byte 0.
QByteArray HexToStr(QString &testoHex);
QByteArray HexToStr(const QString &testoHex);

// Each byte as two upper-case hex digits.
QString StrToHex(const QByteArray &byte);

// False, and the array untouched, for an empty text.
bool StrToBytes(const QByteArray &testo, QVector<quint8> &byte);
bool BytesToStr(const QVector<quint8> &byte, QByteArray &testo);

// True when every character is a hex digit (an empty text is hex).
bool IsHex(const QString &testo);

} // namespace gascal
