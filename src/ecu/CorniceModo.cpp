#include "ecu/CorniceModo.h"

#include "app/Contesto.h"

namespace gascal {

CorniceModo::CorniceModo(Contesto &ctx)
    : m_ctx(ctx), m_modo(ctx.link.RispByte6()), m_ok(ctx.tx.Modo(2) == 0)
{
}

CorniceModo::~CorniceModo()
{
    Ripristina();
}

bool CorniceModo::Ripristina()
{
    if (m_ripristinato)
        return true;
    m_ripristinato = true;
    return m_ctx.tx.Modo(static_cast<quint8>(m_modo)) == 0;
}

} // namespace gascal
