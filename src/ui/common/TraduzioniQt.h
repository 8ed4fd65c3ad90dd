#pragma once

#include <QString>

namespace gascal {

// Qt's own texts (standard buttons, file dialogs) in the program's language,
// from Qt's translation files, for the languages Qt ships one for (Italian,
// Ukrainian, Portuguese, Hungarian; English and Thai keep Qt's English).
class TraduzioniQt
{
public:
    // Replaces the translation installed before with the one of `lingua`
    // (the dictionary's language number); false when Qt has none for it or
    // it could not be read.
    static bool Applica(int lingua);
    // Qt's file name for a language ("qtbase_it"), empty when there is none.
    static QString NomeFile(int lingua);
};

} // namespace gascal
