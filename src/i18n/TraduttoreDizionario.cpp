#include "i18n/TraduttoreDizionario.h"

#include "i18n/Risorse.h"
#include "i18n/Dizionario.h"

#include <QCoreApplication>

namespace gascal {

namespace {
const QString Sezione = QStringLiteral("[Messaggi]");
} // namespace

TraduttoreDizionario::TraduttoreDizionario(const Dizionario &diz, QObject *parent)
    : QTranslator(parent), m_diz(diz)
{
    const QStringList inglese = Risorse::CaricaRisorsa(Dizionario::NumeroRisorsa(Dizionario::Inglese),
                                                       Dizionario::RisorsaDi(Dizionario::Inglese));
    const qsizetype inizio = inglese.indexOf(Sezione);
    if (inizio < 0)
        return;
    for (qsizetype i = inizio + 1; i < inglese.size() && !inglese.at(i).startsWith(QLatin1Char('[')); ++i)
        m_indici.insert(inglese.at(i), int(i - inizio));
}

QString TraduttoreDizionario::translate(const char *contesto, const char *testo, const char *, int) const
{
    if (qstrcmp(contesto, ContestoMessaggi) != 0)
        return {};
    const auto it = m_indici.constFind(QString::fromUtf8(testo));
    // Empty: Qt keeps the English.
    return it == m_indici.cend() ? QString() : m_diz.TestoSezione(Sezione, it.value());
}

QString TraduttoreDizionario::Tr(const char *inglese)
{
    return QCoreApplication::translate(ContestoMessaggi, inglese);
}

} // namespace gascal
