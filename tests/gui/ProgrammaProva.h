#pragma once

#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "ui/main/MDIFrm.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <vector>
#include <memory>

// A program folder of its own (the communication process, SetCom.ini,
// map.ini, PrjCom.ini pointing at a link path, PortCom.ini "0"), an ecusim on
// that link path when asked for, the start-up run on the folder and the frame.
class ProgrammaProva
{
public:
    ProgrammaProva();
    ~ProgrammaProva();

    QString Cartella() const { return m_cartella.path(); }
    QString Percorso(const QString &nome) const { return m_cartella.filePath(nome); }
    QString Link() const { return Percorso(QStringLiteral("ttyECU")); }

    // Starts ecusim on the link path; empty on success, else why not.
    QString AvviaEcu(const QStringList &opzioni = {});
    void FermaEcu();

    // Start-up on the folder, then the frame with its load.
    bool AvviaProgramma();
    // Waits (event loop running) until the program state is reached. While
    // the frame searches for the ECU its tick does not return, so this
    // returns only after the search ended.
    bool AttendiStato(int stato, int ms = 20000);
    // Runs `azione` once, from inside whichever event loop is running (also
    // the search's own waits), as soon as `condizione` holds.
    void Quando(std::function<bool()> condizione, std::function<void()> azione);

    gascal::ServiziUiScriptati ui;
    gascal::Contesto ctx{ui};
    std::unique_ptr<gascal::MDIFrm> frame;

private:
    QTemporaryDir m_cartella;
    QProcess m_ecu;
    std::vector<std::unique_ptr<QTimer>> m_sorveglianti;
};
