#include "link/FramePipe.h"

#include "link/MessaggioEcu.h"

namespace gascal::FramePipe {

QByteArray Richiesta(quint8 comando, quint8 p1, quint8 p2, quint8 p3, quint8 p4, quint8 p5,
                     const QByteArray &dati)
{
    const qsizetype lunghezza = 8 + dati.size();
    QByteArray frame;
    frame.reserve(lunghezza);
    frame.append(static_cast<char>(lunghezza & 0xFF));
    frame.append(static_cast<char>((lunghezza >> 8) & 0xFF));
    for (quint8 b : {comando, p1, p2, p3, p4, p5})
        frame.append(static_cast<char>(b));
    frame.append(dati);
    return frame;
}

bool CodiceValido(int codice)
{
    return (codice >= 0 && codice <= 8) || codice == 10 || codice == 11;
}

qsizetype LunghezzaFrame(const QByteArray &ricevuti)
{
    if (ricevuti.size() < 8)
        return 0;
    const qsizetype lunghezza = static_cast<quint8>(ricevuti.at(0)) * 256 + static_cast<quint8>(ricevuti.at(1));
    return lunghezza >= 8 && lunghezza <= ricevuti.size() ? lunghezza : 0;
}

bool RispondeA(const QByteArray &frame, quint8 comando, const QByteArray &dati)
{
    if (frame.size() < 8)
        return true;
    const int codice = static_cast<quint8>(frame.at(2));
    if (!CodiceValido(codice) || codice == 0)
        return true;
    if (codice != comando)
        return false;
    // An answer and a refusal both name the service they answer: a late one
    // to a request given up is not the reply to this one.
    constexpr int EcuRisponde = 1;
    constexpr int EcuRifiuta = 3;
    const int statoEcu = static_cast<quint8>(frame.at(3));
    if (comando == 6 && (statoEcu == EcuRisponde || statoEcu == EcuRifiuta))
        return MessaggioEcu::RispondeA(dati, frame.mid(8));
    return true;
}

int DecodificaRisposta(const QByteArray &frame, RispostaPipe &campi)
{
    auto byte = [&frame](qsizetype i) { return static_cast<quint8>(frame.at(i)); };
    const qsizetype lunghezza = frame.size();

    int stato = Ok;
    if (lunghezza < 8)
        stato = LunghezzaErrata;
    if (stato == Ok && byte(0) * 256 + byte(1) != lunghezza)
        stato = LunghezzaErrata;
    if (stato == Ok) {
        campi.RispByte4 = byte(3);
        campi.RispByte5 = byte(4);
        campi.RispByte6 = byte(5);
        campi.RispByte7 = byte(6);
        campi.RispByte8 = byte(7);
    }
    campi.RispCodice = -1;
    if (stato == Ok) {
        campi.RispCodice = byte(2);
        if (!CodiceValido(campi.RispCodice))
            stato = CodiceNonValido;
    }
    campi.RispDati.clear();
    if (stato != Ok)
        return stato;

    switch (campi.RispCodice) {
    case 0:
        if (lunghezza > 8)
            campi.RispDati = frame.mid(8);
        break;
    case 3:
        if (lunghezza > 8)
            campi.RispDati = frame.mid(8, 1);
        break;
    case 4:
        if (lunghezza <= 8)
            return DatiMancanti;
        campi.RispDati = frame.mid(8, 1);
        break;
    case 11:
        if (lunghezza <= 9)
            return DatiMancanti;
        campi.RispDati = frame.mid(8, 2);
        break;
    case 6:
    case 7:
    case 8:
    case 10:
        campi.RispDati = frame.mid(8);
        break;
    default: // 1, 2, 5: no payload
        break;
    }
    return Ok;
}

} // namespace gascal::FramePipe
