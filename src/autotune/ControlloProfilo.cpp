#include "autotune/ControlloProfilo.h"

#include "app/FileSistema.h"
#include "autotune/ProfiloTaratura.h"
#include "autotune/RegoleProfilo.h"
#include "ecu/FileTesto.h"
#include "i18n/TraduttoreDizionario.h"

#include <algorithm>

namespace gascal {

QString ControlloProfilo::Rifiuto(const QString &percorso, ServiziUi &ui, const QString &sepDecimale)
{
    QString illeggibile;
    const QStringList righe = NomeEsiste(percorso)
        ? FileTesto::LeggiImpostazioni(percorso, ui, LetturaLimitata::Tipo::Profilo, &illeggibile)
        : ProfiloTaratura::RigheIncorporate();
    if (!illeggibile.isEmpty())
        return TraduttoreDizionario::Tr("Tuning profile %1 cannot be read: %2. The autotuning does not start, nothing was written to the ECU.")
            .arg(percorso, illeggibile);
    return RifiutoRighe(righe, ProfiloTaratura::NomeProfilo(percorso), sepDecimale);
}

QString ControlloProfilo::RifiutoRighe(const QStringList &righe, const QString &nome, const QString &sepDecimale)
{
    QStringList motivi;
    ProfiloTaratura profilo;
    for (const bool cng : {false, true}) {
        QStringList fuori;
        profilo.ApplicaRighe(righe, cng, sepDecimale, &fuori);
        for (const QString &motivo : fuori) {
            if (!motivo.startsWith(QLatin1Char('[')))
                motivi.append((cng ? QStringLiteral("CNG column, ") : QStringLiteral("LPG column, ")) + motivo);
            else if (!cng)
                motivi.append(motivo);   // the model sections do not depend on the column
        }
    }
    // A model section missing (or refused) leaves a table the line cannot come from.
    const struct { const char *sezione; const ProfiloTaratura::Modello &modello; } modelli[] = {
        {"[Profili di taratura GPL]", profilo.ModelloGpl},
        {"[Profili di taratura CNG]", profilo.ModelloCng},
    };
    for (const auto &m : modelli) {
        const QString sezione = QLatin1String(m.sezione);
        const bool giaDetto = std::any_of(motivi.cbegin(), motivi.cend(),
                                          [&](const QString &s) { return s.startsWith(sezione); });
        if (!giaDetto && !RegoleProfilo::ErroreModello(m.modello).isEmpty())
            motivi.append(sezione + QStringLiteral(" is missing or unreadable"));
    }
    if (motivi.isEmpty())
        return {};
    return QStringLiteral("Tuning profile %1: the autotuning does not start, nothing was written to the ECU.\r\n")
               .arg(nome)
        + motivi.join(QStringLiteral("\r\n"));
}

} // namespace gascal
