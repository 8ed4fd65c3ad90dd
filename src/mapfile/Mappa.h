#pragma once

#include "mapfile/FileMappa.h"

#include <QString>

namespace gascal {

class Contesto;

// Map files: the whole writable image of one ECU as hex text.
class Mappa
{
public:
    explicit Mappa(Contesto &ctx) : m_ctx(ctx) {}

    // Reads every block from the ECU and writes the file; the file is written
    // (atomically) only after every read succeeded.
    bool SalvaMappa(const QString &percorso);
    // Writes the four blocks of the file into the ECU and stores them. A file
    // that lacks a block or holds a malformed one is refused, with a message,
    // before any transaction.
    bool CaricaMappa(const QString &percorso);

    // Why a map file cannot be loaded, or an empty text when it can.
    static QString ControllaFile(const QString &percorso);

private:
    static QString LeggiFile(const QString &percorso, FileMappa::BlocchiCaricati &blocchi);

    Contesto &m_ctx;
};

} // namespace gascal
