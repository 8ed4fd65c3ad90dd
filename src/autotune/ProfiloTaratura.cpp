#include "autotune/ProfiloTaratura.h"

#include "autotune/RegoleProfilo.h"
#include "app/FileSistema.h"
#include "app/ServiziUi.h"
#include "ecu/FileTesto.h"
#include "i18n/Risorse.h"
#include "i18n/TraduttoreDizionario.h"

#include <cmath>

namespace gascal {

namespace {

const QString sezioneGpl = QStringLiteral("[Profili di taratura GPL]");
const QString sezioneCng = QStringLiteral("[Profili di taratura CNG]");

// A number in the user's notation (the program's decimal separator or a
// point); false for an empty or non-numeric text.
bool Numero(QString testo, const QString &sep, double *valore)
{
    testo = testo.trimmed();
    if (!sep.isEmpty() && sep != QLatin1String("."))
        testo.replace(sep, QLatin1String("."));
    bool ok = false;
    const double v = testo.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    *valore = v;
    return true;
}

// Nine whole numbers separated by "|".
bool RigaModello(const QString &riga, qint32 *destinazione)
{
    const QStringList parti = riga.split(QLatin1Char('|'));
    if (parti.size() != 9)
        return false;
    std::array<qint32, 9> valori{};
    for (int k = 0; k < 9; ++k) {
        bool ok = false;
        valori[k] = parti.at(k).trimmed().toInt(&ok);
        if (!ok)
            return false;
    }
    std::copy(valori.begin(), valori.end(), destinazione);
    return true;
}

} // namespace

QStringList ProfiloTaratura::ApplicaRighe(const QStringList &righe, bool cng, const QString &sepDecimale,
                                          QStringList *fuoriRegola)
{
    QStringList saltate;
    auto rifiuta = [&](const QString &motivo) {
        saltate.append(motivo);
        if (fuoriRegola != nullptr)
            fuoriRegola->append(motivo);
    };
    qsizetype i = 0;
    while (i < righe.size()) {
        const QString &riga = righe.at(i);
        if (riga == sezioneGpl || riga == sezioneCng) {
            Modello &m = riga == sezioneGpl ? ModelloGpl : ModelloCng;
            Modello nuovo = m;
            // Rows i+2, i+4, i+6: pivots, slopes, offsets; kept as pivots, offsets, slopes.
            const bool ok = RigaModello(righe.value(i + 2), &nuovo[InizioPivot])
                && RigaModello(righe.value(i + 4), &nuovo[InizioPendenze])
                && RigaModello(righe.value(i + 6), &nuovo[InizioOffset]);
            const QString errore = ok ? RegoleProfilo::ErroreModello(nuovo) : QString();
            if (!ok)
                saltate.append(riga);
            else if (!errore.isEmpty())
                rifiuta(riga + QStringLiteral(" ") + errore);
            else
                m = nuovo;
            i += 7;
            continue;
        }
        const QStringList campi = riga.split(QLatin1Char('='));
        const RegoleProfilo::Chiave *c = RegoleProfilo::Trova(campi.at(0));
        if (c != nullptr && (c->intero != nullptr || c->reale != nullptr)) {
            const QString testo = campi.value(cng ? 2 : 1);
            double v = 0;
            if (!Numero(testo, sepDecimale, &v)) {
                saltate.append(QLatin1String(c->nome));
            } else if (c->reale != nullptr) {
                const QString fuori = RegoleProfilo::FuoriIntervallo(*c, v);
                if (fuori.isEmpty())
                    this->*c->reale = v;
                else
                    rifiuta(fuori);
            } else {
                // Whole keys are rounded first: 1500.4 rpm is 1500 rpm.
                const double r = std::nearbyint(v);
                const QString fuori = RegoleProfilo::FuoriIntervallo(*c, r);
                if (fuori.isEmpty())
                    this->*c->intero = static_cast<qint32>(r);
                else
                    rifiuta(fuori);
            }
        }
        ++i;
    }
    return saltate;
}

QString ProfiloTaratura::NomeProfilo(const QString &percorso)
{
    return NomeEsiste(percorso) ? percorso : QStringLiteral("(built-in)");
}

QStringList ProfiloTaratura::RigheIncorporate()
{
    return Risorse::CaricaRisorsa(101, QStringLiteral("PARATUNE"));
}

void ProfiloTaratura::CaricaProfiloTaratura(const QString &percorso, bool cng, ServiziUi &ui,
                                            const QString &sepDecimale)
{
    QString illeggibile;
    const QStringList righe = NomeEsiste(percorso)
        ? FileTesto::LeggiImpostazioni(percorso, ui, LetturaLimitata::Tipo::Profilo, &illeggibile)
        : RigheIncorporate();
    if (!illeggibile.isEmpty()) {
        ui.Messaggio(TraduttoreDizionario::Tr("Tuning profile %1 cannot be read: %2").arg(percorso, illeggibile),
                     QStringLiteral("ParaTun.txt"), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Esclamazione);
        return;
    }
    const QStringList saltate = ApplicaRighe(righe, cng, sepDecimale);
    if (!saltate.isEmpty()) {
        ui.Messaggio(QStringLiteral("Tuning profile %1: these lines have no valid value and were skipped:\r\n")
                             .arg(NomeProfilo(percorso))
                         + saltate.join(QStringLiteral("\r\n")),
                     QStringLiteral("ParaTun.txt"), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Esclamazione);
    }
}

} // namespace gascal
