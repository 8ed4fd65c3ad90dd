#pragma once

#include <QtGlobal>

namespace gascal {

class Contesto;

// The frame of every multi-transaction ECU sequence: the communication
// process goes to mode 2 for the writes and back to the mode it had before,
// also when the sequence stops early (at the latest when the frame ends).
class CorniceModo
{
public:
    explicit CorniceModo(Contesto &ctx);
    ~CorniceModo();
    CorniceModo(const CorniceModo &) = delete;
    CorniceModo &operator=(const CorniceModo &) = delete;

    // True when the switch to mode 2 succeeded.
    bool Ok() const { return m_ok; }
    // Puts the mode back now; true when that worked.
    bool Ripristina();

private:
    Contesto &m_ctx;
    qint32 m_modo;
    bool m_ok;
    bool m_ripristinato = false;
};

} // namespace gascal
