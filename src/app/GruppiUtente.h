#pragma once

#include <QString>

namespace gascal {

// Whether this program's user belongs to a group (of a serial device), and
// what to do about it. A group given to a user counts only from the user's
// next login: until then the running session lacks it.
class GruppiUtente
{
public:
    enum class Appartenenza {
        NellaSessione,   // this process has the group
        DopoNuovoAccesso, // the user is a member, but this session started before
        No,              // the user is not a member
    };

    // The user that runs this program.
    static QString NomeUtente();
    // Asks the system about this process and its user.
    static Appartenenza Di(const QString &gruppo);
    // What to do, for the user `utente` and a device of group `gruppo`;
    // empty when the group is already this session's (it is not the cause).
    static QString Rimedio(const QString &gruppo, const QString &utente, Appartenenza a);
};

} // namespace gascal
