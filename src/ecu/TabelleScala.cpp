#include "ecu/TabelleScala.h"

#include "app/FileSistema.h"
#include "app/ServiziUi.h"
#include "ecu/FileTesto.h"
#include "i18n/Risorse.h"

#include <optional>

namespace gascal {

namespace {

// Reads value lines one after the other and reports those that are not numbers.
class LettoreSezione
{
public:
    LettoreSezione(const QStringList &righe, qsizetype inizio, ServiziUi &ui)
        : m_righe(righe), m_i(inizio), m_ui(ui)
    {
    }
    QString Testo()
    {
        if (m_i >= m_righe.size()) {
            Errore(QStringLiteral("Input past end of file"));
            return {};
        }
        return m_righe.at(m_i++).trimmed();
    }
    std::optional<qint32> Intero()
    {
        const QString t = Testo();
        bool ok = false;
        const qint32 n = t.toInt(&ok);
        if (!ok) {
            Errore(QStringLiteral("Type mismatch: \"%1\"").arg(t));
            return std::nullopt;
        }
        return n;
    }
    void Leggi(qint32 &campo)
    {
        if (const auto n = Intero())
            campo = *n;
    }
    void Errore(const QString &descrizione)
    {
        m_ui.Messaggio(QStringLiteral("LeggiTipo_Inj_SensLevel_Lambda: ") + descrizione,
                       QStringLiteral("Config sensor error"), ServiziUi::Pulsanti::Ok,
                       ServiziUi::Icona::Critica);
    }

private:
    const QStringList &m_righe;
    qsizetype m_i;
    ServiziUi &m_ui;
};

// The digits just before the section line's closing bracket.
qint32 CodiceSezione(const QString &riga, int cifre, LettoreSezione &lettore)
{
    bool ok = false;
    const qint32 codice = riga.mid(riga.size() - 1 - cifre, cifre).toInt(&ok);
    if (!ok)
        lettore.Errore(QStringLiteral("Type mismatch: \"%1\"").arg(riga));
    return ok ? codice : 0;
}

QVector<qint32> ListaNumeri(const QString &riga)
{
    QVector<qint32> numeri;
    for (const QString &parte : riga.split(QLatin1Char(','))) {
        bool ok = false;
        const qint32 n = parte.trimmed().toInt(&ok);
        if (ok)
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
            QString t = l.Testo();
            bool ok = false;
            const double v = t.replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
            if (ok)
                SommaTempoInj_usec = v;
            else
                l.Errore(QStringLiteral("Type mismatch: \"%1\"").arg(t));
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

void TabelleScala::CaricaMapIni(const QString &percorso)
{
    if (!FileExist(percorso))
        return;
    const QStringList righe = FileTesto::LeggiFileTesto(percorso);
    const std::pair<const char *, QVector<qint32> *> sezioni[] = {
        {"[tabMapSens5Bar]", &TabMapSens5Bar},
        {"[decodeMapSens5Bar]", &DecodeMapSens5Bar},
        {"[decodeMapSens4Bar]", &DecodeMapSens4Bar},
        {"[absPresScale]", &AbsPresScale},
        {"[tONInjScale]", &TONInjScale},
    };
    for (qsizetype i = 0; i + 1 < righe.size(); ++i)
        for (const auto &[nome, tabella] : sezioni)
            if (righe.at(i) == QLatin1String(nome))
                *tabella = ListaNumeri(righe.at(i + 1));
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
