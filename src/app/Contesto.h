#pragma once

#include "app/Impostazioni.h"
#include "app/StatoApp.h"
#include "ecu/Blocco.h"
#include "ecu/CodeScrittura.h"
#include "ecu/TabelleScala.h"
#include "i18n/Dizionario.h"
#include "interp/TabelleCampioni.h"
#include "link/Collegamento.h"
#include "link/ImpostazioniLink.h"
#include "link/MsgRecord.h"
#include "link/Transazioni.h"
#include "ui/line/ModelloRetta.h"
#include "mapfile/DiagnosiRicerca.h"
#include "ecu/RipristinoEcu.h"

#include <QSet>

#include <functional>

namespace gascal {

class ServiziUi;

// The program-wide state, in a few named objects: the settings fixed at
// start-up, the connection state, the link and its settings, the message
// table with the ECU's values, the write queues, the scale tables and the
// dictionary. The windows, the command-line tool and the tests each own one.
class Contesto
{
public:
    explicit Contesto(ServiziUi &ui);

    ServiziUi &ui;
    Impostazioni imp;
    StatoApp stato;
    ImpostazioniLink impLink;
    TabellaMessaggi TabMsg{1};
    CodeScrittura code;
    TabelleScala scale;
    Dizionario diz;
    // The calibration line shared by its page, the autotuning and the tool.
    ModelloRetta retta;
    bool InterpolazioneAttiva = false;
    // The road-sample tables, kept in Memo.ini between runs.
    TabelleCampioni campioni;
    // Called when a connection is made and all records were read, so that the
    // windows show the ECU's values.
    std::function<void()> AggiornaFinestre;
    Collegamento link;
    Transazioni tx;
    // Why the search has not found the ECU yet, port by port.
    DiagnosiRicerca diagnosi;
    // What a temporary mode of the ECU (autotuning, interpolation) must put back.
    RipristinoEcu ripristino{*this};

    // What the decoder needs from the rest of the program.
    AmbienteDecodifica Ambiente() const;
    // Decodes an image into record n (no-op for a record that does not exist).
    void Decodifica(int n, const QByteArray &immagine);
    // Value k of record n, 0 when it does not exist.
    qint32 Valore(int n, int k) const;
    bool EsisteValore(int n, int k) const;

    // Tells the user once per variable that a block and the record's layout
    // disagree (the decoder could not fill these variables).
    void SegnalaDisallineamento(const MsgRecord &r, const QByteArray &immagine,
                                const QVector<int> &indici) const;

    // Title of message boxes and windows (dictionary text 0).
    QString Titolo() const { return diz.Testo(0); }

    // Record numbers of the message table.
    enum Record : int {
        RecIdentita = 0,
        RecLive = 1,
        RecComandi = 2,
        RecConfig = 3,
        RecBlk5 = 4,
        RecProduzione = 5,
        RecMappa = 6,
    };

private:
    mutable QSet<QString> m_disallineamentiSegnalati;
};

} // namespace gascal
