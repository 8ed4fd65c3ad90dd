#pragma once

#include <QString>
#include <QStringList>

namespace gascal::cli {

class SessioneCli;

// The tool's commands; each returns the process's exit code (0 = success).
int ComandoInfo(SessioneCli &s, int timeoutSec);
int ComandoSalvaMappa(SessioneCli &s, int timeoutSec, const QString &file);
int ComandoCaricaMappa(SessioneCli &s, int timeoutSec, const QString &file);
// `righe` < 1: until the process is stopped; `uscita`: also into that file.
int ComandoLive(SessioneCli &s, int timeoutSec, int righe, const QString &uscita = {});
// Compares two map files setting by setting: 0 same, 1 different, 2 bad file.
int ComandoDiffMappa(SessioneCli &s, const QString &a, const QString &b);
// The same between a map file (A) and the connected ECU (B); 2 also when the
// ECU cannot be read.
int ComandoDiffMappaEcu(SessioneCli &s, int timeoutSec, const QString &a);
int ComandoScan(SessioneCli &s);
// config [list NAME | set NAME ITEM | level-empty | level-full]; the check of
// its arguments gives the usage error, empty when they are right.
QString ControllaArgomentiConfig(const QStringList &argomenti);
int ComandoConfig(SessioneCli &s, int timeoutSec, const QStringList &argomenti);

struct OpzioniAutotune {
    bool cng = false;
    QString iniettore;   // name in the injector table; empty = the only one
    bool accetta = false;
    QString profilo;     // tuning profile; empty = the program folder's or the built-in one
};
int ComandoAutotune(SessioneCli &s, int timeoutSec, const OpzioniAutotune &opzioni);
// `line` and its edits: the action (empty = print), the pivot (0-based) or
// the signed shift, and the number of raise/lower steps.
struct RichiestaLinea {
    QString azione;
    int valore = 0;
    int passi = 1;
};
// Reads the arguments after "line"; the error text, empty when they are valid.
QString LeggiRichiestaLinea(const QStringList &argomenti, int passi, RichiestaLinea &r);
int ComandoLinea(SessioneCli &s, int timeoutSec, const RichiestaLinea &r);

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
