#pragma once
#include "app/Orologio.h"
#include "TimeSource.h"
#include <map>

// A clock that moves only in waits, jumping to the next due action; also the in-process ECU's time source.
class OrologioPasso : public gascal::Orologio, public TimeSource
{
public:
    explicit OrologioPasso(double inizio_us = 1e6) : m_ora(inizio_us) {}
    ~OrologioPasso() override;

    // From now on the process's clock, until destroyed.
    void Installa();

    double Ora_us() const override { return m_ora; }
    bool Attendi(double fine_us, const std::function<bool()> &pronta) override;

    // Runs `azione` at `quando_us` (same moment: in order given); the number cancels it.
    quint64 Programma(double quando_us, std::function<void()> azione);
    // The same, `dopo_us` from now.
    quint64 Tra(double dopo_us, std::function<void()> azione) { return Programma(m_ora + dopo_us, std::move(azione)); }
    void Annulla(quint64 numero);
    // Moves the time on by `us`, running what falls due on the way.
    void Avanza(double us) { Attendi(m_ora + us, {}); }

    // A wait past this limit ends the test (a loop waiting for nothing would never end).
    double Limite_us = 4 * 3600e6;

    quint64 callAfter(int ms, std::function<void()> action) override { return Tra(ms * 1000.0, std::move(action)); }
    void cancel(quint64 id) override { Annulla(id); }

private:
    struct Azione {
        quint64 numero;
        std::function<void()> fai;
    };
    double m_ora;
    quint64 m_ultimo = 0;
    // By moment, then by order of arrival.
    std::multimap<double, Azione> m_azioni;
    gascal::Orologio *m_precedente = nullptr;
    bool m_installato = false;
};
