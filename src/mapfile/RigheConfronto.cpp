#include "mapfile/RigheConfronto.h"

#include "app/Contesto.h"
#include "app/Conversioni.h"
#include "ui/line/ModelloRetta.h"

#include <QRegularExpression>

#include <algorithm>

namespace gascal {

namespace {

const QString SezPagina1 = QStringLiteral("[Frm_Config]");
const QString SezPagina2 = QStringLiteral("[Frm_Congif_2]");
const QString SezRetta = QStringLiteral("[Frm_Retta]");
const QString SezStato = QStringLiteral("[Frm_Stato]");
const QString SezConfronto = QStringLiteral("[Frm_Confronto]");

// How a setting's value reads on its page.
enum class Forma {
    Voce,   // a list item, with the caption's unit when it is a number
    Volt,   // a level mark in counts of the 10-bit converter, shown in volts
    Numero, // a number the page shows as it is
};

// Where a page shows each setting: the dictionary section, the number of the
// group's title and of the caption in it (0: the caption is the group's own).
struct Posto {
    const char *nome;
    RigheConfronto::Pagina pagina;
    const QString *sezione;
    int gruppo;
    int didascalia;
    Forma forma;
    const char *testoFisso; // a caption the page does not translate
};

using P = RigheConfronto::Pagina;
const Posto Posti[] = {
    {"rpm-factor", P::Commutazione, &SezPagina1, 1, 2, Forma::Voce, nullptr},
    {"switch-rpm", P::Commutazione, &SezPagina1, 1, 3, Forma::Voce, nullptr},
    {"switch-direction", P::Commutazione, &SezPagina1, 1, 4, Forma::Voce, nullptr},
    {"hysteresis-rpm", P::Commutazione, &SezPagina1, 1, 5, Forma::Voce, nullptr},
    {"switch-temp", P::Commutazione, &SezPagina1, 1, 6, Forma::Voce, nullptr},
    {"forced-switch-s", P::Commutazione, &SezPagina1, 1, 7, Forma::Voce, nullptr},
    {"overlap-ms", P::Commutazione, &SezPagina1, 1, 8, Forma::Voce, nullptr},
    {"warm-up-s", P::Commutazione, &SezPagina1, 1, 9, Forma::Voce, nullptr},
    {"switch-delay-s", P::Commutazione, &SezPagina1, 1, 10, Forma::Voce, nullptr},
    {"end-of-gas", P::Commutazione, &SezPagina1, 11, 12, Forma::Voce, nullptr},
    {"end-of-gas-bar", P::Commutazione, &SezPagina1, 11, 13, Forma::Voce, nullptr},
    {"end-of-gas-time-s", P::Commutazione, &SezPagina1, 11, 14, Forma::Voce, nullptr},
    {"emergency-start", P::Commutazione, &SezPagina1, 15, 16, Forma::Voce, nullptr},
    {"pressure-sensor", P::Commutazione, &SezPagina1, 15, 17, Forma::Voce, nullptr},
    {"temp-sensor", P::Commutazione, &SezPagina1, 15, 18, Forma::Voce, nullptr},
    {"injector", P::Iniettori, &SezPagina2, 1, 2, Forma::Voce, nullptr},
    {"min-opening-ms", P::Iniettori, &SezPagina2, 1, 3, Forma::Voce, nullptr},
    {"sensitivity-ms", P::Iniettori, &SezPagina2, 1, 4, Forma::Voce, nullptr},
    {"fuel", P::Iniettori, &SezPagina2, 1, 5, Forma::Voce, nullptr},
    {"max-power-rpm", P::Iniettori, &SezPagina2, 1, 8, Forma::Voce, nullptr},
    {"max-power-tinj-ms", P::Iniettori, &SezPagina2, 1, 10, Forma::Voce, nullptr},
    {"injector-ppg", P::Iniettori, nullptr, 0, 0, Forma::Numero, "PPG"},
    {"injector-pwm-on", P::Iniettori, nullptr, 0, 0, Forma::Numero, "ON"},
    {"injector-pwm-off", P::Iniettori, nullptr, 0, 0, Forma::Numero, "OFF"},
    {"level-sensor", P::Iniettori, &SezPagina2, 11, 0, Forma::Voce, nullptr},
    {"level-r", P::Iniettori, &SezPagina2, 11, 12, Forma::Volt, "R"},
    {"level-1-4", P::Iniettori, &SezPagina2, 11, 12, Forma::Volt, "1/4"},
    {"level-2-4", P::Iniettori, &SezPagina2, 11, 12, Forma::Volt, "2/4"},
    {"level-3-4", P::Iniettori, &SezPagina2, 11, 12, Forma::Volt, "3/4"},
};

// "Threshold (rpm)" -> "Threshold" and "rpm".
std::pair<QString, QString> SenzaUnita(const QString &didascalia)
{
    static const QRegularExpression unita(QStringLiteral("^(.*\\S)\\s*\\(([^()]+)\\)\\s*$"));
    const QRegularExpressionMatch m = unita.match(didascalia);
    if (!m.hasMatch())
        return {didascalia.trimmed(), QString()};
    return {m.captured(1), m.captured(2).trimmed()};
}

bool ENumero(const QString &testo, const QString &sep)
{
    return Conversioni::Numero(testo, sep) || Conversioni::Numero(testo, QStringLiteral("."));
}

QString ConUnita(const QString &valore, const QString &unita, const QString &sep)
{
    const QString v = valore.trimmed();
    if (unita.isEmpty() || !ENumero(v, sep))
        return v;
    return v + QLatin1Char(' ') + unita;
}

} // namespace

QString RigheConfronto::TitoloPagina(Pagina p) const
{
    static const char *const progetto[] = {"Switch-over", "Injectors, fuel and level", "Calibration line",
                                           "Not shown on the pages"};
    const QString &sezione = p == FuoriPagina ? SezConfronto : SezStato;
    const int k = p == FuoriPagina ? 10 : 9 + int(p);
    return m_ctx.diz.TestoSezione(sezione, k, QString::fromLatin1(progetto[p]));
}

QString RigheConfronto::Intestazione(const Riga &r) const
{
    const QString pagina = TitoloPagina(r.pagina);
    return r.gruppo.isEmpty() ? pagina : pagina + QStringLiteral(" - ") + r.gruppo;
}

QString RigheConfronto::PetrolioPunto(int punto) const
{
    const QString &sep = m_ctx.imp.SepDecimale;
    const auto &scala = m_ctx.retta.Scala;
    if (punto < 0 || punto >= int(scala.size()) || std::all_of(scala.begin(), scala.end(), [](qint32 v) { return v == 0; }))
        return QStringLiteral("#%1").arg(punto + 1);
    return ModelloRetta::TestoMs(scala[punto], 1, sep) + QStringLiteral(" ms");
}

RigheConfronto::Riga RigheConfronto::Mostra(const ConfrontoMappe::Differenza &d) const
{
    const Dizionario &diz = m_ctx.diz;
    const QString &sep = m_ctx.imp.SepDecimale;
    Riga r{FuoriPagina, QString(), d.nome, d.a.trimmed(), d.b.trimmed()};

    for (const Posto &p : Posti) {
        if (d.nome != QLatin1String(p.nome))
            continue;
        r.pagina = p.pagina;
        const QString nome = QString::fromLatin1(p.nome);
        // The PWM box has the same title in every language.
        r.gruppo = p.sezione ? SenzaUnita(diz.TestoSezione(*p.sezione, p.gruppo, nome)).first : QStringLiteral("PWM");
        const auto [didascalia, unita] = p.sezione && p.didascalia > 0
            ? SenzaUnita(diz.TestoSezione(*p.sezione, p.didascalia, nome))
            : std::pair<QString, QString>{r.gruppo, QString()};
        r.didascalia = didascalia;
        if (p.testoFisso)
            r.didascalia = p.didascalia > 0 ? QStringLiteral("%1 %2").arg(didascalia, QLatin1String(p.testoFisso))
                                            : QString::fromLatin1(p.testoFisso);
        if (p.forma == Forma::Voce) {
            r.a = ConUnita(d.a, unita, sep);
            r.b = ConUnita(d.b, unita, sep);
        } else if (p.forma == Forma::Volt) {
            const auto volt = [&sep](const QString &conteggi) {
                const auto n = Conversioni::Numero(conteggi, QStringLiteral("."));
                return n ? Conversioni::TestoDecimali(*n * 5.0 / 1024.0, 2, sep) + QStringLiteral(" V") : conteggi;
            };
            r.a = volt(d.a);
            r.b = volt(d.b);
        }
        return r;
    }

    // The line page: points by their petrol time, corrections and pivots in ms.
    static const QRegularExpression indice(QStringLiteral("^(line|pivot)\\[(\\d+)\\]$"));
    const QRegularExpressionMatch m = indice.match(d.nome);
    if (m.hasMatch()) {
        r.pagina = Retta;
        r.gruppo = SenzaUnita(diz.TestoSezione(SezRetta, 1, QStringLiteral("CALIBRATION LINE"))).first;
        const int i = m.captured(2).toInt();
        if (m.captured(1) == QLatin1String("line")) {
            const QString benzina = SenzaUnita(diz.TestoSezione(SezRetta, 2, QStringLiteral("Petrol (ms)"))).first;
            r.didascalia = QStringLiteral("%1 %2").arg(benzina, PetrolioPunto(i));
            const auto ms = [&sep](const QString &passi) {
                bool ok = false;
                const int v = passi.toInt(&ok);
                return ok ? ModelloRetta::TestoMs(double(v) * ModelloRetta::GetCorrUSec(), 2, sep) + QStringLiteral(" ms")
                          : passi;
            };
            r.a = ms(d.a);
            r.b = ms(d.b);
        } else {
            r.didascalia = QStringLiteral("P%1").arg(i + 1);
            const auto punto = [this](const QString &p) {
                bool ok = false;
                const int v = p.toInt(&ok);
                return ok ? PetrolioPunto(v) : p;
            };
            r.a = punto(d.a);
            r.b = punto(d.b);
        }
        return r;
    }

    if (d.nome == QLatin1String("pedestal-guard")) {
        r.didascalia = diz.TestoSezione(SezConfronto, 11, QStringLiteral("Pedestal guard"));
        const auto interruttore = [&diz](const QString &v) {
            if (v == QLatin1String("0"))
                return diz.TestoSezione(SezPagina1, 19, QStringLiteral("Off"));
            if (v == QLatin1String("1"))
                return diz.TestoSezione(SezPagina1, 20, QStringLiteral("On"));
            return v;
        };
        r.a = interruttore(r.a);
        r.b = interruttore(r.b);
    }
    return r;
}

QList<RigheConfronto::Riga> RigheConfronto::Righe(const QList<ConfrontoMappe::Differenza> &differenze) const
{
    QList<Riga> righe;
    for (const ConfrontoMappe::Differenza &d : differenze)
        righe << Mostra(d);
    std::stable_sort(righe.begin(), righe.end(), [](const Riga &x, const Riga &y) { return x.pagina < y.pagina; });
    return righe;
}

QString RigheConfronto::Testo(const Riga &r)
{
    return QStringLiteral("%1: %2 | %3").arg(r.didascalia, r.a, r.b);
}

} // namespace gascal
