#pragma once

// What every fuzz target needs: the input as bytes, a folder for the readers
// that take a path, and the input cut into pieces by its own bytes.
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace fuzz {

inline QByteArray Byte(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// One folder for the whole run: a reader that takes a path reads it from here.
inline QString Percorso(const char *nome)
{
    static QTemporaryDir cartella;
    return cartella.filePath(QString::fromLatin1(nome));
}

inline QString ScriviFile(const char *nome, const QByteArray &contenuto)
{
    const QString percorso = Percorso(nome);
    QFile file(percorso);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(contenuto);
    return percorso;
}

// The input's first byte, and the rest.
inline quint8 Primo(const QByteArray &b) { return b.isEmpty() ? 0 : static_cast<quint8>(b.at(0)); }
inline QByteArray Resto(const QByteArray &b) { return b.mid(1); }

} // namespace fuzz
