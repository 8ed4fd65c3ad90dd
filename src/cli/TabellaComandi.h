#pragma once

#include "Comandi.h"

#include <QString>
#include <QStringList>

#include <vector>

class QCommandLineParser;

namespace gascal::cli {

class SessioneCli;

// What a command needs before its handler runs.
enum class Bisogno {
    Nulla,     // nothing: it works on its arguments alone
    Cartella,  // the settings of the program folder, without PrjCom
    Ecu,       // PrjCom started: the handler searches the ECU
};

// A command line once read: the command, its arguments and the values of the
// options it takes.
struct Richiesta {
    QString comando;
    QStringList argomenti;       // after the command's name
    QStringList opzioni;         // the options given, by name, in order
    bool conCartella = false;    // --dir given
    QString cartella;            // its folder
    int timeoutSec = 10;
    int righe = 0;               // live --count; 0: until stopped
    QString uscita;              // live --out
    bool ecu = false;            // diff-map --ecu
    RichiestaLinea linea;
    OpzioniCampioni campioni;
    OpzioniAutotune autotune;
};

// The tool's commands: for each its name, the options it takes besides the
// global ones (--dir, --timeout, --help, --version), how its arguments are
// checked, what it needs around it and its handler. Reading and running a
// command line both go through here.
class TabellaComandi
{
public:
    struct Voce {
        QString nome;
        QStringList opzioni;
        // The values of its own options into the request; the usage error,
        // empty when they are right.
        QString (*valori)(const QCommandLineParser &p, Richiesta &r);
        // Its arguments (r.argomenti), once the options are read.
        QString (*argomenti)(Richiesta &r);
        Bisogno (*bisogno)(const Richiesta &r);
        // `s` is null when it needs nothing, started without PrjCom when it
        // needs only the program folder.
        int (*esegui)(SessioneCli *s, const Richiesta &r);
    };

    // How a command line was read: either an exit status with a text (the
    // help or the version for status 0, the usage error for status 2), or
    // the command to run.
    struct Lettura {
        int codice = -1;             // -1: run voce
        QString testo;
        const Voce *voce = nullptr;
        Bisogno bisogno = Bisogno::Nulla;
        Richiesta richiesta;
    };

    // Valid for every command.
    static const QStringList OpzioniGlobali;

    TabellaComandi();

    const std::vector<Voce> &Voci() const { return m_voci; }
    const Voce *Trova(const QString &nome) const;

    // Reads a command line (its first item is the program); prints nothing.
    Lettura Leggi(const QStringList &rigaComando) const;
    // Prints the help, the version or the usage error, or starts what the
    // command needs and runs it; the process's exit status.
    int Esegui(const Lettura &l) const;

private:
    std::vector<Voce> m_voci;
};

} // namespace gascal::cli
