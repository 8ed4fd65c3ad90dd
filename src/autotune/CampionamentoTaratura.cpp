// Steps 3 to 5 of the autotuning: petrol sampling at idle and at the
// profile's speed, and the injector tare on gas; and the sampling pattern
// that the idle tare uses too.

#include "autotune/SequenzaTaratura.h"

#include "app/Contesto.h"
#include "app/Orologio.h"
#include "autotune/VistaTaratura.h"
#include "link/MessaggioEcu.h"

#include <cmath>

namespace gascal {

namespace {
constexpr double Ms = 1000.0;
const QString CrLf = QStringLiteral("\r\n");
constexpr qint32 Riparti = -1;   // from the checks: start the next pass at once
} // namespace

// Stop, fresh records, running bit, speed, and the fuel the step needs.
qint32 SequenzaTaratura::ControlliCampionamento(bool passo5)
{
    if (StopTaratura)
        return Fermato;
    if (!RinfrescaRecord(Contesto::RecLive) || !RinfrescaRecord(Contesto::RecComandi))
        return Comunicazione;
    if (!Gira())
        return MotoreFermo;
    if (Giri() == 0 || Giri() < profilo.RpmMinimi)
        return GiriBassi;
    if (passo5 ? V(Contesto::RecComandi, 0) == 0 : V(Contesto::RecComandi, 0) == 3)
        return CambioCarburante;
    // A reset or a power cut puts the ECU back on petrol and out of the mode:
    // its samples would be petrol times taken for gas times.
    return ControlloModo();
}

// One batch: settling until l.fineAttesa, then a sample per pass (value 1 of
// record 1) every l.periodoMs until the count exceeds l.numero; the
// accumulator holds the running sum, then the average.
qint32 SequenzaTaratura::Campiona(Lotto &l, qint32 &accumulatore, const std::function<qint32()> &controlli,
                                  const std::function<QString(qint64)> &testoAttesa, const QString &testoCampione)
{
    for (;;) {
        const qint32 r = controlli();
        if (r == Riparti)
            continue;
        if (r != Completato)
            return r;
        const double ora = TimerApi_uSec();
        if (ora < l.fineAttesa) {
            m_vista.LampeggioInTaratura(false);
            Stato(testoAttesa(std::llround((l.fineAttesa - ora) / 1e6)));
            Attendi(10 * Ms);
            continue;
        }
        Stato(testoCampione);
        const qint32 campione = V(Contesto::RecLive, 1);
        accumulatore += campione;
        ++l.conteggio;
        l.sommaGiri += Giri();
        if (l.gas)
            m_vista.VisualizzaTempiCampionamentoGas(campione);
        else
            m_vista.VisualizzaTempiCampionamentoBenzina(campione);
        RegistraDati(l.conteggio, campione);
        Attendi(l.periodoMs * Ms);
        if (l.conteggio > l.numero) {
            accumulatore = static_cast<qint32>(std::nearbyint(static_cast<double>(accumulatore) / l.conteggio));
            return Completato;
        }
    }
}

void SequenzaTaratura::CampionaMinimo(qint32 &r)
{
    m_vista.MostraCorrezione(TestoCorrezione());
    m_vista.ViualizzaLblTempi(true);
    TBenzMin = 0;
    Lotto l;
    l.fineAttesa = TimerApi_uSec() + profilo.AttesaMinimoMs * Ms;
    l.numero = profilo.NumCampioniMinimo;
    l.periodoMs = profilo.FreqCampioniMinimoMs;
    Registra(QStringLiteral("Campiona minimo"));
    m_log.Intestazione();
    r = Campiona(
        l, TBenzMin, [this] { return ControlliCampionamento(false); },
        [this](qint64 s) { return Testo(19) + CrLf + CrLf + Testo(8) + QLatin1Char(' ') + QString::number(s); },
        Testo(8) + CrLf + CrLf + Testo(20));
    if (r != Completato)
        return;
    const double giriMedi = std::nearbyint(static_cast<double>(l.sommaGiri) / l.conteggio);
    Imposta(Contesto::RecConfig, 20, giriMedi < 1201 ? 1 : 2);
    r = Comunicazione;
    if (!ScriviRecord(Contesto::RecConfig, MessaggioEcu::ServScriviBlk3, Test::Largo))
        return;
    Attendi(250 * Ms, false);
    if (!RinfrescaRecord(Contesto::RecConfig))
        return;
    r = Completato;
}

void SequenzaTaratura::CampionaMassimo(qint32 &r)
{
    if (profilo.RpmMassimo == 0) {
        Registra(QStringLiteral("Campiona massimo =  Campiona minimo"));
        TBenzMax = TBenzMin;
        r = Completato;
        return;
    }
    m_vista.VisualizzaTempiCampionamentoBenzina(TBenzMin);
    TBenzMax = 0;
    Lotto l;
    const double attesa = profilo.AttesaMassimoMs * Ms;
    l.fineAttesa = TimerApi_uSec() + attesa;
    l.numero = profilo.NumCampioniMassimo;
    l.periodoMs = profilo.FreqCampioniMassimoMs;
    Registra(QStringLiteral("Campiona massimo"));
    const QString giri = QString::number(profilo.RpmMassimo);
    const double inizioVelocita = TimerApi_uSec();
    const auto controlli = [&, this]() -> qint32 {
        const qint32 c = ControlliCampionamento(false);
        if (c != Completato)
            return c;
        if (Scaduta(inizioVelocita, AttesaMotore_usec))
            return TempoScaduto;
        if (Giri() < profilo.RpmMassimo) {
            // Below the speed: every sample so far is thrown away.
            TBenzMax = 0;
            l.conteggio = 0;
            l.sommaGiri = 0;
            l.fineAttesa = TimerApi_uSec() + attesa;
            Stato(Testo(22) + QLatin1Char(' ') + giri);
            m_vista.LampeggioInTaratura(false);
            return Riparti;
        }
        return Completato;
    };
    const QString titolo = Testo(23) + QLatin1Char(' ') + giri + CrLf + CrLf;
    r = Campiona(
        l, TBenzMax, controlli,
        [&](qint64 s) { return titolo + Testo(8) + QLatin1Char(' ') + QString::number(s); }, titolo + Testo(24));
}

void SequenzaTaratura::TaraIniettori(qint32 &r)
{
    m_vista.VisualizzaTempiCampionamentoBenzina(TBenzMax);
    r = Comunicazione;
    if (!RinfrescaRecord(Contesto::RecConfig))
        return;
    Imposta(Contesto::RecConfig, 6, 1);   // pedestal guard on
    if (!ScriviRecord(Contesto::RecConfig, MessaggioEcu::ServScriviBlk3, Test::Stretto))
        return;
    Attendi(250 * Ms, false);
    if (!RinfrescaRecord(Contesto::RecConfig))
        return;
    Registra(QStringLiteral("Tara iniettori"));

    // Starting correction from the injector type.
    qint32 c = 0;
    const auto &tab = m_ctx.scale.TabIniettori;
    if (SelIniettore >= 0 && SelIniettore < tab.size()) {
        double v = std::nearbyint(tab.at(SelIniettore).P[3] - (TBenzMax - m_ctx.scale.SommaTempoInj_usec));
        if (v < 0)
            v = 0;
        c = Quantizza(v, Passo());
    }

    // Gas engagement, until the ECU confirms gas.
    const double inizioGas = TimerApi_uSec();
    for (;;) {
        Stato(Testo(25));
        if (Scaduta(inizioGas, AttesaEcu_usec)) {
            r = TempoScaduto;
            return;
        }
        if (StopTaratura) {
            r = Fermato;
            return;
        }
        if (!RinfrescaRecord(Contesto::RecComandi))
            return;
        Imposta(Contesto::RecComandi, 0, 3);
        Imposta(Contesto::RecComandi, 2, V(Contesto::RecComandi, 2) | 2);
        Imposta(Contesto::RecComandi, 5, c);
        if (!ScriviRecord(Contesto::RecComandi, MessaggioEcu::ServScriviBlk2, Test::Stretto))
            return;
        for (int i = 0; i < 3; ++i) {
            Attendi(400 * Ms);
            if (!RinfrescaRecord(Contesto::RecComandi))
                return;
        }
        if (V(Contesto::RecComandi, 1) == 3)
            break;
    }
    m_modoAtteso = 3;
    m_vista.MostraCorrezione(TestoCorrezione());   // the starting correction

    // The tare.
    qint32 inTolleranza = 0;
    qint32 cicli = 0;
    TGasCil = 0;
    Lotto l;
    l.gas = true;
    l.numero = profilo.NumCampioniCorrInj;
    l.periodoMs = profilo.FreqCampioniCorrInjMs;
    l.fineAttesa = TimerApi_uSec() + (profilo.PrimaAttesaMs + profilo.AttesaCorrInjMs) * Ms;
    for (;;) {
        r = Campiona(
            l, TGasCil, [this] { return ControlliCampionamento(true); },
            [this](qint64 s) { return Testo(26) + CrLf + CrLf + Testo(8) + QLatin1Char(' ') + QString::number(s); },
            Testo(26) + CrLf + CrLf + Testo(24));
        if (r != Completato)
            return;
        l.fineAttesa = TimerApi_uSec() + profilo.AttesaCorrInjMs * Ms;
        m_vista.VisualizzaTempiCampionamentoGas(TGasCil);
        const double tolleranza = profilo.TolleranzaInj / 100.0 * TGasCil;
        const double scarto = std::abs(static_cast<double>(TGasCil) - TBenzMax);
        if (scarto <= tolleranza) {
            if (++inTolleranza >= profilo.CicliInTolleranzaInj)
                return;   // r = 0
        } else {
            if (cicli > profilo.MaxCicliNonInTolleranzaInj) {
                r = FuoriTolleranza;
                return;
            }
            inTolleranza = 0;
            qint32 corr = Correzione(TGasCil, TBenzMax, profilo.StepCorrezioneInj, profilo.MassimaCorrezioneInj,
                                     Passo());
            if (!VerificaGuardiaPiedistallo(corr))
                inTolleranza = profilo.CicliInTolleranzaInj;
            Imposta(Contesto::RecComandi, 5, V(Contesto::RecComandi, 5) + corr);
            if (!ScriviRecord(Contesto::RecComandi, MessaggioEcu::ServScriviBlk2, Test::Stretto)) {
                r = Comunicazione;
                return;
            }
            m_vista.MostraCorrezione(TestoCorrezione());
            RegistraDati(l.conteggio, V(Contesto::RecLive, 1));
            if (inTolleranza == profilo.CicliInTolleranzaInj)
                return;   // r = 0: the guard's correction is the last one
        }
        ++cicli;
        TGasCil = 0;
        l.conteggio = 0;
    }
}

} // namespace gascal
