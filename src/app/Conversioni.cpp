#include "app/Conversioni.h"

#include "app/Formati.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace gascal::Conversioni {

namespace {

double Tolleranza(double x)
{
    return 1e-9 * std::max(1.0, std::fabs(x));
}

// x itself, or the whole number it lies within the tolerance of.
double Pulito(double x)
{
    const double vicino = std::round(x);
    return std::fabs(x - vicino) <= Tolleranza(x) ? vicino : x;
}

qint64 ComeIntero(double x)
{
    if (std::isnan(x))
        return 0;
    constexpr double limite = 9.0e18;
    return static_cast<qint64>(std::clamp(x, -limite, limite));
}

} // namespace

qint64 Arrotonda(double x)
{
    const double giu = std::floor(x);
    const double frazione = x - giu;
    if (std::fabs(frazione - 0.5) <= Tolleranza(x))
        return ComeIntero(std::fmod(giu, 2.0) == 0.0 ? giu : giu + 1.0);
    return ComeIntero(frazione < 0.5 ? giu : giu + 1.0);
}

qint64 Fix(double x)
{
    return ComeIntero(std::trunc(Pulito(x)));
}

qint64 Int(double x)
{
    return ComeIntero(std::floor(Pulito(x)));
}

std::optional<double> Numero(const QString &testo, const QString &sep)
{
    QString t = testo.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const QString separatore = sep.isEmpty() ? QStringLiteral(".") : sep;
    if (separatore != QLatin1String(".")) {
        if (t.contains(QLatin1Char('.')))
            return std::nullopt;
        t.replace(separatore, QStringLiteral("."));
    } else if (t.contains(QLatin1Char(','))) {
        return std::nullopt;
    }
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<qint64> Intero(const QString &testo, const QString &sep)
{
    const auto v = Numero(testo, sep);
    if (!v)
        return std::nullopt;
    return Arrotonda(*v);
}

QString TestoMilli(qint64 milli, const QString &sep)
{
    // The thousandths without their trailing zeros, and no separator when
    // nothing follows it.
    QString testo = FormatMilli(milli, 3, sep);
    while (testo.endsWith(QLatin1Char('0')))
        testo.chop(1);
    if (testo.endsWith(sep))
        testo.chop(sep.size());
    return testo;
}

QString TestoDecimali(double x, int decimali, const QString &sep)
{
    decimali = std::clamp(decimali, 0, 3);
    const double scala = std::pow(10.0, decimali);
    const qint64 unita = Arrotonda(x * scala);
    const qint64 milli = unita * static_cast<qint64>(std::pow(10.0, 3 - decimali));
    return FormatMilli(milli, decimali, sep);
}

} // namespace gascal::Conversioni
