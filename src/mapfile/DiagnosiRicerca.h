#pragma once

#include "link/RapportoPorta.h"

#include <QMap>
#include <QString>
#include <optional>

namespace gascal {

// Why the ECU has not been found yet: the last report of every port the
// search tried, and the one that came closest to an ECU. The wait window and
// the command-line tool show its text.
class DiagnosiRicerca
{
public:
    // A new search: the reports of the last one are forgotten.
    void Azzera() { m_porte.clear(); }
    // The latest report of a port replaces the earlier one.
    void Registra(const RapportoPorta &rapporto) { m_porte.insert(rapporto.porta, rapporto); }
    // The port whose latest attempt came closest to an ECU; on a tie the
    // lowest port number.
    std::optional<RapportoPorta> PiuVicina() const;
    // Its text, empty when no port was reported.
    QString Testo() const;
    bool Vuota() const { return m_porte.isEmpty(); }
    // The port the last successful search found the ECU on (its device when
    // the communication process told it); a new search keeps it until it
    // finds the ECU again.
    void Collegata(const RapportoPorta &rapporto) { m_collegata = rapporto; }
    const std::optional<RapportoPorta> &Collegata() const { return m_collegata; }

private:
    QMap<int, RapportoPorta> m_porte;
    std::optional<RapportoPorta> m_collegata;
};

} // namespace gascal
