#pragma once

#include "mapfile/FileMappa.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace gascal {

class Contesto;
class Mappa;

// Writing a map or definition file into the ECU, so that the ECU ends with
// either its old set-up or the file's, never a mixture of the two:
// 1. the file is checked, then the ECU's blocks are read and every block of
//    the file is checked against the ECU's own (length, kind of answer);
//    a file that does not fit is refused before anything is written;
// 2. the blocks read are saved as a map file under Data/backup/;
// 3. the fuel is switched to petrol when needed, the four blocks are written
//    and stored;
// 4. a write that fails part-way is undone with the backup, and the user is
//    told so, or told exactly which blocks the ECU holds from the file when
//    that fails too; the fuel goes back as it was in every case.
class CaricamentoMappa
{
public:
    explicit CaricamentoMappa(Mappa &mappa);

    bool Esegui(const QString &percorso);

    // True when the failure was told to the user here.
    bool Segnalato() const { return m_segnalato; }
    const QString &FileBackup() const { return m_backup; }

    // The backup's name for an ECU: date, time, lot and serial number.
    static QString NomeBackup(const QDateTime &quando, qint32 lotto, qint32 matricola);

    struct Scrittura {
        QString sezione;
        quint8 servizio;
        QByteArray dati;
    };
    // The writes of a file's (or the backup's) four blocks; the fuel request and state are never among them.
    static QList<Scrittura> Scritture(const FileMappa::BlocchiCaricati &blocchi);

private:
    struct Esito {
        qsizetype riuscite = 0; // blocks the ECU took
        bool incerta = false;   // the failed write got no answer: it may have been taken
        bool completa = false;  // every write and the store went through
        bool modo = false;      // the mode was put back
    };
    // Writes the first `quante` blocks, then the store under the ECU waits,
    // inside a mode frame.
    Esito Scrivi(const QList<Scrittura> &scritture, qsizetype quante);
    QString ControllaControEcu(const FileMappa::BlocchiCaricati &file,
                               const FileMappa::Contenuto &ecu) const;
    QString SalvaBackup(const FileMappa::Contenuto &ecu);
    void Segnala(const QString &testo, bool critico);
    void Rifiuta(const QString &motivo);

    Mappa &m_mappa;
    Contesto &m_ctx;
    bool m_segnalato = false;
    QString m_backup;
};

} // namespace gascal
