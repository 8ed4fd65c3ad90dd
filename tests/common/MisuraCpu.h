#pragma once

// CPU time of waits that must sleep, judged against a busy loop measured in
// the same run: on a loaded machine, or under a sanitizer, a spin gets less
// of a core than on an idle one, and a fixed share would either fail a good
// wait or pass a spinning one. A wait is good when it used a small part of
// what a spin would have used over the same wall time.

#include <QDir>
#include <QFile>
#include <QStringList>

#include <ctime>
#include <unistd.h>

namespace MisuraCpu {

inline double Ora(clockid_t orologio)
{
    timespec t{};
    clock_gettime(orologio, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// CPU seconds of this process.
inline double Processo()
{
    return Ora(CLOCK_PROCESS_CPUTIME_ID);
}

// CPU seconds of this process's running children (PrjCom, ecusim...).
inline double Figli()
{
    double secondi = 0;
    const double tick = double(sysconf(_SC_CLK_TCK));
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray riga = stat.readAll();
        // After the command name in parentheses: state, ppid, ... utime (14), stime (15).
        const QList<QByteArray> campi = riga.mid(riga.lastIndexOf(')') + 2).split(' ');
        if (campi.size() > 12 && campi[1].toLongLong() == getpid())
            secondi += (campi[11].toDouble() + campi[12].toDouble()) / tick;
    }
    return secondi;
}

// The share of a core (CPU seconds per wall second) that a busy loop gets
// now, on this machine, with its present load.
inline double QuotaGiroAVuoto(double secondi = 0.3)
{
    const double muro0 = Ora(CLOCK_MONOTONIC);
    const double cpu0 = Ora(CLOCK_THREAD_CPUTIME_ID);
    volatile unsigned long giri = 0;
    while (Ora(CLOCK_MONOTONIC) - muro0 < secondi)
        giri = giri + 1;
    return (Ora(CLOCK_THREAD_CPUTIME_ID) - cpu0) / (Ora(CLOCK_MONOTONIC) - muro0);
}

// Measures `cosa` (a wait) and returns its CPU share against a spin's share
// taken right before: near 0 for a wait that sleeps, near 1 (or more, when
// children spin too) for one that spins.
template <typename Azione>
double RapportoConGiro(Azione cosa, bool conFigli = false)
{
    const double giro = QuotaGiroAVuoto();
    const double muro0 = Ora(CLOCK_MONOTONIC);
    const double cpu0 = Processo() + (conFigli ? Figli() : 0);
    cosa();
    const double cpu = Processo() + (conFigli ? Figli() : 0) - cpu0;
    const double muro = Ora(CLOCK_MONOTONIC) - muro0;
    return (cpu / muro) / qMax(giro, 1e-3);
}

} // namespace MisuraCpu
