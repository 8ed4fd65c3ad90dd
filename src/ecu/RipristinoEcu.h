#pragma once

#include "ecu/GiornaleRipristino.h"

#include <QString>
#include <QStringList>

namespace gascal {

class Contesto;

// Puts back into the connected ECU what a restore journal holds, inside a
// mode frame: each block is read, written only when it differs from the
// journal, and read again to see that the ECU holds it. The journal is
// removed only when every block matches.
class RipristinoEcu
{
public:
    explicit RipristinoEcu(Contesto &ctx) : m_ctx(ctx) {}

    struct Esito {
        bool completo = false;  // the ECU holds the journal again (the file is gone)
        QStringList rimessi;    // what was put back: "NAME: before | after"
        QStringList mancanti;   // the blocks that could not be put back
    };

    // The journal of an operation about to change the connected ECU: for each
    // entry the record's present image (read by the caller). Written to its
    // file; the reason when it could not be (the operation must not start).
    QString Apri(const QString &operazione, const QList<GiornaleRipristino::Voce> &voci);
    // The entries of the journal now open (to narrow it once part of the
    // operation's result is kept).
    void Restringi(const QList<GiornaleRipristino::Voce> &voci);
    // The operation ended as chosen: its journal goes.
    void Chiudi();
    // The operation is over but its journal could not be put back: the file
    // stays, and the next connection to this ECU puts it back.
    void Rilascia();
    bool Aperto() const { return !m_percorso.isEmpty(); }
    const QString &Percorso() const { return m_percorso; }

    // Puts the open journal back; on success the file is removed.
    Esito Ripristina();
    // The journal left for the ECU now connected by a program that ended
    // without its restore: put back, and a text for the user (empty when
    // there was none). A journal of another ECU stays where it is.
    QString RipristinaPendente();

    // The journal's file for the connected ECU (its lot and serial number).
    QString PercorsoEcu() const;
    // An entry of the journal for record n as the program holds it now.
    GiornaleRipristino::Voce Voce(int record, QList<GiornaleRipristino::Valore> valori = {},
                                  int pausaMs = 0) const;

    // The text that tells what a restore did, in the user's language.
    QString Testo(const Esito &e) const;

private:
    Esito Esegui(const GiornaleRipristino &g, const QString &percorso);
    bool RimettiVoce(const GiornaleRipristino::Voce &v);
    QString TestoDizionario(int k, const QString &inglese) const;

    Contesto &m_ctx;
    GiornaleRipristino m_giornale;
    QString m_percorso;
};

} // namespace gascal
