#pragma once

#include <QByteArray>
#include <QString>
#include <array>

namespace gascal {

// The eight sample tables of the road interpolation: for each fuel the mean
// of its three engine-speed bands and the bands themselves (below 1500 rpm,
// 1500..2999, 3000 and above). Row r holds the petrol injection time (µs)
// sampled at row quantity 32 x r; 0 is an empty cell.
struct TabelleCampioni {
    static constexpr int Righe = 44;
    static constexpr int NumeroTabelle = 8;
    using Tabella = std::array<qint32, Righe>;

    // The order of the tables in a sample file and in the table text.
    enum Indice { BeM, Be0, Be1, Be2, GaM, Ga0, Ga1, Ga2 };
    static const std::array<const char *, NumeroTabelle> Nomi;

    std::array<Tabella, NumeroTabelle> t{};

    Tabella &operator[](int indice) { return t[indice]; }
    const Tabella &operator[](int indice) const { return t[indice]; }

    static void ClearTab(Tabella &tabella) { tabella.fill(0); }
    // Clears the mean and the three bands of one fuel.
    void CancellaBenzina();
    void CancellaGas();

    // The sample file image: 44 records, row 0 first, each the eight tables'
    // values as 4-byte little-endian signed integers. 1408 bytes, no header.
    static constexpr int DimensioneFile = Righe * NumeroTabelle * 4;
    QByteArray Immagine() const;
    // False (tables untouched) when the image is not exactly one file long
    // or holds a value that cannot be a petrol time.
    bool DaImmagine(const QByteArray &immagine);
    // The longest petrol time the ECU reports (value 1 of record 1: 16 bits
    // of 4 us); a cell holds 0 (empty) up to it.
    static constexpr qint32 TempoMassimo = 65535 * 4;
    // Empty when every value of the image lies within 0..TempoMassimo, else
    // the first that does not, named by table and row.
    static QString ValoreImpossibile(const QByteArray &immagine);

    // The table text: a header line, then one line per row: the row number in
    // 3 characters and the eight values in 6 characters each, right-aligned,
    // every line ended by CR LF.
    QString Testo() const;

    bool operator==(const TabelleCampioni &altre) const = default;
};

} // namespace gascal
