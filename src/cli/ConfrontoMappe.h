#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace gascal {
class Contesto;
}

namespace gascal::cli {

// Two map files compared by what they set: the configuration settings by
// their `config` names and as the pages show them, the calibration line's
// points (`line[i]`) and pivots (`pivot[k]`), and, only for bytes that no
// name shows, the raw bytes. Only the four blocks that a load writes are
// compared; the first two data bytes of "[BLK_2]" are not (a load sends 0).
class ConfrontoMappe
{
public:
    explicit ConfrontoMappe(Contesto &ctx) : m_ctx(ctx) {}

    // Reads both files. False with Errore() naming the file and the section
    // when one cannot be read.
    bool Leggi(const QString &fileA, const QString &fileB);
    // One line per difference: "NAME: A | B", or "[SECTION] byte N: AA | BB"
    // (N counts from 1 over the whole block line, header included).
    QStringList Differenze();
    QString Errore() const { return m_errore; }

private:
    using Foto = QMap<QString, QString>; // name -> shown value, in order by Nomi
    struct Blocchi {
        QByteArray dati[4]; // the whole block messages, in the order of Sezioni
    };
    static const int Record[4];
    static const char *const Sezioni[4];

    bool LeggiFile(const QString &file, Blocchi &b);
    void Carica(const Blocchi &b);
    Foto Fotografa(QStringList *nomi = nullptr);

    Contesto &m_ctx;
    Blocchi m_a, m_b;
    QString m_errore;
};

} // namespace gascal::cli
