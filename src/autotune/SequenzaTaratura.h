#pragma once

#include "autotune/LogTaratura.h"
#include "autotune/ProfiloTaratura.h"
#include "link/MsgRecord.h"

#include <QString>

#include <functional>

namespace gascal {

class Contesto;
class RettaTaratura;
class VistaTaratura;

// The autotuning sequence: six steps on the running engine (set-up, ECU
// configuration, petrol sampling at idle and at the profile's speed,
// injector tare on gas, idle tare and acceptance), each returning a result
// code, then the restore of records 2 and 3 after a failure or a stop. The
// window (or the command-line tool) shows what it is told through
// VistaTaratura and answers through Ferma, Accetta and Scegli; every wait
// keeps the event loop running, and a stop is seen within 50 ms.
class SequenzaTaratura
{
public:
    enum Risultato : qint32 {
        Completato = 0,
        Fermato = 1,        // Stop pressed
        GiriBassi = 2,      // engine speed 0 or too low
        MotoreFermo = 3,    // running bit clear
        Comunicazione = 4,  // a transaction failed
        FuoriTolleranza = 5,
        CambioCarburante = 6,
        Modello = 7,        // the model could not build the line ("Error 011")
        ModoPerso = 8,      // the ECU left the tuning mode or the fuel (a reset, a power cut)
        TempoScaduto = 9,   // the ECU or the engine did not do what was waited for in time
    };

    // The longest waits for the engine and for the ECU.
    static constexpr double AttesaMotore_usec = 10 * 60e6;
    static constexpr double AttesaEcu_usec = 30e6;

    SequenzaTaratura(Contesto &ctx, VistaTaratura &vista, RettaTaratura &retta);

    // The shared state of the run.
    qint32 PassoTaratura = 0;
    bool StopTaratura = false;
    bool AccettaTaratura = false;
    qint32 SelAlimentazione = -2;   // -2 not chosen, 0 LPG, 8 CNG
    qint32 SelIniettore = -2;       // -2 not chosen, else index into the injector table
    qint32 TBenzMin = 0;
    qint32 TBenzMax = 0;
    qint32 TGasCil = 0;
    qint32 ContaGiriBassi = 10;
    MsgRecord CopiaRecord2;
    MsgRecord CopiaRecord3;
    QString FileSatoTun;
    QString FileParaTun;            // the profile; empty = built-in
    QString Didascalia;             // caption of the main window, first log line
    ProfiloTaratura profilo;

    // The whole run (Timer1 in state 7); leaves the program connected, or
    // searching when the link was lost. The result of the last run:
    void TaraturaAvvio();
    qint32 UltimoRisultato() const { return m_ultimo; }
    bool InCorso() const { return m_inCorso; }
    bool RettaScritta() const { return m_rettaScritta; }
    // What the restore after the last run put back, or could not (empty when
    // there was nothing to put back).
    const QString &TestoRipristino() const { return m_testoRipristino; }
    // The text of a result code (autotuning texts, and the program's own).
    QString TestoRisultato(qint32 risultato) const;

    // The Go button: false when nothing happens (offline, or a run going).
    bool Go();
    // The Stop button: true when no run is going (the window then closes).
    bool Ferma();
    // The Accept button with the list's selected entry (-1 = none).
    void Accetta(int selezionata);
    // Double click or Enter on the list entry `indice`.
    void Scegli(int indice);

    // The fuel and injector lists (from the injector page's lists) and
    // their loading into the window's list.
    QStringList VociAlimentazione() const;
    QStringList VociIniettore() const;
    void CaricaSelezioneAlimentazione();
    void CaricaSelezioneIniettore();

    // Autotuning text k (entry k after the line "[Frm_AutoTuning]").
    QString Testo(int k) const;
    // The pedestal guard: lifts a correction that would put the gas time
    // under the injector's minimum opening; false when it did.
    bool VerificaGuardiaPiedistallo(qint32 &corr) const;
    // A correction as "text 44 CR LF x.xx" (ms).
    QString TestoCorrezione() const;

    // The steps (public for the tests of single steps).
    void PreparaTaratura(qint32 &r);
    void ConfiguraTaratura(qint32 &r);
    void CampionaMinimo(qint32 &r);
    void CampionaMassimo(qint32 &r);
    void TaraIniettori(qint32 &r);
    void TaraMinimo(qint32 &r);

    // A correction rounded to the line's step (64 us), halves to even.
    static qint32 Quantizza(double corr, qint32 passo = 64);
    // The speed rule of the idle tare: 0 to go on, else the result.
    qint32 RegolaGiri();
    // Step 5's and step 6's correction from a deviation, limited and
    // quantized: percent of (tGas - riferimento), at most +-massimo.
    static qint32 Correzione(qint32 tGas, qint32 riferimento, qint32 percento, qint32 massimo,
                             qint32 passo = 64);

private:
    friend class LottoCampioni;

    // Records and waits.
    bool RinfrescaRecord(int n);
    enum class Test { Stretto, Largo, Nessuno };
    bool ScriviRecord(int n, quint8 servizio, Test test);
    bool ScriviCopia(const MsgRecord &copia, quint8 servizio);
    // Waits, keeping events flowing; returns false early when Stop is pressed
    // (an uninterruptible wait ignores it).
    bool Attendi(double microsecondi, bool interrompibile = true);
    qint32 V(int record, int k) const;
    void Imposta(int record, int k, qint32 valore);
    bool Gira() const;
    qint32 Giri() const;
    void Stato(const QString &testo);
    void Registra(const QString &riga);
    void RegistraDati(qint64 campioni, qint64 campione);
    void Ripristina(qint32 risultato);
    void Rapporto(qint32 risultato);
    // Phases C and E: the countdown of low speed readings.
    qint32 ContaGiri();
    QString Millesimi(qint32 valore) const;
    QString Numero(double v) const;
    qint32 Passo() const;

    // One batch of the sampling pattern; see CampionamentoTaratura.cpp.
    struct Lotto {
        double fineAttesa = 0;
        qint32 conteggio = 0;
        qint64 sommaGiri = 0;
        qint32 numero = 0;
        double periodoMs = 0;
        bool gas = false;
    };
    qint32 Campiona(Lotto &l, qint32 &accumulatore, const std::function<qint32()> &controlli,
                    const std::function<QString(qint64)> &testoAttesa, const QString &testoCampione);
    qint32 ControlliCampionamento(bool passo5);
    // Whether the ECU still holds the mode bits that the run set.
    qint32 ControlloModo() const;
    // A wait for the engine or the ECU that started at `inizio` has run out:
    // its status text is kept for the report.
    bool Scaduta(double inizio, double limite_usec);
    QString TestoRipristinoSezione(int k, const QString &inglese) const;

    Contesto &m_ctx;
    VistaTaratura &m_vista;
    RettaTaratura &m_retta;
    LogTaratura m_log;
    qint32 m_ultimo = 0;
    bool m_inCorso = false;
    bool m_rettaScritta = false;
    qint32 m_modoAtteso = 0;   // bits of value 2 of record 2 the run has set
    QString m_ultimoStato;
    QString m_attesaScaduta;
    QString m_testoRipristino;
    bool m_ripristinoMancato = false;
};

} // namespace gascal
