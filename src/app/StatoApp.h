#pragma once

#include "app/Operazione.h"

#include <QString>

#include <optional>

namespace gascal {

// The program-wide connection and operation state shared by all windows.
struct StatoApp {
    enum Stato : int {
        Ricerca = 0,     // searching for the ECU
        Connesso = 2,    // connected, polling
        Operazione = 3,  // carrying out a requested operation
        Offline = 4,
        Chiusura = 5,
        Autotuning = 7,
    };

    int StatoProgramma = Ricerca;
    quint8 ErroreComunicazione = 0; // 1 = the link must be (re)established
    quint8 LavoroOffline = 0;
    quint8 AutotuningRichiesto = 0;
    quint8 UscitaRichiesta = 0;
    gascal::Operazione OperazioneRichiesta = gascal::Operazione::Nessuna; // pending operation
    // The restore journal is to be put back as soon as the ECU answers
    // (it runs before any pending operation and is never dropped).
    quint8 RipristinoRichiesto = 0;
    int PaginaCorrente = 0;
    quint8 CaricaDefAvvio = 0;
    QString TitoloFile;
    // The ECU (its serial) that TitoloFile's map was saved from or written
    // into; none when the file went into no ECU (opened offline).
    std::optional<QString> SerieTitolo;
    QString FileDefinizioni;
    QString FileDefOffline;
    // The update button's marker: "Lampeggia" asks for a firmware update
    // (the button blinks), empty is quiet.
    QString MarcatoreAggiornamento;

    // An ECU answers: the values shown are live and the pages take edits
    // (connected, running an operation or the autotuning, the link not failed).
    bool EcuCollegata() const
    {
        return ErroreComunicazione == 0
            && (StatoProgramma == Connesso || StatoProgramma == Operazione
                || StatoProgramma == Autotuning);
    }

    // A connection was made to the ECU with this serial: a map file's name
    // stays in the title only when the file belongs to that ECU. True when
    // the name was taken away.
    bool EcuTrovata(const QString &serie)
    {
        if (TitoloFile.isEmpty() || SerieTitolo == serie)
            return false;
        TitoloFile.clear();
        SerieTitolo.reset();
        return true;
    }

    // Asks for an operation; a request made while another is pending is dropped.
    void RichiediOperazione(gascal::Operazione operazione)
    {
        if (OperazioneRichiesta == gascal::Operazione::Nessuna)
            OperazioneRichiesta = operazione;
    }
    bool OperazioneInAttesa() const { return OperazioneRichiesta != gascal::Operazione::Nessuna; }
};

} // namespace gascal
