#include "ModelloGrafico.h"

#include "app/LetturaLimitata.h"
#include "datalog/FormatoLive.h"
#include "i18n/TraduttoreDizionario.h"

#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

namespace gascal {

namespace {

using F = FormatoLive::Posizione;

const ModelloGrafico::Descrizione Descrizioni[ModelloGrafico::NumCanali] = {
    {"Engine speed", "rpm", "engine_speed_rpm", 1, 0},
    {"Petrol time", "ms", "petrol_injection_us", 1000, 1},
    {"Gas time", "ms", "gas_injection_us", 1000, 1},
    {"Gas pressure", "bar", "gas_pressure_mbar", 1000, 1},
    {"Manifold pressure", "bar", "manifold_pressure_mbar", 1000, 1},
    {"Gas temperature", "\u00B0C", "gas_temperature_c", 1, 1},
    {"On gas", "", "fuel_state", 1, 2},
};
const int PosizioniLive[ModelloGrafico::Carburante] = {F::PosGiri, F::PosTempoBenzina, F::PosTempoGas,
                                                       F::PosPressioneGas, F::PosPressioneCollettore,
                                                       F::PosTemperaturaGas};
// The fuel in use that means gas.
constexpr qint32 CarburanteGas = 3;

bool Prima(const QPointF &p, double t) { return p.x() < t; }

} // namespace

const ModelloGrafico::Descrizione &ModelloGrafico::Info(int canale)
{
    return Descrizioni[std::clamp(canale, 0, NumCanali - 1)];
}

void ModelloGrafico::Svuota()
{
    for (auto &s : m_serie)
        s.clear();
    m_righe = 0;
}

void ModelloGrafico::AggiungiPunto(double t, const std::array<double, NumCanali> &valori)
{
    for (int c = 0; c < NumCanali; ++c) {
        m_serie[c].emplace_back(t, valori[c]);
        if (m_capacita > 0 && qsizetype(m_serie[c].size()) > m_capacita)
            m_serie[c].pop_front();
    }
    ++m_righe;
}

void ModelloGrafico::Aggiungi(const std::vector<CampioneLive> &campioni)
{
    for (const CampioneLive &c : campioni) {
        std::array<double, NumCanali> v{};
        for (int k = 0; k < Carburante; ++k)
            v[k] = c.Valori.value(PosizioniLive[k]) / Descrizioni[k].divisore;
        v[Carburante] = c.Carburante == CarburanteGas ? 1 : 0;
        AggiungiPunto(c.Tempo_ms / 1000.0, v);
    }
}

QString ModelloGrafico::CaricaCsv(const QString &percorso)
{
    QFile file;
    const QString illeggibile = LetturaLimitata::Apri(percorso, LetturaLimitata::Tipo::Registrazione, file,
                                                      QIODevice::ReadOnly | QIODevice::Text);
    if (!illeggibile.isEmpty())
        return TraduttoreDizionario::Tr("%1 cannot be read: %2").arg(percorso, illeggibile);
    const QStringList intestazione = QString::fromUtf8(file.readLine()).trimmed().split(QLatin1Char(','));
    const int colTempo = int(intestazione.indexOf(FormatoLive::ColonnaTempo));
    std::array<int, NumCanali> colonne{};
    for (int c = 0; c < NumCanali; ++c)
        colonne[c] = int(intestazione.indexOf(QLatin1String(Descrizioni[c].colonna)));
    if (colTempo < 0 || colonne[Giri] < 0)
        return TraduttoreDizionario::Tr("%1 is not a live data CSV (no %2 or %3 column)")
            .arg(percorso, FormatoLive::ColonnaTempo, QLatin1String(Descrizioni[Giri].colonna));

    const qsizetype capacita = m_capacita;
    m_capacita = 0;
    Svuota();
    QString errore;
    for (int riga = 2; !file.atEnd(); ++riga) {
        const QString testo = QString::fromUtf8(file.readLine()).trimmed();
        if (testo.isEmpty())
            continue;
        const QStringList campi = testo.split(QLatin1Char(','));
        bool ok = campi.size() == intestazione.size();
        const double t = ok ? campi.at(colTempo).toDouble(&ok) / 1000.0 : 0;
        std::array<double, NumCanali> v{};
        for (int c = 0; ok && c < NumCanali; ++c) {
            if (colonne[c] < 0)
                continue; // a column the file does not have stays at 0
            const double x = campi.at(colonne[c]).toDouble(&ok);
            v[c] = c == Carburante ? (x == CarburanteGas ? 1 : 0) : x / Descrizioni[c].divisore;
        }
        if (!ok) {
            // A crash can cut the last row: it is skipped, anything else refused.
            if (file.atEnd() && m_righe > 0)
                break;
            errore = TraduttoreDizionario::Tr("%1: line %2 is not a row of numbers").arg(percorso).arg(riga);
            break;
        }
        AggiungiPunto(t, v);
    }
    m_capacita = capacita;
    if (!errore.isEmpty())
        Svuota();
    return errore;
}

double ModelloGrafico::Inizio() const
{
    return m_serie[0].empty() ? 0 : m_serie[0].front().x();
}

double ModelloGrafico::Fine() const
{
    return m_serie[0].empty() ? 0 : m_serie[0].back().x();
}

bool ModelloGrafico::ValoreA(int canale, double t, double &valore) const
{
    const auto &s = m_serie[std::clamp(canale, 0, NumCanali - 1)];
    if (s.empty())
        return false;
    auto it = std::upper_bound(s.begin(), s.end(), t, [](double x, const QPointF &p) { return x < p.x(); });
    valore = (it == s.begin() ? *it : *std::prev(it)).y();
    return true;
}

QVector<QPointF> ModelloGrafico::Finestra(int canale, double t0, double t1, int massimo) const
{
    const auto &s = m_serie[std::clamp(canale, 0, NumCanali - 1)];
    auto da = std::lower_bound(s.begin(), s.end(), t0, Prima);
    auto a = std::lower_bound(da, s.end(), t1, Prima);
    if (da != s.begin())
        --da;
    if (a != s.end())
        ++a;
    const qsizetype n = a - da;
    QVector<QPointF> punti;
    const int secchi = std::max(1, massimo / 2);
    if (n <= massimo) {
        punti.reserve(n);
        punti.append(QVector<QPointF>(da, a));
        return punti;
    }
    punti.reserve(2 * secchi + 2);
    for (int b = 0; b < secchi; ++b) {
        auto inizio = da + n * b / secchi;
        auto fine = da + n * (b + 1) / secchi;
        if (inizio == fine)
            continue;
        auto [mn, mx] = std::minmax_element(inizio, fine, [](const QPointF &x, const QPointF &y) {
            return x.y() < y.y();
        });
        // In time order, so that the line does not turn back.
        if (mn->x() <= mx->x()) {
            punti << *mn;
            if (mx != mn)
                punti << *mx;
        } else {
            punti << *mx << *mn;
        }
    }
    return punti;
}

std::vector<std::pair<double, double>> ModelloGrafico::FasceGas(double t0, double t1) const
{
    std::vector<std::pair<double, double>> fasce;
    const auto &s = m_serie[Carburante];
    double inizio = std::numeric_limits<double>::quiet_NaN();
    for (const QPointF &p : s) {
        if (p.y() > 0.5 && std::isnan(inizio))
            inizio = p.x();
        else if (p.y() <= 0.5 && !std::isnan(inizio)) {
            if (p.x() >= t0 && inizio <= t1)
                fasce.emplace_back(inizio, p.x());
            inizio = std::numeric_limits<double>::quiet_NaN();
        }
    }
    if (!std::isnan(inizio) && inizio <= t1)
        fasce.emplace_back(inizio, s.back().x());
    return fasce;
}

} // namespace gascal
