#pragma once

#include "link/MsgRecord.h"

#include <functional>
#include <optional>

namespace gascal {

// What the decoder needs besides the block itself: the settings that enter
// the derived values of the live record.
struct AmbienteDecodifica {
    double SommaTempoInj_usec = 0;
    bool InterpolazioneAttiva = false;
    std::optional<qint32> Valore20Record3;           // engine-speed factor
    std::function<qint32(qint32)> ConvertiMapSens;   // manifold-pressure conversion
    // Told of the variables that a decode could not fill (the record's layout
    // and the block disagree); called only when there are some.
    std::function<void(const MsgRecord &, const QByteArray &, const QVector<int> &)> SegnalaNonDecodificate;
};

// Block images <-> engineering values, by the record's variable list.
//   "UB" 8 bit, "SB" 8 bit signed, "UW"/"SW" 16 bit little-endian at P, P+1;
//   "SL" 32 bit at P+1..P+4 as two big-endian words, low word first. Writes
//   use the same "SL" layout, so that a value read and written back stays.
namespace Blocco {

// Fills record.Valori from the image. Returns the indexes of the variables
// that could not be decoded (bytes outside the image, an unknown type, a
// scaled value beyond 32 bits): those keep their previous value, and no
// derived value is computed from them. The environment's
// SegnalaNonDecodificate is told of those the block lacks.
QVector<int> DecodificaBlocco(const QByteArray &immagine, MsgRecord &record,
                              const AmbienteDecodifica &ambiente = {});

// The data part of a write message, the variables one after the other in
// list order.
QByteArray CodificaBlocco(const MsgRecord &record);

// Numbers of the records whose Id the decoder post-processes.
inline constexpr qint32 IdDatiLive = 1;
inline constexpr qint32 IdProduzione = 5;

} // namespace Blocco
} // namespace gascal
