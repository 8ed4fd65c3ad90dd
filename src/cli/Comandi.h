#pragma once

#include <QString>
#include <QStringList>

namespace gascal::cli {

class SessioneCli;

// The tool's commands; each returns the process's exit code (0 = success).
int ComandoInfo(SessioneCli &s, int timeoutSec);
int ComandoSalvaMappa(SessioneCli &s, int timeoutSec, const QString &file);
int ComandoCaricaMappa(SessioneCli &s, int timeoutSec, const QString &file);
// `righe` < 1: until the process is stopped.
int ComandoLive(SessioneCli &s, int timeoutSec, int righe);
int ComandoScan(SessioneCli &s);
// config [list NAME | set NAME ITEM | level-empty | level-full]; the check of
// its arguments gives the usage error, empty when they are right.
QString ControllaArgomentiConfig(const QStringList &argomenti);
int ComandoConfig(SessioneCli &s, int timeoutSec, const QStringList &argomenti);

} // namespace gascal::cli
