#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace gascal {

// What an operation that changes the ECU for a while must put back: kept in
// a small file in the data folder, named after the ECU, written before the
// operation's first write and removed only once the ECU was seen to hold it
// again. A program that dies (a crash, a power cut, a killed process) leaves
// the file behind, and the next connection to that ECU puts it back.
//
// Each entry is one record: the block as it was read before the operation
// (the whole answer message), and either the whole block to put back, or
// only some of its values (with a bit mask, 0 = the whole value), so that
// settings the user changes meanwhile on the pages are kept.
class GiornaleRipristino
{
public:
    struct Valore {
        int indice = 0;
        qint32 maschera = 0; // 0: the whole value
        bool operator==(const Valore &) const = default;
    };
    struct Voce {
        int record = 0;
        quint8 servizio = 0;     // the write service of the block
        QByteArray immagine;     // the answer message as read before
        QList<Valore> valori;    // empty: the whole block
        int pausaMs = 0;         // the ECU's time to act on the write
        bool operator==(const Voce &) const = default;
    };

    QString operazione;          // "autotuning", "interpolation"
    qint32 lotto = 0;
    qint32 matricola = 0;
    QDateTime creato;
    QList<Voce> voci;

    // Data/restore_ECU<lot>-<serial>.txt
    static QString NomeFile(qint32 lotto, qint32 matricola);
    static QString Percorso(const QString &cartellaDati, qint32 lotto, qint32 matricola);
    // Every journal in the folder, any ECU.
    static QStringList Tutti(const QString &cartellaDati);

    QByteArray Testo() const;
    // Empty when the text is a whole journal; else why not.
    QString DaTesto(const QByteArray &testo);

    // Written aside and renamed; the reason when it could not be written.
    QString Scrivi(const QString &percorso) const;
    // The journal of a file; nothing (with the reason) when it cannot be read.
    static std::optional<GiornaleRipristino> Leggi(const QString &percorso, QString *errore = nullptr);

    bool operator==(const GiornaleRipristino &) const = default;
};

} // namespace gascal
