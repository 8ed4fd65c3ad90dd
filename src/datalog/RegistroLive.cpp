#include "RegistroLive.h"

#include "app/Contesto.h"
#include "datalog/FormatoLive.h"

#include <QDir>

namespace gascal {

bool RegistroLive::Lettura(const Contesto &ctx, double istante_usec)
{
    if (m_inizioSessione_usec < 0)
        m_inizioSessione_usec = istante_usec;
    CampioneLive c;
    c.Tempo_ms = (istante_usec - m_inizioSessione_usec) / 1000.0;
    c.Valori = ctx.TabMsg.at(Contesto::RecLive).Valori;
    c.Carburante = ctx.Valore(Contesto::RecComandi, 1);
    if (m_csv.Aperto()) {
        if (m_inizioRegistrazione_ms < 0)
            m_inizioRegistrazione_ms = c.Tempo_ms;
        if (!m_csv.Scrivi(FormatoLive::Riga(ctx, c.Tempo_ms - m_inizioRegistrazione_ms)))
            return false;
    }
    m_storico.push_back(std::move(c));
    while (qsizetype(m_storico.size()) > MaxCampioni)
        m_storico.pop_front();
    ++m_totale;
    return true;
}

QString RegistroLive::NomeFile(const QDateTime &adesso, qint32 seriale)
{
    return adesso.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral("_%1.csv").arg(seriale);
}

bool RegistroLive::Avvia(const Contesto &ctx, const QDateTime &adesso)
{
    const QString nome = NomeFile(adesso, ctx.Valore(Contesto::RecProduzione, 0));
    m_inizioRegistrazione_ms = -1;
    return m_csv.Apri(QDir(ctx.imp.CartellaDati).filePath(QStringLiteral("logs/") + nome),
                      FormatoLive::Intestazione(ctx.TabMsg.at(Contesto::RecLive).NumeroVariabili()));
}

void RegistroLive::Ferma()
{
    m_csv.Chiudi();
}

bool RegistroLive::ControllaCollegamento(const Contesto &ctx)
{
    const auto s = ctx.stato.StatoProgramma;
    const bool collegato = ctx.stato.ErroreComunicazione == 0
        && (s == StatoApp::Connesso || s == StatoApp::Operazione || s == StatoApp::Autotuning);
    if (collegato || !m_csv.Aperto())
        return false;
    Ferma();
    return true;
}

std::vector<CampioneLive> RegistroLive::Dal(qint64 da, qint64 *prossimo) const
{
    const qint64 primo = m_totale - qint64(m_storico.size());
    std::vector<CampioneLive> nuovi;
    for (qint64 n = std::max(da, primo); n < m_totale; ++n)
        nuovi.push_back(m_storico[std::size_t(n - primo)]);
    if (prossimo)
        *prossimo = m_totale;
    return nuovi;
}

} // namespace gascal
