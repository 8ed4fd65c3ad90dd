#include "mapfile/TestoDiagnosi.h"

#include "i18n/Dizionario.h"

namespace gascal {

namespace {
const QString Sezione = QStringLiteral("[Frm_Wait_2]");
using E = RapportoPorta::Esito;
} // namespace

QString TestoDiagnosi::Dove(const RapportoPorta &r, const Dizionario &diz)
{
    if (diz.Sezione(Sezione) < 0)
        return r.Dove();
    if (r.dispositivo.isEmpty())
        return diz.TestoSezione(Sezione, 1).arg(r.porta);
    return diz.TestoSezione(Sezione, 2).arg(QString::number(r.porta), r.dispositivo);
}

QString TestoDiagnosi::Causa(const RapportoPorta &r, const Dizionario &diz)
{
    if (diz.Sezione(Sezione) < 0)
        return r.Causa();
    auto t = [&diz](int k) { return diz.TestoSezione(Sezione, k); };
    switch (r.esito) {
    case E::Mancante:
        if (r.dispositivo.isEmpty())
            return t(r.porta == 0 ? 3 : 4);
        return t(5);
    case E::SenzaPermesso:
        if (r.adattatore)
            return t(6);
        if (!r.proprietario.isEmpty())
            return t(7).arg(r.proprietario, r.modo);
        return t(8);
    case E::Occupata:
        if (!r.occupante.isEmpty())
            return t(9).arg(r.occupante);
        return t(10);
    case E::NessunaRisposta: return t(11);
    case E::RisposteConfuse: return t(12);
    case E::LettureFallite: return t(13);
    case E::SenzaFirmware: return t(14);
    }
    return {};
}

QString TestoDiagnosi::Testo(const RapportoPorta &r, const Dizionario &diz)
{
    return Dove(r, diz) + QStringLiteral(": ") + Causa(r, diz) + QLatin1Char('.');
}

} // namespace gascal
