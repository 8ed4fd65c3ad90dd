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
int ComandoScan(SessioneCli &s);
// config [list NAME | set NAME ITEM | level-empty | level-full]; the check of
// its arguments gives the usage error, empty when they are right.
QString ControllaArgomentiConfig(const QStringList &argomenti);
int ComandoConfig(SessioneCli &s, int timeoutSec, const QStringList &argomenti);

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

} // namespace gascal::cli
