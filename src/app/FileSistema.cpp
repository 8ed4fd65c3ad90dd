#include "app/FileSistema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace gascal {

bool FileExist(const QString &percorso)
{
    if (percorso.isEmpty() || QFileInfo(percorso).isDir())
        return false;
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    const int fd = ::open(QFile::encodeName(percorso).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool NomeEsiste(const QString &percorso)
{
    const QFileInfo info(percorso);
    return !percorso.isEmpty() && (info.exists() || info.isSymLink());
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
