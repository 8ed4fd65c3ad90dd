#pragma once

#include "config/ListaScelte.h"
#include "ecu/CodaScrittura.h"

#include <QString>
#include <initializer_list>
#include <optional>

namespace gascal {

class Contesto;

// What the two configuration pages share: the configuration record's values,
// the write queue with the request of operation 7, the page's dictionary
// section, the refresh flag, and the error report of the list building.
class LogicaPagina
{
public:
    // True while the page shows the ECU's values: its handlers then do nothing.
    bool AggiornamentoInCorso = false;

    // Sets AggiornamentoInCorso for its own life (and puts back what was).
    class InAggiornamento
    {
    public:
        explicit InAggiornamento(LogicaPagina &p) : m_p(p), m_prima(p.AggiornamentoInCorso)
        {
            m_p.AggiornamentoInCorso = true;
        }
        ~InAggiornamento() { m_p.AggiornamentoInCorso = m_prima; }
        InAggiornamento(const InAggiornamento &) = delete;
        InAggiornamento &operator=(const InAggiornamento &) = delete;

    private:
        LogicaPagina &m_p;
        bool m_prima;
    };

    // The guard of every choice: not while refreshing, not while an operation
    // is pending.
    bool Libera() const;

    // Value k of the configuration record (0 when it does not exist).
    qint32 V(int k) const;
    bool Esiste(int k) const;
    // The queue becomes exactly these entries (Valore, Indice, Maschera).
    void Accoda(std::initializer_list<VoceCoda> voci);
    // Accoda, then operation 7.
    void Scrivi(std::initializer_list<VoceCoda> voci);
protected:
    LogicaPagina(Contesto &ctx, const QString &sezione, const QString &numeroErrore)
        : m_ctx(ctx), m_sezione(sezione), m_numeroErrore(numeroErrore)
    {
    }
    ~LogicaPagina() = default;

    // Text n of the page's dictionary section; nothing when the dictionary
    // does not have it.
    std::optional<QString> TestoDiz(int n) const;
    // "Error 001" / "Error 002" with "Config error" through the common report.
    void SegnalaErrore(qint64 numero, const QString &descrizione) const;
    // Fills a list from the line after a scale configuration key; a text
    // `primo` (when given) goes in front as item 0. Failures are reported.
    void RiempiDaChiave(ListaScelte &lista, const QStringList &righe, const QString &chiave,
                        bool milli, std::optional<int> testoPrimo = std::nullopt);

    Contesto &m_ctx;
    QString m_sezione;
    QString m_numeroErrore;
};

} // namespace gascal
