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

// samples: the road-sample tables.
struct OpzioniCampioni {
    QString in;          // sample file to start from (else Memo.ini)
    QString out;         // where the tables go (else where they came from)
    int secondi = 0;     // sampling time on the live ECU; 0 = the file only
    int stabilitaMs = 2000;
    bool bezier = false;
    bool senzaBenzina = false;
    int percentuale = 60;
};
// Prints a sample file's table text, both curves and the deflection.
int ComandoCampioniFile(const QString &file, bool bezier, int percentuale);
// Samples the live ECU in interpolation mode for o.secondi and writes the tables.
int ComandoCampioniLive(SessioneCli &s, int timeoutSec, const OpzioniCampioni &o);

} // namespace gascal::cli
