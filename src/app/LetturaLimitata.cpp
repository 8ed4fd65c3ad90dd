#include "app/LetturaLimitata.h"
#include "i18n/TraduttoreDizionario.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gascal {

namespace {

QString Errno(int codice)
{
    return QString::fromLocal8Bit(std::strerror(codice));
}

QString TipoDiFile(mode_t modo)
{
    if (S_ISDIR(modo))
        return TraduttoreDizionario::Tr("a folder");
    if (S_ISFIFO(modo))
        return TraduttoreDizionario::Tr("a FIFO");
    if (S_ISCHR(modo))
        return TraduttoreDizionario::Tr("a character device");
    if (S_ISBLK(modo))
        return TraduttoreDizionario::Tr("a block device");
    if (S_ISSOCK(modo))
        return TraduttoreDizionario::Tr("a socket");
    return TraduttoreDizionario::Tr("not a plain file");
}

} // namespace

qint64 LetturaLimitata::Limite(Tipo tipo)
{
    switch (tipo) {
    case Tipo::Mappa: return qint64(1) << 20;            // 1 MiB
    case Tipo::Profilo: return qint64(1) << 20;          // 1 MiB
    case Tipo::Campioni: return qint64(64) << 10;        // 64 KiB
    case Tipo::Registrazione: return qint64(256) << 20;  // 256 MiB: a day of recording
    case Tipo::Impostazioni: return qint64(16) << 20;    // 16 MiB
    }
    return 0;
}

QString LetturaLimitata::Nome(Tipo tipo)
{
    switch (tipo) {
    case Tipo::Mappa: return TraduttoreDizionario::Tr("a map file");
    case Tipo::Profilo: return TraduttoreDizionario::Tr("a tuning profile");
    case Tipo::Campioni: return TraduttoreDizionario::Tr("a sample file");
    case Tipo::Registrazione: return TraduttoreDizionario::Tr("a recording");
    case Tipo::Impostazioni: return TraduttoreDizionario::Tr("a settings file");
    }
    return {};
}

QString LetturaLimitata::Apri(const QString &percorso, Tipo tipo, QFile &file, QIODevice::OpenMode modo)
{
    if (percorso.isEmpty())
        return TraduttoreDizionario::Tr("no file was named");
    // Without O_NONBLOCK opening a FIFO waits for a writer.
    const int fd = ::open(QFile::encodeName(percorso).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Errno(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int codice = errno;
        ::close(fd);
        return Errno(codice);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return TraduttoreDizionario::Tr("it is %1, not a regular file").arg(TipoDiFile(st.st_mode));
    }
    if (st.st_size > Limite(tipo)) {
        ::close(fd);
        return TraduttoreDizionario::Tr("it holds %1 bytes, far more than %2 can (at most %3)")
            .arg(qint64(st.st_size)).arg(Nome(tipo)).arg(Limite(tipo));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, modo | QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        const QString motivo = file.errorString();
        ::close(fd);
        return motivo;
    }
    return {};
}

QString LetturaLimitata::Leggi(const QString &percorso, Tipo tipo, QByteArray &dati)
{
    QFile file;
    const QString motivo = Apri(percorso, tipo, file);
    if (!motivo.isEmpty())
        return motivo;
    // In pieces, so that a file that grew since it was checked stops at the cap.
    QByteArray letti;
    letti.reserve(file.size());
    while (letti.size() <= Limite(tipo)) {
        const QByteArray pezzo = file.read(qint64(64) << 10);
        if (pezzo.isEmpty())
            break;
        letti += pezzo;
    }
    if (letti.size() > Limite(tipo))
        return TraduttoreDizionario::Tr("it grew past %1 bytes while it was read, far more than %2 can hold")
            .arg(Limite(tipo)).arg(Nome(tipo));
    dati = std::move(letti);
    return {};
}

} // namespace gascal
