// Step 6 of the autotuning: back to idle, the idle tare on gas, the
// acceptance, the calibration line from the model and its download, and the
// tuning bits cleared.

#include "autotune/SequenzaTaratura.h"

#include "app/Contesto.h"
#include "app/Orologio.h"
#include "app/ServiziUi.h"
#include "autotune/CalcolaModello.h"
#include "autotune/VistaTaratura.h"
#include "ecu/SequenzeBlocchi.h"
#include "link/MessaggioEcu.h"

#include <cmath>

namespace gascal {

namespace {
constexpr double Ms = 1000.0;
const QString CrLf = QStringLiteral("\r\n");
} // namespace

qint32 SequenzaTaratura::RegolaGiri()
{
    if (!Gira())
        return MotoreFermo;
    if (const qint32 modo = ControlloModo(); modo != Completato)
        return modo;
    if (Giri() != 0 && Giri() >= profilo.RpmMinimi) {
        ContaGiriBassi = 10;
        return Completato;
    }
    if (ContaGiriBassi < 0)
        return GiriBassi;
    --ContaGiriBassi;
    return Completato;
}

void SequenzaTaratura::TaraMinimo(qint32 &r)
{
    using MessaggioEcu::ServScriviBlk2;
    const int R1 = Contesto::RecLive, R2 = Contesto::RecComandi;
    const auto rinfresca = [&] { return RinfrescaRecord(R1) && RinfrescaRecord(R2); };
    ContaGiriBassi = 10;

    // 1. Petrol asked again: in tuning mode the ECU stays on gas.
    m_vista.VisualizzaTempiCampionamentoBenzina(TBenzMin);
    m_vista.VisualizzaTempiCampionamentoGas(TGasCil);
    r = Comunicazione;
    if (!RinfrescaRecord(R2))
        return;
    if (V(R2, 0) == 3) {
        Imposta(R2, 0, 0);
        if (!ScriviRecord(R2, ServScriviBlk2, Test::Stretto))
            return;
    }

    // 2. Back to idle.
    double fine = 0;
    const double inizio = TimerApi_uSec();
    for (;;) {
        if (StopTaratura) { r = Fermato; return; }
        if (!rinfresca()) { r = Comunicazione; return; }
        if (!Gira()) { r = MotoreFermo; return; }
        if ((r = ControlloModo()) != Completato) return;
        if (Scaduta(inizio, AttesaMotore_usec)) { r = TempoScaduto; return; }
        m_vista.LampeggioInTaratura(false);
        Stato(Testo(28));
        if (Giri() < profilo.RpmRitornoMinimo) {
            fine = TimerApi_uSec() + (profilo.RpmMassimo != 0 ? profilo.AttesaRitornoMinimoMs * Ms : 0.0);
            break;
        }
        if (profilo.RpmMassimo == 0) {
            fine = TimerApi_uSec();
            break;
        }
        Stato(Testo(28) + CrLf + QString::number(Giri()) + QStringLiteral(" < ")
              + QString::number(profilo.RpmRitornoMinimo));
        Attendi(10 * Ms);
    }

    // 3. Settling at idle.
    while (TimerApi_uSec() < fine) {
        if (StopTaratura) { r = Fermato; return; }
        if (!rinfresca()) { r = Comunicazione; return; }
        if ((r = RegolaGiri()) != Completato)
            return;
        m_vista.LampeggioInTaratura(false);
        Stato(Testo(28) + CrLf + CrLf + Testo(8) + QLatin1Char(' ')
              + QString::number(std::llround((fine - TimerApi_uSec()) / 1e6)));
        Attendi(10 * Ms);
    }

    // 4., 5. The tare cycles against the idle petrol time.
    m_vista.VisualizzaTempiCampionamentoBenzina(TBenzMin);
    Registra(QStringLiteral("Tara al minimo"));
    qint32 fuori = 0, inTolleranza = 0;
    TGasCil = 0;
    Lotto l;
    l.gas = true;
    l.numero = profilo.NumCampioniCorrMinimo;
    l.periodoMs = profilo.FreqCampioniCorrMinimoMs;
    l.fineAttesa = TimerApi_uSec() + profilo.AttesaCorrMinimoMs * Ms;
    const auto controlli = [&]() -> qint32 {
        if (StopTaratura)
            return Fermato;
        if (!rinfresca())
            return Comunicazione;
        return RegolaGiri();
    };
    for (;;) {
        r = Campiona(
            l, TGasCil, controlli,
            [this](qint64 s) { return Testo(28) + CrLf + CrLf + Testo(8) + QLatin1Char(' ') + QString::number(s); },
            Testo(28) + CrLf + CrLf + Testo(24));
        if (r != Completato)
            return;
        l.fineAttesa = TimerApi_uSec() + profilo.AttesaCorrMinimoMs * Ms;
        m_vista.VisualizzaTempiCampionamentoGas(TGasCil);
        const double tolleranza = profilo.TolleranzaMinimo / 100.0 * TGasCil;
        const double scarto = std::abs(static_cast<double>(TGasCil) - TBenzMin);
        if (scarto <= tolleranza) {
            if (++inTolleranza >= profilo.CicliInTolleranzaMinimo)
                break;
        } else {
            inTolleranza = 0;
            if (++fuori > profilo.MaxCicliNonInTolleranzaMinimo) {
                r = FuoriTolleranza;
                return;
            }
            qint32 corr = Correzione(TGasCil, TBenzMin, profilo.StepCorrezioneMinimo,
                                     profilo.MassimaCorrezioneMinimo, Passo());
            if (!VerificaGuardiaPiedistallo(corr))
                inTolleranza = -1;
            Imposta(R2, 5, V(R2, 5) + corr);
            if (!ScriviRecord(R2, ServScriviBlk2, Test::Stretto)) {
                r = Comunicazione;
                return;
            }
            m_vista.MostraCorrezione(TestoCorrezione());
            TGasCil = 0;
            l.fineAttesa = TimerApi_uSec() + profilo.AttesaCorrMinimoMs * Ms;
            RegistraDati(0, V(R1, 1));
            if (inTolleranza == -1)
                break;
        }
        TGasCil = 0;
        l.conteggio = 0;
    }

    // 6. The result.
    m_vista.MostraCorrezione(TestoCorrezione());
    Stato(QString());
    const qint32 correzione = V(R2, 5);
    const QString n = QStringLiteral("(") + QString::number(correzione / 64.0) + QStringLiteral(") ");
    QString testo;
    const auto &tab = m_ctx.scale.TabIniettori;
    if (SelIniettore >= 0 && SelIniettore < tab.size() && correzione + TGasCil > tab.at(SelIniettore).P[4])
        testo = n + Testo(30) + CrLf + CrLf;
    else if (inTolleranza == -1)
        testo = n + Testo(31) + CrLf + CrLf;
    Stato(testo + Testo(32) + CrLf + CrLf + Testo(45));

    // 7., 8. Accept or Stop.
    m_vista.AbilitaAccept(true);
    AccettaTaratura = false;
    for (;;) {
        m_vista.LampeggioInTaratura(false);
        if (!RinfrescaRecord(R1) || !RinfrescaRecord(R2)) { r = Comunicazione; return; }
        if ((r = ControlloModo()) != Completato) {
            m_vista.AbilitaAccept(false);
            return;
        }
        if (StopTaratura) {
            m_vista.AbilitaAccept(false);
            r = Fermato;
            return;
        }
        if (AccettaTaratura)
            break;
        Attendi(50 * Ms);
    }
    m_vista.AbilitaAccept(false);
    m_vista.LampeggioInTaratura(false);

    // 9. The calibration line from the model of the installation's fuel.
    const bool cng = V(Contesto::RecConfig, 12) & 8;
    const auto retta = CalcolaModello(cng ? profilo.ModelloCng : profilo.ModelloGpl, correzione, TBenzMin);
    if (!retta) {
        // A line the model could not build is not sent, and nothing of the
        // run is kept: the new correction without its line would be wrong.
        m_ctx.ui.Messaggio(TestoErroreModello(), m_ctx.Titolo(), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Critica);
        r = Modello;
        return;
    }
    m_retta.PreparaRetta(retta->Pivot, retta->Retta);
    m_rettaScritta = SequenzeBlocchi(m_ctx).ScriviMappe();
    if (!m_rettaScritta) {
        // A refused or partial download: the old line and pivots go back.
        r = Comunicazione;
        return;
    }

    // 10. The tuning bits cleared.
    r = Comunicazione;
    if (!RinfrescaRecord(R2))
        return;
    Imposta(R2, 2, V(R2, 2) & ~3);
    if (!ScriviRecord(R2, ServScriviBlk2, Test::Stretto))
        return;
    Attendi(100 * Ms, false);
    if (!RinfrescaRecord(R2))
        return;
    r = Completato;
}

} // namespace gascal
