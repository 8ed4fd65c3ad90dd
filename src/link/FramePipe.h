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

// Whether a whole reply frame (length field = its size) can be the reply to
// this request. A valid reply code must be the command's, except 0 (PrjCom's
// answer to a request it could not read); an invalid one is left to the
// check. A command-6 reply that reports an ECU answer must carry the answer
// to the request's service. A reply to an earlier request, come after the
// program gave it up, fails this.
bool RispondeA(const QByteArray &frame, quint8 comando, const QByteArray &dati);

// The length of the whole frame at the front of `ricevuti`, 0 when the bytes
// do not start with a whole frame.
qsizetype LunghezzaFrame(const QByteArray &ricevuti);

} // namespace FramePipe
} // namespace gascal
