#include "ecu/Blocco.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace gascal::Blocco {

namespace {

// The raw value of variable i, or nothing when its bytes are not in the image.
std::optional<qint64> Grezzo(const QByteArray &img, const QString &tipo, qint32 posizione)
{
    const qint64 p = posizione; // P + 4 must not overflow for any position
    // p is 1-based: byte P is img[p - 1].
    auto b = [&img](qint64 pos) -> std::optional<qint64> {
        if (pos < 1 || pos > img.size())
            return std::nullopt;
        return static_cast<quint8>(img.at(pos - 1));
    };
    if (tipo == QLatin1String("UB") || tipo == QLatin1String("SB")) {
        const auto v = b(p);
        if (!v)
            return std::nullopt;
        return tipo == QLatin1String("SB") && *v > 127 ? *v - 256 : *v;
    }
    if (tipo == QLatin1String("UW") || tipo == QLatin1String("SW")) {
        const auto lo = b(p), hi = b(p + 1);
        if (!lo || !hi)
            return std::nullopt;
        const qint64 v = *lo + 256 * *hi;
        return tipo == QLatin1String("SW") && v > 32767 ? v - 65536 : v;
    }
    if (tipo == QLatin1String("SL")) {
        const auto b1 = b(p + 1), b2 = b(p + 2), b3 = b(p + 3), b4 = b(p + 4);
        if (!b1 || !b2 || !b3 || !b4)
            return std::nullopt;
        const quint32 u = static_cast<quint32>(*b2) + (static_cast<quint32>(*b1) << 8)
            + (static_cast<quint32>(*b4) << 16) + (static_cast<quint32>(*b3) << 24);
        return static_cast<qint32>(u);
    }
    return std::nullopt;
}

bool In32Bit(qint64 v)
{
    return v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max();
}

// The live record's derived values, each only from values decoded just now:
// a value that kept its old content must not be derived again (the petrol
// time would grow by SommaTempoInj_usec at every read).
void DerivatiDatiLive(MsgRecord &r, const AmbienteDecodifica &amb, const QVector<qint32> &prima,
                      QVector<int> &nonDecodificate)
{
    auto &v = r.Valori;
    auto decodificato = [&nonDecodificate](int i) { return !nonDecodificate.contains(i); };
    if (v.size() > 1 && decodificato(1) && v[1] >= 1) {
        const double somma = std::nearbyint(v[1] + amb.SommaTempoInj_usec);
        if (somma >= std::numeric_limits<qint32>::min() && somma <= std::numeric_limits<qint32>::max())
            v[1] = static_cast<qint32>(somma);
    }
    if (v.size() > 6 && decodificato(4)) {
        if (!decodificato(6)) {
            // Without the state bit the speed cannot be told: keep the old one.
            v[4] = prima.value(4);
            nonDecodificate.append(4);
        } else if (v[6] & 1) {
            if (amb.Valore20Record3) {
                const qint64 prodotto = static_cast<qint64>(v[4]) * *amb.Valore20Record3;
                if (prodotto != 0)
                    v[4] = static_cast<qint32>(30000000LL / prodotto);
            }
        } else {
            v[4] = 0;
        }
    }
    if (amb.InterpolazioneAttiva && amb.ConvertiMapSens && v.size() > 5 && decodificato(5))
        v[5] = amb.ConvertiMapSens(v[5]);
}

} // namespace

QVector<int> DecodificaBlocco(const QByteArray &immagine, MsgRecord &record,
                              const AmbienteDecodifica &ambiente)
{
    QVector<int> nonDecodificate;
    record.Terzo = 0;
    const QVector<qint32> prima = record.Valori;
    const qsizetype n = record.Valori.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto grezzo = i < record.Tipi.size() && i < record.Offset.size()
            ? Grezzo(immagine, record.Tipi.at(i), record.Offset.at(i))
            : std::nullopt;
        const qint64 scala = i < record.Scala.size() ? record.Scala.at(i) : 1;
        if (!grezzo || !In32Bit(*grezzo * scala)) {
            nonDecodificate.append(static_cast<int>(i));
            continue;
        }
        record.Valori[i] = static_cast<qint32>(*grezzo * scala);
    }
    // What the block lacks is told; a value kept because another one is lacking is not.
    const QVector<int> mancanti = nonDecodificate;
    if (record.Id == IdDatiLive)
        DerivatiDatiLive(record, ambiente, prima, nonDecodificate);
    if (record.Id == IdProduzione && record.Valori.size() > 6 && !nonDecodificate.contains(6)) {
        const qint32 v6 = record.Valori[6];
        if (v6 != 4 && v6 != 6)
            record.Valori[6] = 8;
    }
    if (!mancanti.isEmpty() && ambiente.SegnalaNonDecodificate)
        ambiente.SegnalaNonDecodificate(record, immagine, mancanti);
    return nonDecodificate;
}

QByteArray CodificaBlocco(const MsgRecord &record)
{
    QByteArray dati;
    auto aggiungi = [&dati](qint64 v) { dati.append(static_cast<char>(v & 0xFF)); };
    for (qsizetype i = 0; i < record.Valori.size(); ++i) {
        const QString &tipo = record.Tipi.value(i);
        const qint32 scala = record.Scala.value(i);
        const double quoziente = scala != 0 ? static_cast<double>(record.Valori.at(i)) / scala : 0.0;
        if (tipo == QLatin1String("SB")) {
            const qint64 grezzo = std::clamp<qint64>(static_cast<qint64>(std::floor(quoziente)), -128, 127);
            aggiungi(grezzo < 0 ? grezzo + 256 : grezzo);
            continue;
        }
        // Halves go to the even neighbour (the default rounding mode).
        const auto grezzo = static_cast<qint64>(static_cast<qint32>(
            static_cast<qint64>(std::nearbyint(quoziente))));
        if (tipo == QLatin1String("UB")) {
            aggiungi(grezzo);
        } else if (tipo == QLatin1String("UW") || tipo == QLatin1String("SW")) {
            aggiungi(grezzo);
            aggiungi(grezzo >> 8);
        } else if (tipo == QLatin1String("SL")) {
            // The layout the decoder reads: high byte of the low word first.
            aggiungi(grezzo >> 8);
            aggiungi(grezzo);
            aggiungi(grezzo >> 24);
            aggiungi(grezzo >> 16);
        }
    }
    return dati;
}

} // namespace gascal::Blocco
