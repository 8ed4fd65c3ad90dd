#pragma once

#include "mapfile/ConfrontoMappe.h"
#include "mapfile/FileMappa.h"

#include <QString>
#include <functional>

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
    // Writes the four blocks of the file into the ECU and stores them, after
    // a backup of the ECU's own blocks (see CaricamentoMappa).
    bool CaricaMappa(const QString &percorso);

    // True when the last failure was reported here, with its true cause (a
    // file that cannot be written, a refused file, a write undone): the
    // caller then shows nothing more. False after a link failure, which the
    // link reports in its own way.
    bool ErroreSegnalato() const { return m_segnalato; }
    // Asked by CaricaMappa once the file fits the ECU and before anything is
    // written, with what the load would change (A: the ECU, B: the file);
    // false cancels the load, which then writes nothing and tells nothing more.
    using Conferma = std::function<bool(const QString &percorso,
                                        const QList<ConfrontoMappe::Differenza> &differenze)>;
    void ConfermaPrimaDiScrivere(Conferma conferma) { m_conferma = std::move(conferma); }

    // The backup written by the last CaricaMappa; empty when there was none.
    const QString &FileBackup() const { return m_backup; }

    // Why a map file cannot be loaded, or an empty text when it can.
    static QString ControllaFile(const QString &percorso);
    // A map file named without an extension gets ".var", the extension the
    // file dialogs show.
    static QString ConEstensione(const QString &percorso);

    // Reads every saved block from the ECU, inside a mode frame.
    bool LeggiEcu(FileMappa::Contenuto &c);
    // The bytes of the file for blocks read by LeggiEcu.
    QByteArray TestoFile(FileMappa::Contenuto c) const;
    // Writes a file aside and renames it over the old one only once every
    // byte reached the disk. Empty on success, else the system's reason;
    // an old file of that name stays whole on failure.
    static QString ScriviFile(const QString &percorso, const QByteArray &testo);

private:
    static QString LeggiFile(const QString &percorso, FileMappa::BlocchiCaricati &blocchi);
    friend class CaricamentoMappa;

    Contesto &m_ctx;
    bool m_segnalato = false;
    QString m_backup;
    Conferma m_conferma;
};

} // namespace gascal
