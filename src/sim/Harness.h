#pragma once

// The wiring between the adapter and the ECU, for fault tests: the cable
// plugged or pulled, the ECU's supply on or off. While the cable is out or
// the supply is off the line is silent both ways: requests are lost and no
// answer leaves, not even one already on its way. Every time the line goes
// silent the connection count moves on, so that an answer made before
// cannot slip out after the line comes back.
class Harness
{
public:
    bool plugged() const { return m_plugged; }
    bool powered() const { return m_powered; }
    bool silent() const { return !m_plugged || !m_powered; }
    // Moves on each time the line goes silent.
    int connection() const { return m_connection; }

    void setPlugged(bool plugged) { change(plugged, m_powered); }
    void setPowered(bool powered) { change(m_plugged, powered); }

private:
    void change(bool plugged, bool powered)
    {
        const bool wasSilent = silent();
        m_plugged = plugged;
        m_powered = powered;
        if (silent() && !wasSilent)
            ++m_connection;
    }

    bool m_plugged = true;
    bool m_powered = true;
    int m_connection = 0;
};
