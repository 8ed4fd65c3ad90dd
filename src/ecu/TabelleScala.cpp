#include "ecu/TabelleScala.h"

#include "app/FileSistema.h"
#include "app/ServiziUi.h"
#include "ecu/FileTesto.h"
#include "i18n/Risorse.h"

#include <QFileInfo>

#include <cmath>
#include <optional>

namespace gascal {

namespace {

// Reads a section's value lines one after the other and gathers what is
// wrong with them into one message, shown when the section is done: a section
// cut short by the end of the file is one problem, not one per missing line.
class LettoreSezione
{
public:
    LettoreSezione(const QStringList &righe, qsizetype inizio, ServiziUi &ui)
        : m_righe(righe), m_inizio(inizio), m_i(inizio), m_ui(ui)
    {
    }
    ~LettoreSezione()
    {
        if (m_errori.isEmpty())
            return;
        const QString sezione = m_inizio > 0 ? m_righe.at(m_inizio - 1) : QString();
        m_ui.Messaggio(QStringLiteral("LeggiTipo_Inj_SensLevel_Lambda: ") + sezione + QLatin1Char(' ')
                           + m_errori.join(QStringLiteral("; ")),
                       QStringLiteral("Config sensor error"), ServiziUi::Pulsanti::Ok,
                       ServiziUi::Icona::Critica);
    }
    LettoreSezione(const LettoreSezione &) = delete;
    LettoreSezione &operator=(const LettoreSezione &) = delete;

