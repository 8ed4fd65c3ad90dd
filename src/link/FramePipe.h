#pragma once

#include <QByteArray>

namespace gascal {

// The last reply's fields, kept for the rest of the program.
struct RispostaPipe {
    qint32 RispCodice = -1;
    qint32 RispByte4 = 0; // ECU status: 1 = the ECU exchange succeeded
    qint32 RispByte5 = 0;
    qint32 RispByte6 = 0; // the communication process's current mode
    qint32 RispByte7 = 0;
    qint32 RispByte8 = 0;
    QByteArray RispDati;
};

// Request and reply frames of the pipes to the communication process.
namespace FramePipe {

// Transaction results.
enum Stato : int {
    Ok = 0,
    LunghezzaErrata = 1,  // shorter than 8 bytes, or length field not the bytes received
    CodiceNonValido = 2,
    DatiMancanti = 3,     // the payload the reply code needs is missing
    InvioFallito = 4,     // send failed, the user cancelled, or no reply on a failed link
};

// A request frame: length (8 + n, little-endian), command, five parameters, data.
QByteArray Richiesta(quint8 comando, quint8 p1, quint8 p2, quint8 p3, quint8 p4, quint8 p5,
                     const QByteArray &dati);

// Checks and splits one reply frame. The ECU-status bytes are stored into
// `campi` only once the length check has passed; the code and the payload
// always (code -1 and an empty payload after a failed length check).
int DecodificaRisposta(const QByteArray &frame, RispostaPipe &campi);

bool CodiceValido(int codice);

} // namespace FramePipe
} // namespace gascal
