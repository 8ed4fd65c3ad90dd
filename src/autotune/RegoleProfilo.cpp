#include "autotune/RegoleProfilo.h"

#include "ui/line/ModelloRetta.h"

#include <algorithm>
#include <QStringList>

namespace gascal {

namespace {

using P = ProfiloTaratura;

constexpr double AttesaMassima = 600000;    // ms: ten minutes for any settling
constexpr double PeriodoMassimo = 60000;    // ms between two samples
constexpr double CampioniMassimi = 10000;
constexpr double CicliMassimi = 1000;
constexpr double GiriMassimi = 7000;
// The lowest speed accepted while tuning: the idle tare runs at idle.
constexpr double GiriMinimiMassimi = 1500;
constexpr double CorrezioneMassima = 128 * 64;   // us: a point's whole range

const RegoleProfilo::Chiave chiavi[] = {
    {"Temp taratura", &P::TempTaratura, nullptr, -40, 120, "\xC2\xB0" "C"},
    {"Rpm minimi", &P::RpmMinimi, nullptr, 0, GiriMinimiMassimi, "rpm"},
    {"Attesa minimo ms", nullptr, &P::AttesaMinimoMs, 0, AttesaMassima, "ms"},
    {"Num Campioni minimo", &P::NumCampioniMinimo, nullptr, 0, CampioniMassimi, ""},
    {"Freq Campioni minimo ms", nullptr, &P::FreqCampioniMinimoMs, 0, PeriodoMassimo, "ms"},
    {"Attiva tutti i Cil", nullptr, nullptr, 0, 0, ""},
    {"Rpm Massimo", &P::RpmMassimo, nullptr, 0, GiriMassimi, "rpm"},
    {"Attesa massimo ms", nullptr, &P::AttesaMassimoMs, 0, AttesaMassima, "ms"},
    {"Num Campioni massimo", &P::NumCampioniMassimo, nullptr, 0, CampioniMassimi, ""},
    {"Freq Campioni massimo ms", nullptr, &P::FreqCampioniMassimoMs, 0, PeriodoMassimo, "ms"},
    {"Prima attesa ms", nullptr, &P::PrimaAttesaMs, 0, AttesaMassima, "ms"},
    {"Attesa corr inj ms", nullptr, &P::AttesaCorrInjMs, 0, AttesaMassima, "ms"},
    {"Num Campioni corr inj", &P::NumCampioniCorrInj, nullptr, 0, CampioniMassimi, ""},
    {"Freq Campioni corr inj ms", nullptr, &P::FreqCampioniCorrInjMs, 0, PeriodoMassimo, "ms"},
    {"Cicli in tolleranza inj", &P::CicliInTolleranzaInj, nullptr, 0, CicliMassimi, ""},
    {"Max cicli non in tolleranza inj", &P::MaxCicliNonInTolleranzaInj, nullptr, 0, CicliMassimi, ""},
    {"Tolleranza in correzione inj %", &P::TolleranzaInj, nullptr, 0, 100, "%"},
    {"Step di Correzione inj %", &P::StepCorrezioneInj, nullptr, 0, 100, "%"},
    {"Massima correzione inj us", &P::MassimaCorrezioneInj, nullptr, 0, CorrezioneMassima, "us"},
    {"Rpm ritorno minimo", &P::RpmRitornoMinimo, nullptr, 0, GiriMassimi, "rpm"},
    {"Attesa ritorno minimo ms", nullptr, &P::AttesaRitornoMinimoMs, 0, AttesaMassima, "ms"},
    {"Attesa corr minimo ms", nullptr, &P::AttesaCorrMinimoMs, 0, AttesaMassima, "ms"},
    {"Num Campioni corr minimo", &P::NumCampioniCorrMinimo, nullptr, 0, CampioniMassimi, ""},
    {"Freq Campioni corr minimo ms", nullptr, &P::FreqCampioniCorrMinimoMs, 0, PeriodoMassimo, "ms"},
    {"Cicli in tolleranza minimo", &P::CicliInTolleranzaMinimo, nullptr, 0, CicliMassimi, ""},
    {"Max cicli non in tolleranza minimo", &P::MaxCicliNonInTolleranzaMinimo, nullptr, 0, CicliMassimi, ""},
    {"Tolleranza in correzine minimo %", &P::TolleranzaMinimo, nullptr, 0, 100, "%"},
    {"Step di Correzione minimo %", &P::StepCorrezioneMinimo, nullptr, 0, 100, "%"},
    {"Massima correzione minimo us", &P::MassimaCorrezioneMinimo, nullptr, 0, CorrezioneMassima, "us"},
    {"Massima Correzione us", &P::MassimaCorrezione, nullptr, -CorrezioneMassima, CorrezioneMassima, "us"},
    {"Minima correzione us", &P::MinimaCorrezione, nullptr, -CorrezioneMassima, CorrezioneMassima, "us"},
    {"Soglia Rilascio %", &P::SogliaRilascio, nullptr, 0, 100, "%"},
    {"Soglia Secondo Set %", &P::SogliaSecondoSet, nullptr, 0, 100, "%"},
    {"Soglia Terzo Set %", &P::SogliaTerzoSet, nullptr, 0, 100, "%"},
    {"Smagrimento Terzo Set %", &P::SmagrimentoTerzoSet, nullptr, 0, 100, "%"},
    {"Smagrimento Rilascio %", &P::SmagrimentoRilascio, nullptr, 0, 100, "%"},
};

QString Riga(const qint32 *valori)
{
    QStringList parti;
    for (int k = 0; k < 9; ++k)
        parti.append(QString::number(valori[k]));
    return parti.join(QLatin1Char('|'));
}

// The first value of the row outside lo..hi, as "row a|b|...: value v is outside lo..hi unit".
QString FuoriRiga(const char *nome, const qint32 *valori, qint32 lo, qint32 hi, const char *unita)
{
    for (int k = 0; k < 9; ++k) {
        if (valori[k] < lo || valori[k] > hi)
            return QStringLiteral("%1 %2: %3 is outside %4..%5 %6")
                .arg(QLatin1String(nome), Riga(valori)).arg(valori[k]).arg(lo).arg(hi).arg(QLatin1String(unita));
    }
    return {};
}

} // namespace

std::span<const RegoleProfilo::Chiave> RegoleProfilo::Chiavi()
{
    return chiavi;
}

const RegoleProfilo::Chiave *RegoleProfilo::Trova(const QString &nome)
{
    for (const Chiave &c : chiavi) {
        if (nome == QLatin1String(c.nome))
            return &c;
    }
    return nullptr;
}

QString RegoleProfilo::Intervallo(const Chiave &c)
{
    const QString unita = QString::fromUtf8(c.unita);
    return QStringLiteral("%1..%2").arg(c.minimo, 0, 'f', 0).arg(c.massimo, 0, 'f', 0)
        + (unita.isEmpty() ? QString() : QLatin1Char(' ') + unita);
}

QString RegoleProfilo::FuoriIntervallo(const Chiave &c, double v)
{
    if (v >= c.minimo && v <= c.massimo)
        return {};
    return QStringLiteral("%1: %2 is outside %3").arg(QLatin1String(c.nome), QString::number(v, 'g', 12), Intervallo(c));
}

QString RegoleProfilo::ErroreModello(const ProfiloTaratura::Modello &m)
{
    std::array<qint32, ModelloRetta::NumPivot> pivot{};
    std::copy_n(m.begin() + ProfiloTaratura::InizioPivot, pivot.size(), pivot.begin());
    if (!ModelloRetta::PivotAccettabili(pivot))
        return QStringLiteral("pivots %1: %2").arg(Riga(pivot.data()), ModelloRetta::RegolaPivot());
    QString errore = FuoriRiga("offsets", &m[ProfiloTaratura::InizioOffset], OffsetMinimo, OffsetMassimo, "us");
    if (errore.isEmpty())
        errore = FuoriRiga("slopes", &m[ProfiloTaratura::InizioPendenze], -PendenzaMassima, PendenzaMassima,
                           "thousandths");
    return errore;
}

} // namespace gascal
