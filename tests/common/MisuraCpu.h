#pragma once
// CPU of a wait judged against a busy loop measured in the same run (load varies by machine).
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

inline double Processo() { return Ora(CLOCK_PROCESS_CPUTIME_ID); }

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

// The share of a core a busy loop gets now.
inline double QuotaGiroAVuoto(double secondi = 0.3)
{
    const double muro0 = Ora(CLOCK_MONOTONIC);
    const double cpu0 = Ora(CLOCK_THREAD_CPUTIME_ID);
    volatile unsigned long giri = 0;
    while (Ora(CLOCK_MONOTONIC) - muro0 < secondi)
        giri = giri + 1;
    return (Ora(CLOCK_THREAD_CPUTIME_ID) - cpu0) / (Ora(CLOCK_MONOTONIC) - muro0);
}

// `cosa`'s CPU share against a spin's: near 0 for a sleeping wait, near 1 for a spinning one.
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