    std::optional<QString> Riga()
    {
        if (m_i >= m_righe.size()) {
            if (!m_finito)
                Errore(QStringLiteral("Input past end of file"));
            m_finito = true;
            return std::nullopt;
        }
        return m_righe.at(m_i++).trimmed();
    }
    QString Testo() { return Riga().value_or(QString()); }
    std::optional<qint32> Intero()
    {
        const auto t = Riga();
        if (!t)
            return std::nullopt;
        bool ok = false;
        const qint32 n = t->toInt(&ok);
        if (!ok) {
            Errore(QStringLiteral("Type mismatch: \"%1\"").arg(*t));
            return std::nullopt;
        }
        return n;
    }
    void Leggi(qint32 &campo)
    {
        if (const auto n = Intero())
            campo = *n;
    }
    void Errore(const QString &descrizione) { m_errori.append(descrizione); }

private:
    const QStringList &m_righe;
    qsizetype m_inizio;
    qsizetype m_i;
    ServiziUi &m_ui;
    QStringList m_errori;
    bool m_finito = false;
};

// The largest injection-time offset taken: a second, far beyond any injection.
constexpr double MassimaSommaTempoInj_usec = 1e6;

// The digits just before the section line's closing bracket.
qint32 CodiceSezione(const QString &riga, int cifre, LettoreSezione &lettore)
{
    bool ok = false;
    const qint32 codice = riga.mid(riga.size() - 1 - cifre, cifre).toInt(&ok);
    if (!ok)
        lettore.Errore(QStringLiteral("Type mismatch: \"%1\"").arg(riga));
    return ok ? codice : 0;
}

// A comma-separated list of whole numbers; an entry that is not one makes
// the whole list unusable (the later entries must not move up a place).
// Blanks around entries and an empty entry after a final comma are allowed.
std::optional<QVector<qint32>> ListaNumeri(const QString &riga, QString &problema)
{
    QStringList parti = riga.split(QLatin1Char(','));
    if (parti.size() > 1 && parti.last().trimmed().isEmpty())
        parti.removeLast();
    QVector<qint32> numeri;
    numeri.reserve(parti.size());
    for (qsizetype k = 0; k < parti.size(); ++k) {
        bool ok = false;
        const qint32 n = parti.at(k).trimmed().toInt(&ok);
        if (!ok) {
            problema = QStringLiteral("entry %1 \"%2\" is not a whole number").arg(k).arg(parti.at(k).trimmed());
            return std::nullopt;
        }
        numeri.append(n);
    }
    return numeri;
}

} // namespace

QStringList TabelleScala::CaricaConfigScale(const QString &percorso, ServiziUi &ui)
{
    if (!FileExist(percorso))
        return Risorse::CaricaRisorsa(103, QStringLiteral("CONFIGSCALE"));
    return FileTesto::LeggiImpostazioni(percorso, ui);
}

void TabelleScala::CaricaScale(const QStringList &righe, ServiziUi &ui)
{
    TabIniettori.clear();
    TabLivello.clear();
    TabLambda.clear();
    TabSensTemp.clear();
    TabSensPress.clear();

    qsizetype i = 0;
    while (i < righe.size()) {
        const QString riga = righe.at(i);
        LettoreSezione l(righe, i + 1, ui);
        if (riga.startsWith(QLatin1String("[InjType_"))) {
            TipoIniettore t;
            t.Codice = CodiceSezione(riga, 3, l);
            t.Nome = l.Testo();
            for (int p : {0, 2, 1, 3, 5, 4}) // lines P1, P3, P2, P4, P6, P5
                l.Leggi(t.P[p]);
            TabIniettori.append(t);
            i += 8;
        } else if (riga.startsWith(QLatin1String("[GasLevel_"))) {
            SensoreLivello s;
            s.Nome = l.Testo();
            l.Leggi(s.Codice);
            for (int k = 1; k <= 4; ++k)
                l.Leggi(s.Soglie[k]);
            l.Leggi(s.Ulteriore);
            TabLivello.append(s);
            i += 8;
        } else if (riga.startsWith(QLatin1String("[Lambda_"))) {
            SondaLambda s;
            s.Codice = CodiceSezione(riga, 2, l);
            s.Nome = l.Testo();
            l.Leggi(s.Parametri[0]);
            l.Leggi(s.Parametri[1]);
            TabLambda.append(s);
            i += 8;
        } else if (riga.startsWith(QLatin1String("[SensTemp_"))
                   || riga.startsWith(QLatin1String("[SensPress_"))) {
            SensoreTabellato s;
            s.Posizione = CodiceSezione(riga, 2, l);
            s.Nome = l.Testo();
            l.Leggi(s.Codice);
            (riga.startsWith(QLatin1String("[SensTemp_")) ? TabSensTemp : TabSensPress).append(s);
            i += 3;
        } else if (riga == QLatin1String("[SommaTempoInj_usec]")) {
            if (auto t = l.Riga()) {
                bool ok = false;
                const double v = QString(*t).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
                if (!ok)
                    l.Errore(QStringLiteral("Type mismatch: \"%1\"").arg(*t));
                else if (!std::isfinite(v) || std::abs(v) > MassimaSommaTempoInj_usec)
                    l.Errore(QStringLiteral("\"%1\" is outside -%2 to %2: not used")
                                 .arg(*t).arg(MassimaSommaTempoInj_usec, 0, 'f', 0));
                else
                    SommaTempoInj_usec = v;
            }
            i += 2;
        } else if (riga == QLatin1String("[Parametri Fine Gas]")) {
            MostraFineGas = l.Testo() == QLatin1String("1");
            i += 2;
        } else if (riga == QLatin1String("[Parametri Abilitazioni]")) {
            MostraAbilitazioni = l.Testo() == QLatin1String("1");
            i += 2;
        } else {
            ++i;
        }
    }
}

void TabelleScala::CaricaMapIni(const QString &percorso, ServiziUi &ui)
{
    if (!FileExist(percorso))
        return;
    const QStringList problemi = InterpretaMapIni(FileTesto::LeggiFileTesto(percorso));
    if (!problemi.isEmpty())
        ui.Messaggio(QFileInfo(percorso).fileName() + QStringLiteral(":\r\n")
                         + problemi.join(QStringLiteral("\r\n")),
                     QStringLiteral("Config sensor error"), ServiziUi::Pulsanti::Ok,
                     ServiziUi::Icona::Esclamazione);
}

QStringList TabelleScala::InterpretaMapIni(const QStringList &righe)
{
    const std::pair<const char *, QVector<qint32> *> sezioni[] = {
        {"[tabMapSens5Bar]", &TabMapSens5Bar},
        {"[decodeMapSens5Bar]", &DecodeMapSens5Bar},
        {"[decodeMapSens4Bar]", &DecodeMapSens4Bar},
        {"[absPresScale]", &AbsPresScale},
        {"[tONInjScale]", &TONInjScale},
    };
    QStringList problemi;
    for (qsizetype i = 0; i + 1 < righe.size(); ++i) {
        for (const auto &[nome, tabella] : sezioni) {
            if (righe.at(i) != QLatin1String(nome))
                continue;
            QString problema;
            if (const auto numeri = ListaNumeri(righe.at(i + 1), problema))
                *tabella = *numeri;
            else
                problemi << QStringLiteral("%1 %2: the table is not used").arg(QLatin1String(nome), problema);
        }
    }
    return problemi;
}

qsizetype TabelleScala::IndiceDaCodice(qint32 codice) const
{
    for (qsizetype i = 0; i < TabLivello.size(); ++i)
        if (TabLivello.at(i).Codice == codice)
            return i;
    return -1;
}

qint32 TabelleScala::ConvertiMapSens(qint32 valore, qint32 tipoSensore) const
{
    if (tipoSensore != 0)
        return valore;
    for (qsizetype j = 1; j <= 127; ++j) {
        if (j >= TabMapSens5Bar.size() || j >= DecodeMapSens5Bar.size())
            return valore;
        if (valore > TabMapSens5Bar.at(j))
            continue;
        for (qsizetype k = 0; k < DecodeMapSens4Bar.size(); ++k) {
            if (DecodeMapSens4Bar.at(k) >= DecodeMapSens5Bar.at(j))
                return k < TabMapSens5Bar.size() ? TabMapSens5Bar.at(k) : valore;
        }
    }
    return 0;
}

QString TabelleScala::RigaDopo(const QString &chiave) const
{
    const qsizetype i = RigheConfigScale.indexOf(chiave);
    return i >= 0 && i + 1 < RigheConfigScale.size() ? RigheConfigScale.at(i + 1) : QString();
}

QStringList TabelleScala::ListaScelte(const QString &chiave) const
{
    const QString riga = RigaDopo(chiave);
    return riga.isEmpty() ? QStringList() : riga.split(QLatin1Char('|'));
}

} // namespace gascal
