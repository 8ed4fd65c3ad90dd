#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

namespace gascal {

// One ECU message of the message table: how to ask for a block and how the
// block's variables lie in the ECU's answer.
struct MsgRecord {
    qint32 Id = 0;
    QString Nome;
    qint32 Terzo = 0;            // cleared by every decode of the record
    QStringList Tipi{QString()}; // "UB", "SB", "UW", "SW" or "SL"
    QVector<qint32> Offset{0};   // 1-based position in the answer message
    QVector<qint32> Scala{0};
    QVector<qint32> Valori{0};   // engineering values after the last decode
    QString Richiesta;           // the request message in hex, checksum included
    QByteArray Immagine;         // the last block image read
    bool Flag = false;

    // Sizes the four variable arrays to n entries.
    void Dimensiona(qsizetype n)
    {
        Tipi.resize(n);
        Offset.resize(n);
        Scala.resize(n);
        Valori.resize(n);
    }
    qsizetype NumeroVariabili() const { return Valori.size(); }
};

// The message table: record n is the (n+1)-th [MSG] entry of SetCom.ini.
using TabellaMessaggi = QVector<MsgRecord>;

} // namespace gascal
