#pragma once

#include <QString>

// File and folder tests of the program's settings.
namespace gascal {

// True when the file can be opened for reading; a folder is not a file.
bool FileExist(const QString &percorso);
// True when something of that name is there (a dangling link too): a file the
// user named that cannot be read is then reported, not taken for absent.
bool NomeEsiste(const QString &percorso);
// True when the path exists and is a folder.
bool DirExist(const QString &percorso);
// Creates the folder (one level) when it does not exist.
void CreaCartella(const QString &percorso);

} // namespace gascal
