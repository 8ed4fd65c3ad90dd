#include "Console.h"

#include <cstdio>

namespace gascal::cli {

void Stampa(const QString &testo)
{
    std::fputs(testo.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void Errore(const QString &testo)
{
    std::fputs(("gascal-cli: " + testo).toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace gascal::cli
