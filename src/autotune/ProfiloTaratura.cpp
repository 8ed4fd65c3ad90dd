#include "autotune/ProfiloTaratura.h"

#include "app/FileSistema.h"
#include "app/ServiziUi.h"
#include "ecu/FileTesto.h"
#include "i18n/Risorse.h"

#include <cmath>

namespace gascal {

namespace {

struct Chiave {
    const char *nome;
    qint32 ProfiloTaratura::*intero;
    double ProfiloTaratura::*reale;
};

using P = ProfiloTaratura;

// The keys, compared exactly (spaces and case count); a key with neither
// member is recognised and not used.
const Chiave chiavi[] = {
    {"Temp taratura", &P::TempTaratura, nullptr},
    {"Rpm minimi", &P::RpmMinimi, nullptr},
    {"Attesa minimo ms", nullptr, &P::AttesaMinimoMs},
    {"Num Campioni minimo", &P::NumCampioniMinimo, nullptr},
    {"Freq Campioni minimo ms", nullptr, &P::FreqCampioniMinimoMs},
    {"Attiva tutti i Cil", nullptr, nullptr},
    {"Rpm Massimo", &P::RpmMassimo, nullptr},
    {"Attesa massimo ms", nullptr, &P::AttesaMassimoMs},
    {"Num Campioni massimo", &P::NumCampioniMassimo, nullptr},
    {"Freq Campioni massimo ms", nullptr, &P::FreqCampioniMassimoMs},
    {"Prima attesa ms", nullptr, &P::PrimaAttesaMs},
    {"Attesa corr inj ms", nullptr, &P::AttesaCorrInjMs},
    {"Num Campioni corr inj", &P::NumCampioniCorrInj, nullptr},
    {"Freq Campioni corr inj ms", nullptr, &P::FreqCampioniCorrInjMs},
    {"Cicli in tolleranza inj", &P::CicliInTolleranzaInj, nullptr},
    {"Max cicli non in tolleranza inj", &P::MaxCicliNonInTolleranzaInj, nullptr},
    {"Tolleranza in correzione inj %", &P::TolleranzaInj, nullptr},
    {"Step di Correzione inj %", &P::StepCorrezioneInj, nullptr},
    {"Massima correzione inj us", &P::MassimaCorrezioneInj, nullptr},
    {"Rpm ritorno minimo", &P::RpmRitornoMinimo, nullptr},
    {"Attesa ritorno minimo ms", nullptr, &P::AttesaRitornoMinimoMs},
    {"Attesa corr minimo ms", nullptr, &P::AttesaCorrMinimoMs},
    {"Num Campioni corr minimo", &P::NumCampioniCorrMinimo, nullptr},
    {"Freq Campioni corr minimo ms", nullptr, &P::FreqCampioniCorrMinimoMs},
    {"Cicli in tolleranza minimo", &P::CicliInTolleranzaMinimo, nullptr},
    {"Max cicli non in tolleranza minimo", &P::MaxCicliNonInTolleranzaMinimo, nullptr},
    {"Tolleranza in correzine minimo %", &P::TolleranzaMinimo, nullptr},
    {"Step di Correzione minimo %", &P::StepCorrezioneMinimo, nullptr},
    {"Massima correzione minimo us", &P::MassimaCorrezioneMinimo, nullptr},
    {"Massima Correzione us", &P::MassimaCorrezione, nullptr},
    {"Minima correzione us", &P::MinimaCorrezione, nullptr},
    {"Soglia Rilascio %", &P::SogliaRilascio, nullptr},
    {"Soglia Secondo Set %", &P::SogliaSecondoSet, nullptr},
    {"Soglia Terzo Set %", &P::SogliaTerzoSet, nullptr},
    {"Smagrimento Terzo Set %", &P::SmagrimentoTerzoSet, nullptr},
    {"Smagrimento Rilascio %", &P::SmagrimentoRilascio, nullptr},
};

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

QStringList ProfiloTaratura::ApplicaRighe(const QStringList &righe, bool cng, const QString &sepDecimale)
{
    QStringList saltate;
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
            if (ok)
                m = nuovo;
            else
                saltate.append(riga);
            i += 7;
            continue;
        }
        const QStringList campi = riga.split(QLatin1Char('='));
        for (const Chiave &c : chiavi) {
            if (campi.at(0) != QLatin1String(c.nome))
                continue;
            if (c.intero == nullptr && c.reale == nullptr)
                break;
            const QString testo = campi.value(cng ? 2 : 1);
            double v = 0;
            if (!Numero(testo, sepDecimale, &v)) {
                saltate.append(QLatin1String(c.nome));
                break;
            }
            if (c.reale != nullptr) {
                this->*c.reale = v;
            } else {
                const double r = std::nearbyint(v);
                if (r < -2147483648.0 || r > 2147483647.0)
                    saltate.append(QLatin1String(c.nome));
                else
                    this->*c.intero = static_cast<qint32>(r);
            }
            break;
        }
        ++i;
    }
    return saltate;
}

QStringList ProfiloTaratura::RigheIncorporate()
{
    return Risorse::CaricaRisorsa(101, QStringLiteral("PARATUNE"));
}

void ProfiloTaratura::CaricaProfiloTaratura(const QString &percorso, bool cng, ServiziUi &ui,
                                            const QString &sepDecimale)
{
    const QStringList righe = !percorso.isEmpty() && FileExist(percorso)
        ? FileTesto::LeggiImpostazioni(percorso, ui)
        : RigheIncorporate();
    const QStringList saltate = ApplicaRighe(righe, cng, sepDecimale);
    if (!saltate.isEmpty()) {
        ui.Messaggio(QStringLiteral("Tuning profile: these lines have no valid value and were skipped:\r\n")
                         + saltate.join(QStringLiteral("\r\n")),
                     QStringLiteral("ParaTun.txt"), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Esclamazione);
    }
}

} // namespace gascal
