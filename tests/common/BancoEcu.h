#pragma once

#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// A test bench: a program folder of its own with PrjCom and the settings
// files, the virtual ECU on a pseudo-terminal linked into that folder as
// port 0 (PrjCom.ini) and fixed as the port to search (PortCom.ini), and the
// program's state for that folder.
// How a run of gascal-cli ended: its exit status (-1 when it crashed or did
// not end within a minute) and what it printed.
struct EsitoCli {
    int codice = -1;
    QString out;
    QString err;
};

class BancoEcu
{
public:
    BancoEcu();
    ~BancoEcu();

    // Starts (or restarts) the virtual ECU with these options, with its
    // control channel when asked; false when it did not become ready. The
    // event loop keeps running meanwhile.
    bool AvviaEcu(const QStringList &opzioni = {}, bool controllo = false);
    void FermaEcu();
    // What ecusim said on its error output when it did not start.
    QString ErroriEcu() { return QString::fromLocal8Bit(m_ecu.readAllStandardError()); }
    // Runs the start-up sequence on the folder; false when it ended the program.
    bool Avvia();
    // The ECU search as the frame runs it, stopped after `ms` at the latest
    // (as the wait window's stop button does); true when it connected.
    bool Cerca(int ms = 10000);
    // Sends a line on the ECU's control channel and returns its answer line.
    QString Controllo(const QString &comando);
    // Value k of record n as the virtual ECU holds it now (read through the
    // control channel, laid out by the folder's SetCom.ini).
    qint32 ValoreEcu(int n, int k);
    // A pseudo-terminal that never answers, linked into the folder as `nome`;
    // returns the link's path (empty when none could be opened).
    QString TerminaleMuto(const QString &nome);
    // From now on PrjCom runs as an unprivileged user (when the tests run as
    // root), so that file permissions mean something to it.
    bool PrjComDaUtenteComune();

    QString Cartella() const { return m_cartella.path(); }
    QString Percorso(const QString &nome) const { return m_cartella.filePath(nome); }
    QString Link() const { return Percorso(QStringLiteral("ttyECU")); }
    void ScriviFile(const QString &nome, const QByteArray &contenuto);
    QByteArray LeggiFile(const QString &nome) const;
    // A map file's text with byte `pos` (1-based, over the whole block line)
    // of a section's block set to `valore`, and the block's checksum made good.
    static QByteArray CambiaByte(const QByteArray &mappa, const char *sezione, int pos, quint8 valore);
    // Waits for a started gascal-cli (or any process) and collects its ending.
    static EsitoCli Attendi(QProcess &p);
    // Runs gascal-cli on this folder with these arguments.
    EsitoCli Cli(const QStringList &argomenti) const;
    // The same, with the process prepared before it starts (its environment,
    // a limit set in the child).
    EsitoCli Cli(const QStringList &argomenti, const std::function<void(QProcess &)> &prepara) const;

    // A file of the build's program folder (ecusim, PrjCom, gascal-cli...).
    static QString Bin(const QString &nome);

    gascal::ServiziUiScriptati ui;
    std::unique_ptr<gascal::Contesto> ctx;

private:
    QTemporaryDir m_cartella;
    gascal::TabellaMessaggi m_tabella;
    QProcess m_ecu;
    int m_terminaleMuto = -1;
};
