#include "mapfile/DiagnosiRicerca.h"

namespace gascal {

std::optional<RapportoPorta> DiagnosiRicerca::PiuVicina() const
{
    std::optional<RapportoPorta> migliore;
    for (const RapportoPorta &r : m_porte) {
        if (!migliore || r.esito > migliore->esito)
            migliore = r;
    }
    return migliore;
}

QString DiagnosiRicerca::Testo() const
{
    const std::optional<RapportoPorta> r = PiuVicina();
    return r ? r->Testo() : QString();
}

} // namespace gascal
