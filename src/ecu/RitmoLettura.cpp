#include "ecu/RitmoLettura.h"

#include "app/Contesto.h"
#include "ecu/SequenzeBlocchi.h"

namespace gascal {

bool RitmoLettura::Leggi()
{
    SequenzeBlocchi letture(m_ctx);
    const bool letto = letture.LeggiRecord(Contesto::RecLive, true) == 0;
    m_lentoFallito = false;
    if (m_contatore == OgniLento) {
        m_contatore = 0;
        m_lentoFallito = letture.LeggiRecord(Contesto::RecComandi, true) != 0;
    }
    ++m_contatore;
    return letto;
}

} // namespace gascal
