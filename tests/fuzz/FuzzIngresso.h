#pragma once

// What every fuzz target needs: the input as bytes, its first byte to choose
// by, and a folder of the run's own for the readers that take a path.
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

inline quint8 Primo(const QByteArray &b) { return b.isEmpty() ? 0 : static_cast<quint8>(b.at(0)); }

// Writes the file `nome` of the run's folder and returns its path.
inline QString ScriviFile(const char *nome, const QByteArray &contenuto)
{
    static QTemporaryDir cartella;
    QFile file(cartella.filePath(QString::fromLatin1(nome)));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(contenuto);
    return file.fileName();
}

} // namespace fuzz
