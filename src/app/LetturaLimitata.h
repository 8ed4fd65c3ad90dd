#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

class QFile;

namespace gascal {

// The one gate of every file the program reads that a user may choose or
// replace: only a regular file (not a folder, a device, a FIFO or a socket)
// and only up to a size far above any real file of its kind. The checks
// come before the first byte is read and nothing waits: /dev/zero, a FIFO
// without a writer or a 5 GB file is refused at once, with the reason.
class LetturaLimitata
{
public:
    enum class Tipo {
        Mappa,          // map and definition files: a few kilobytes
        Profilo,        // tuning profiles: about two kilobytes
        Campioni,       // sample files and Memo.ini: exactly 1408 bytes
        Registrazione,  // recorded live data (CSV): about 10 MB an hour
        Impostazioni,   // settings, scale configuration, dictionaries: tens of kilobytes
    };

    // The cap of a kind, in bytes, and its name in messages.
    static qint64 Limite(Tipo tipo);
    static QString Nome(Tipo tipo);

    // Opens the file for reading when it is a regular file within the cap
    // of its kind; else returns why not (without the path: "it is a FIFO,
    // not a regular file") and `file` stays closed.
    static QString Apri(const QString &percorso, Tipo tipo, QFile &file,
                        QIODevice::OpenMode modo = QIODevice::ReadOnly);
    // The whole file through Apri; the reason, or empty with `dati` filled.
    static QString Leggi(const QString &percorso, Tipo tipo, QByteArray &dati);
};

} // namespace gascal
