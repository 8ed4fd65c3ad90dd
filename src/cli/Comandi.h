#pragma once

#include <QString>

namespace gascal::cli {

class SessioneCli;

// The tool's commands; each returns the process's exit code (0 = success).
int ComandoInfo(SessioneCli &s, int timeoutSec);
int ComandoSalvaMappa(SessioneCli &s, int timeoutSec, const QString &file);
int ComandoCaricaMappa(SessioneCli &s, int timeoutSec, const QString &file);
// `righe` < 1: until the process is stopped.
int ComandoLive(SessioneCli &s, int timeoutSec, int righe);
int ComandoScan(SessioneCli &s);

struct OpzioniAutotune {
    bool cng = false;
    QString iniettore;   // name in the injector table; empty = the only one
    bool accetta = false;
    QString profilo;     // tuning profile; empty = the program folder's or the built-in one
};
int ComandoAutotune(SessioneCli &s, int timeoutSec, const OpzioniAutotune &opzioni);

} // namespace gascal::cli
