#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace gascal {

class ServiziUi;

// The tuning profile: the waits, sample counts, speeds, tolerances and
// correction steps of the autotuning, read from the column of one fuel,
// and the two model tables (LPG and CNG) from which the calibration line is
// rebuilt. Every value starts at 0; a key missing from the profile leaves
// its value as it was.
class ProfiloTaratura
{
public:
    // One model table: 27 numbers, nine pivots, nine offsets (us), nine
    // slopes (thousandths of the gas correction).
    using Modello = std::array<qint32, 27>;
    static constexpr int InizioPivot = 0, InizioOffset = 9, InizioPendenze = 18;

    qint32 TempTaratura = 0;
    qint32 RpmMinimi = 0;
    double AttesaMinimoMs = 0;
    qint32 NumCampioniMinimo = 0;
    double FreqCampioniMinimoMs = 0;
    qint32 RpmMassimo = 0;
    double AttesaMassimoMs = 0;
    qint32 NumCampioniMassimo = 0;
    double FreqCampioniMassimoMs = 0;
    double PrimaAttesaMs = 0;
    double AttesaCorrInjMs = 0;
    qint32 NumCampioniCorrInj = 0;
    double FreqCampioniCorrInjMs = 0;
    qint32 CicliInTolleranzaInj = 0;
    qint32 MaxCicliNonInTolleranzaInj = 0;
    qint32 TolleranzaInj = 0;        // "Tolleranza in correzione inj %"
    qint32 StepCorrezioneInj = 0;    // "Step di Correzione inj %"
    qint32 MassimaCorrezioneInj = 0; // us
    qint32 RpmRitornoMinimo = 0;
    double AttesaRitornoMinimoMs = 0;
    double AttesaCorrMinimoMs = 0;
    qint32 NumCampioniCorrMinimo = 0;
    double FreqCampioniCorrMinimoMs = 0;
    qint32 CicliInTolleranzaMinimo = 0;
    qint32 MaxCicliNonInTolleranzaMinimo = 0;
    qint32 TolleranzaMinimo = 0;     // "Tolleranza in correzine minimo %"
    qint32 StepCorrezioneMinimo = 0; // "Step di Correzione minimo %"
    qint32 MassimaCorrezioneMinimo = 0;
    // Read and kept; no operation uses them.
    qint32 MassimaCorrezione = 0;
    qint32 MinimaCorrezione = 0;
    qint32 SogliaRilascio = 0;
    qint32 SogliaSecondoSet = 0;
    qint32 SogliaTerzoSet = 0;
    qint32 SmagrimentoTerzoSet = 0;
    qint32 SmagrimentoRilascio = 0;

    Modello ModelloGpl{};
    Modello ModelloCng{};

    // Reads the profile from `percorso` when that file exists (plain or
    // scrambled), else from the built-in one, with the CNG column when `cng`
    // is true. Key lines that cannot be converted are skipped and named in
    // one message; the rest still loads. A file that is there but cannot be
    // read (not a regular file, far too big) is said and nothing changes.
    void CaricaProfiloTaratura(const QString &percorso, bool cng, ServiziUi &ui,
                               const QString &sepDecimale = QStringLiteral("."));

    // The parser: applies the lines, returns the keys skipped (and model
    // sections that could not be read). A value outside its key's range
    // (RegoleProfilo) and a model that breaks the model rule are skipped
    // too, named with the value and the range; those alone also go to
    // `fuoriRegola` when given.
    QStringList ApplicaRighe(const QStringList &righe, bool cng, const QString &sepDecimale,
                             QStringList *fuoriRegola = nullptr);

    // The profile's name in messages: the file when it exists, else "(built-in)".
    static QString NomeProfilo(const QString &percorso);
    // The lines of the built-in profile.
    static QStringList RigheIncorporate();
};

} // namespace gascal
