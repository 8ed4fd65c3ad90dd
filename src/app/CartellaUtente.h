#pragma once

#include <QString>
#include <QStringList>

namespace gascal {

// Where the settings files, Data/ and Memo.ini live.
//
// A program folder the user may write (the build tree, a copy on a stick)
// holds them itself, as it always did. An installed program folder cannot be
// written: the user's data folder then holds them ($XDG_DATA_HOME/GasCal,
// by default ~/.local/share/GasCal), seeded with the settings files the
// program folder ships. The seeding keeps a list of what it copied
// (FileElenco, name and checksum): a file the user changed, or put there
// himself, is never replaced; one left as it was copied follows a newer
// shipped version.
class CartellaUtente
{
public:
    // The settings files a program folder may ship, and the list of the seeding.
    static const QStringList FileImpostazioni;
    static const QString FileElenco;

    // The user's data folder for GasCal (not created).
    static QString CartellaDatiUtente();

    // True when files can be created in the folder by this user.
    static bool Scrivibile(const QString &cartella);

    // The settings folder for a program folder: the program folder when it
    // can be written, else `cartellaUtente` (empty: CartellaDatiUtente()),
    // created and seeded. On a failure of the seeding the folder is still
    // returned and `errore` says what went wrong.
    static QString Scegli(const QString &cartellaProgramma, QString *errore,
                          const QString &cartellaUtente = {});

    // Copies the settings files of `origine` into `destinazione` (created
    // when missing, Data/ with it) by the rule above. Returns the names of
    // the files written; `errore` gets the first failure.
    static QStringList Semina(const QString &origine, const QString &destinazione,
                              QString *errore);
};

} // namespace gascal
