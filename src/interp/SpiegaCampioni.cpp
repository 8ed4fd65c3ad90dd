#include "interp/SpiegaCampioni.h"

#include "i18n/Dizionario.h"

#include <algorithm>

namespace gascal {

namespace {
const QString Sezione = QStringLiteral("[Frm_Interpola_2]");
} // namespace

QString SpiegaCampioni::Righe(const TabelleCampioni::Tabella &tabella)
{
    QStringList tratti;
    for (int r = 0; r < TabelleCampioni::Righe;) {
        if (tabella[r] == 0) {
            ++r;
            continue;
        }
        int fine = r;
        while (fine + 1 < TabelleCampioni::Righe && tabella[fine + 1] != 0)
            ++fine;
        tratti << (fine == r ? QString::number(r) : QStringLiteral("%1-%2").arg(r).arg(fine));
        r = fine + 1;
    }
    return tratti.join(QStringLiteral(", "));
}

QString SpiegaCampioni::Motivo(const Dizionario &diz, const TabelleCampioni &t, const QVector<qint32> &deflessione,
                               int stabilitaMs)
{
    if (std::any_of(deflessione.begin(), deflessione.end(), [](qint32 d) { return d != 0; }))
        return {};
    auto testo = [&diz](int k) { return diz.TestoSezione(Sezione, k); };
    if (diz.Sezione(Sezione) < 0)
        return {};
    auto righe = [&testo](const TabelleCampioni::Tabella &tabella) {
        const QString r = Righe(tabella);
        return r.isEmpty() ? testo(4) : r;
    };
    QStringList parti{testo(1), testo(2).arg(righe(t[TabelleCampioni::BeM])),
                      testo(3).arg(righe(t[TabelleCampioni::GaM])), testo(5), testo(6).arg(stabilitaMs)};
    return parti.join(QLatin1Char('\n'));
}

} // namespace gascal
