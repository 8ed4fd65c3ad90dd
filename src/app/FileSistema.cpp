#include "app/FileSistema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace gascal {

bool FileExist(const QString &percorso)
{
    if (percorso.isEmpty() || QFileInfo(percorso).isDir())
        return false;
    QFile file(percorso);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    file.close();
    return true;
}

bool DirExist(const QString &percorso)
{
    return !percorso.isEmpty() && QFileInfo(percorso).isDir();
}

void CreaCartella(const QString &percorso)
{
    if (!DirExist(percorso))
        QDir().mkdir(percorso);
}

} // namespace gascal
