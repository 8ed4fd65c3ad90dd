#include "ui/line/ModelloRetta.h"

#include "app/Conversioni.h"
#include "app/Contesto.h"
#include "ecu/TabelleScala.h"

#include <algorithm>
#include <cmath>

namespace gascal {

void ModelloRetta::DefaultRetta()
{
    Retta.fill(0);
    Pivot = PivotDefault;
}

void ModelloRetta::SommaCorrezioneTutti(qint32 val)
{
    for (qint32 &punto : Retta)
        punto += val;
}

void ModelloRetta::CorreggiPivot(int p, qint32 add)
{
    // Pivots that do not rise from 0 to 55 would point outside the line.
    if (p < 0 || p >= NumPivot || !PivotAccettabili(Pivot))
        return;
    const int centro = Pivot[p];
    Retta[centro] += add;
    // The points between two pivots lie on the straight line through them.
    auto segmento = [this](int da, int a) {
        const int n = a - da;
        const double d = Retta[a] - Retta[da];
        for (int j = da + 1; j < a; ++j)
            Retta[j] = static_cast<qint32>(Conversioni::Arrotonda(d / n * (j - da) + Retta[da]));
    };
    if (p > 0)
        segmento(Pivot[p - 1], centro);
    segmento(centro, p < NumPivot - 1 ? Pivot[p + 1] : NumPunti - 1);
    // The gas time can never be cut below nothing at short petrol times.
    for (int i = 0; i <= 40; ++i)
        Retta[i] = std::max(Retta[i], -4 * i);
}

ModelloRetta::Esito ModelloRetta::Passo(int add, bool tuttiPunti)
{
    if (add == Alza || add == Abbassa) {
        if (tuttiPunti)
            SommaCorrezioneTutti(add);
        else
            CorreggiPivot(PivotSel, add);
        return Esito::Eseguita;
    }
    const int p = PivotSel;
    if (p <= 0 || p >= NumPivot - 1)
        return Esito::PivotFisso;
    // A move must leave at least DistanzaMinima points to the neighbour.
    const bool destra = add == Destra;
    const int spazio = destra ? Pivot[p + 1] - Pivot[p] : Pivot[p] - Pivot[p - 1];
    Esito esito = Esito::TroppoVicino;
    if (spazio > DistanzaMinima) {
        const int lasciato = Pivot[p];
        Pivot[p] += destra ? 1 : -1;
        Retta[Pivot[p]] = Retta[lasciato];
        esito = Esito::Eseguita;
    }
    CorreggiPivot(p, 0);
    return esito;
}

bool ModelloRetta::PivotAccettabili(const std::array<qint32, NumPivot> &pivot)
{
    if (pivot.front() != 0 || pivot.back() != NumPunti - 1)
        return false;
    for (int j = 1; j < NumPivot; ++j)
        if (pivot[j] <= pivot[j - 1])
            return false;
    return true;
}

QString ModelloRetta::RegolaPivot()
{
    return QStringLiteral("the first pivot must be 0, the last %1, each above the one before").arg(NumPunti - 1);
}

bool ModelloRetta::CaricaDaEcu(const Contesto &ctx)
{
    for (int i = 0; i < NumPunti; ++i) {
        const qint32 v = ctx.Valore(Contesto::RecMappa, i);
        Retta[i] = v > 127 ? v - 256 : v;
    }
    std::array<qint32, NumPivot> letti{};
    for (int j = 0; j < NumPivot; ++j)
        letti[j] = ctx.Valore(Contesto::RecBlk5, j);
    if (!PivotAccettabili(letti)) {
        Pivot = PivotDefault;
        return false;
    }
    Pivot = letti;
    return true;
}

void ModelloRetta::CaricaScala(const TabelleScala &scale)
{
    Scala.fill(0);
    const QStringList valori = scale.ListaScelte(QStringLiteral("[Scala retta]"));
    const qsizetype n = std::min<qsizetype>(valori.size(), NumScala);
    for (qsizetype i = 0; i < n; ++i)
        Scala[i] = valori.at(i).trimmed().toInt();
}

QByteArray ModelloRetta::ImmagineRetta() const
{
    QByteArray dati;
    dati.reserve(NumPunti);
    for (qint32 v : Retta) {
        const qint32 limitato = std::clamp(v, -128, 127);
        dati.append(static_cast<char>(limitato < 0 ? limitato + 256 : limitato));
    }
    return dati;
}

QByteArray ModelloRetta::ImmagineBlk5(const Contesto &ctx) const
{
    const qsizetype valori = ctx.TabMsg.size() > Contesto::RecBlk5
        ? ctx.TabMsg.at(Contesto::RecBlk5).Valori.size() : 0;
    QByteArray dati;
    for (qsizetype j = 0; j < std::max<qsizetype>(valori, NumPivot); ++j) {
        const qint32 v = j < NumPivot ? Pivot[j] : ctx.Valore(Contesto::RecBlk5, static_cast<int>(j));
        dati.append(static_cast<char>(v & 0xFF));
    }
    return dati;
}

void ModelloRetta::PrepareScaricaRettaDiCalibrazione(Contesto &ctx) const
{
    ctx.code.DatiMap0 = ImmagineRetta();
    ctx.code.DatiBlk5 = ImmagineBlk5(ctx);
}

bool ModelloRetta::RichiediScaricaRetta(Contesto &ctx) const
{
    if (ctx.stato.OperazioneInAttesa())
        return false;
    PrepareScaricaRettaDiCalibrazione(ctx);
    ctx.stato.RichiediOperazione(Operazione::ScriviRetta);
    return true;
}

QString ModelloRetta::TestoMs(double uSec, int decimali, const QString &sepDecimale)
{
    // In units of the last decimal shown.
    const qint64 unita = Conversioni::Arrotonda(uSec / std::pow(10.0, 3 - decimali));
    const qint64 assoluto = unita < 0 ? -unita : unita;
    const qint64 potenza = static_cast<qint64>(std::pow(10.0, decimali));
    QString testo = QString::number(assoluto / potenza);
    if (decimali > 0)
        testo += sepDecimale
            + QString::number(assoluto % potenza).rightJustified(decimali, QLatin1Char('0'));
    return unita < 0 ? QLatin1Char('-') + testo : testo;
}

QString ModelloRetta::LegendaBenzina(int k, const QString &sepDecimale) const
{
    if (k < 0 || k >= NumPivot)
        return {};
    return TestoMs(Scala[Pivot[k]], 1, sepDecimale);
}

QString ModelloRetta::LegendaCorrezione(int k, const QString &sepDecimale) const
{
    if (k < 0 || k >= NumPivot)
        return {};
    return TestoMs(static_cast<double>(Retta[Pivot[k]]) * GetCorrUSec(), 2, sepDecimale);
}

} // namespace gascal
