#pragma once

#include <QString>
#include <QStringList>

namespace gascal {

struct StatoApp;

// The program's command line:  gascal [--version | --help] [MAP-FILE]
// A map file is opened once the program is connected (then compared with the
// ECU and written on confirmation) or works offline (then shown as the ECU's
// values), as the open command of the live bar does.
struct RigaComando {
    enum class Azione { Avvia, Versione, Aiuto, Errore };
    Azione azione = Azione::Avvia;
    QString fileMappa; // absolute path, empty when none was given
    QString errore;

    // arguments[0] is the program. Read before any window exists, so that
    // --version works without a display.
    static RigaComando Leggi(const QStringList &argomenti);
    // True once the map file of the command line can be opened: connected
    // with no operation pending, or offline after the start-up definitions.
    static bool MomentoDiAprire(const StatoApp &stato);
    static QString TestoVersione();
    static QString TestoAiuto();
};

} // namespace gascal
