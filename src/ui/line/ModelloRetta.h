#pragma once

#include <QByteArray>
#include <QString>
#include <array>

namespace gascal {

class Contesto;
class TabelleScala;

// The calibration line: the ECU's correction of the gas injection time over
// the petrol injection time. 56 points, each a signed correction in steps of
// GetCorrUSec() microseconds, shaped by 9 pivots between which the line is
// straight. The page draws it and turns input into these calls; the
// autotuning sequence and the command-line tool use the same object, the one
// kept in Contesto.
class ModelloRetta
{
public:
    static constexpr int NumPunti = 56;
    static constexpr int NumPivot = 9;
    static constexpr int NumScala = 57;
    // Pivots closer than this (in points) are never made by a sideways move.
    static constexpr int DistanzaMinima = 4;
    static constexpr std::array<qint32, NumPivot> PivotDefault{0, 6, 10, 16, 27, 35, 41, 49, 55};

    // The `Add` codes of an edit step.
    enum Modifica : int { Alza = 1, Abbassa = -1, Destra = 2, Sinistra = 3 };
    enum class Esito {
        Eseguita,      // the line or a pivot changed
        PivotFisso,    // the first and last pivot never move: nothing to send
        TroppoVicino,  // a sideways move refused by the pivot distance
    };

    // Correction of each point, in steps of GetCorrUSec().
    std::array<qint32, NumPunti> Retta{};
    // Point index of each pivot, strictly increasing from 0 to 55.
    std::array<qint32, NumPivot> Pivot = PivotDefault;
    // Selected pivot, 0..8.
    qint32 PivotSel = 0;
    // "[Scala retta]": the petrol injection time (µs) of each point; all zero
    // when the scale configuration lacks the section.
    std::array<qint32, NumScala> Scala{};

    static qint32 GetCorrUSec() { return 64; }

    // All points to 0, the default pivots.
    void DefaultRetta();
    // Adds `val` to every point, no floor applied.
    void SommaCorrezioneTutti(qint32 val);
    // Changes pivot p by `add` and re-interpolates its two neighbouring
    // segments, then applies the floor -4*i on points 0..40.
    void CorreggiPivot(int p, qint32 add);
    // One step of an edit (no drawing, waiting or sending): Alza/Abbassa move
    // the selected pivot (or the whole line with `tuttiPunti`), Destra and any
    // other code move the selected pivot sideways by one point.
    Esito Passo(int add, bool tuttiPunti);

    // Loads the line from value 0..55 of record 6 (signed bytes) and the
    // pivots from values 0..8 of record 4. Pivots that do not rise strictly
    // from 0 to 55 cannot be edited: the defaults replace them and the
    // result is false.
    bool CaricaDaEcu(const Contesto &ctx);
    // Reads the "[Scala retta]" values (extra values beyond 57 are ignored).
    void CaricaScala(const TabelleScala &scale);

    // The 56-byte image of the line; values outside -128..127 are clamped.
    QByteArray ImmagineRetta() const;
    // The image of record 4: the pivots in its first 9 bytes, the rest of
    // record 4's values copied back unchanged.
    QByteArray ImmagineBlk5(const Contesto &ctx) const;
    // Builds DatiMap0 and DatiBlk5 in the context's write data.
    void PrepareScaricaRettaDiCalibrazione(Contesto &ctx) const;
    // Prepares the download and requests operation 8, unless an operation is
    // already pending (then nothing is prepared). True when requested.
    bool RichiediScaricaRetta(Contesto &ctx) const;

    // The legend's two columns for pivot k: petrol time of its point in ms
    // with 1 decimal, and its correction in ms with 2 decimals; halves go to
    // the even last digit.
    QString LegendaBenzina(int k, const QString &sepDecimale) const;
    QString LegendaCorrezione(int k, const QString &sepDecimale) const;
    // Microseconds as milliseconds with `decimali` decimals (halves to even).
    static QString TestoMs(double uSec, int decimali, const QString &sepDecimale);

    // The pivot rule, the one that the page, the tuning profile and the
    // line model all keep: the first pivot at point 0, the last at 55, each
    // above the one before.
    static bool PivotAccettabili(const std::array<qint32, NumPivot> &pivot);
    // The rule in words, for the messages that refuse pivots.
    static QString RegolaPivot();
};

} // namespace gascal
