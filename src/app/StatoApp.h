#pragma once

#include <QString>

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
    qint32 OperazioneRichiesta = 0; // pending operation, 0 = none
    // The restore journal is to be put back as soon as the ECU answers
    // (it runs before any pending operation and is never dropped).
    quint8 RipristinoRichiesto = 0;
    int PaginaCorrente = 0;
    quint8 CaricaDefAvvio = 0;
    QString TitoloFile;
    QString FileDefinizioni;
    QString FileDefOffline;
    // The update button's marker: "Lampeggia" asks for a firmware update
    // (the button blinks), empty is quiet.
    QString MarcatoreAggiornamento;

    // Asks for an operation; a request made while another is pending is dropped.
    void RichiediOperazione(qint32 codice)
    {
        if (OperazioneRichiesta == 0)
            OperazioneRichiesta = codice;
    }
};

} // namespace gascal
