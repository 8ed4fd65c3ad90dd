#include "OrologioPasso.h"
#include <QCoreApplication>
#include <QtGlobal>
#include <algorithm>

OrologioPasso::~OrologioPasso()
{
    if (m_installato)
        gascal::Orologio::Imposta(m_precedente);
}

void OrologioPasso::Installa()
{
    if (m_installato)
        return;
    m_precedente = gascal::Orologio::Imposta(this);
    m_installato = true;
}

quint64 OrologioPasso::Programma(double quando_us, std::function<void()> azione)
{
    const quint64 numero = ++m_ultimo;
    m_azioni.emplace(quando_us, Azione{numero, std::move(azione)});
    return numero;
}

void OrologioPasso::Annulla(quint64 numero)
{
    const auto i = std::find_if(m_azioni.begin(), m_azioni.end(),
                                [numero](const auto &a) { return a.second.numero == numero; });
    if (i != m_azioni.end())
        m_azioni.erase(i);
}

bool OrologioPasso::Attendi(double fine_us, const std::function<bool()> &pronta)
{
    for (;;) {
        // What the real wait would deliver meanwhile: queued signals, posted events.
        QCoreApplication::processEvents();
        if (pronta && pronta())
            return true;
        const bool dovuta = !m_azioni.empty() && m_azioni.begin()->first <= fine_us;
        if (!dovuta && m_ora >= fine_us)
            return false;
        m_ora = dovuta ? std::max(m_ora, m_azioni.begin()->first) : fine_us;
        if (m_ora > Limite_us)
            qFatal("the virtual clock passed %.0f s: a wait for something that never comes", Limite_us / 1e6);
        if (dovuta) {
            const std::function<void()> fai = std::move(m_azioni.begin()->second.fai);
            m_azioni.erase(m_azioni.begin());
            fai();
        }
    }
}
