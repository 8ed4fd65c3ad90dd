#pragma once

#include "interp/CampionatoreStabilita.h"
#include "interp/CurveCampioni.h"

#include <QPair>
#include <QVector>
#include <optional>

namespace gascal {

class Contesto;

// What the interpolation window does besides drawing: runs the sampler on
// the live values, fits the two curves, computes the deflection and keeps
// the state of its display. The window and `gascal-cli samples` share it.
// The tables themselves are the program's (Contesto::campioni).
class Interpolazione
{
public:
    // Deflection display: nothing to show, available, asked for.
    enum StatoDeflessione { Niente = 0, Disponibile = 1, Richiesta = 2 };

    // A proposed correction to show on the calibration line page: the point
    // and its deflection in µs (the page puts the marker at deflection / 64
    // steps above the point's correction).
    using Marcatore = QPair<int, qint32>;

    // The stability times of the window's list (ms) and the default entry.
    static QList<int> TempiStabilita();
    static constexpr int VoceStabilitaPredefinita = 4; // 2000 ms

    explicit Interpolazione(Contesto &ctx);

    // One refresh: saves Memo.ini (when the tables changed), samples when
    // the fuel allows it, fits both curves and computes the deflection.
    // Returns the markers to draw when the technician asked for them (the
    // display then goes back to Niente), else nothing.
    struct Opzioni {
        bool bezier = false;
        bool senzaBenzina = false; // the petrol-sampling switch
        int stabilitaMs = 2000;
    };
    std::optional<QVector<Marcatore>> Aggiorna(const Opzioni &opzioni);

    // Only the fitting and the deflection (no sampling, no file).
    void Calcola(bool bezier);
    // Whether the sampler runs with this fuel state (value 1 of record 2).
    static bool Campiona(bool senzaBenzina, qint32 carburante);

    // The points with a non-zero deflection.
    QVector<Marcatore> Marcatori() const;

    // CmdPlottaDeflessio: with a deflection available, the next refresh
    // draws it.
    void ChiediDeflessione();
    void CancellaBenzina();
    void CancellaGas();
    // Replaces the tables with a sample file's; false (tables untouched) with
    // the reason when the file is refused.
    bool CaricaFile(const QString &percorso, QString *errore);

    // Saves Memo.ini now if the tables differ from what it holds.
    bool SalvaMemo(QString *errore = nullptr);
    // The file the refresh keeps the tables in (Memo.ini of the program
    // folder unless changed).
    void ImpostaFileMemo(const QString &percorso) { m_fileMemo = percorso; m_memoScritto.clear(); }
    const QString &FileMemo() const { return m_fileMemo; }
    // Why the last save of Memo.ini failed (empty after a good one).
    const QString &ErroreMemo() const { return m_erroreMemo; }

    CampionatoreStabilita &Campionatore() { return m_campionatore; }
    CurveCampioni &Curve() { return m_curve; }
    const Curva &CurvaBenzina() const { return m_curvaBenzina; }
    const Curva &CurvaGas() const { return m_curvaGas; }
    const QVector<qint32> &Deflessione() const { return m_deflessione; }
    int Stato() const { return m_stato; }
    void ImpostaStato(int stato) { m_stato = stato; }

    int Percentuale = 60;

    static constexpr int PuntiRetta = 56;

private:
    Contesto &m_ctx;
    CampionatoreStabilita m_campionatore;
    CurveCampioni m_curve;
    Curva m_curvaBenzina;
    Curva m_curvaGas;
    QVector<qint32> m_deflessione;
    int m_stato = Niente;
    QString m_fileMemo;
    QByteArray m_memoScritto;
    QString m_erroreMemo;
};

} // namespace gascal
