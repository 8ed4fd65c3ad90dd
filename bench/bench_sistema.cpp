// The program as a user meets it, against the virtual ECU through the real
// PrjCom: cold start to the first live values, the search over the ports,
// PrjCom's CPU while it searches, map save and load against the time the
// bytes need on the line, and the program's resident memory (with a soak
// mode: bench_sistema --soak MINUTES).
#include "BancoEcu.h"

#include "app/Orologio.h"
#include "app/TestoByte.h"
#include "mapfile/Mappa.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

using namespace gascal;

namespace {

double Mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// CPU seconds of a process, from /proc.
double CpuDi(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray riga = stat.readAll();
    const QList<QByteArray> campi = riga.mid(riga.lastIndexOf(')') + 2).split(' ');
    return campi.size() > 12 ? (campi[11].toDouble() + campi[12].toDouble()) / double(sysconf(_SC_CLK_TCK)) : 0;
}

// Resident memory of a process in KiB.
long RssKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &riga : status.readAll().split('\n'))
        if (riga.startsWith("VmRSS:"))
            return riga.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Time of one search, from a link to be made to every record read.
double TempoRicerca(const QByteArray &prjComIni)
{
    BancoEcu b;
    QFile::remove(b.Percorso(QStringLiteral("PortCom.ini")));
    b.ScriviFile(QStringLiteral("PrjCom.ini"), prjComIni);
    if (!b.AvviaEcu() || !b.Avvia())
        return -1;
    const double t0 = TimerApi_uSec();
    return b.Cerca(20000) ? (TimerApi_uSec() - t0) / 1e6 : -1;
}

// Bytes that went over the line in ecusim's traffic log (requests and answers).
long ByteSullaLinea(const QString &log)
{
    long byte = 0;
    for (const QString &riga : log.split(QLatin1Char('\n'))) {
        const QStringList parole = riga.simplified().split(QLatin1Char(' '));
        if (parole.size() > 2 && (parole[1] == QLatin1String("<-") || parole[1] == QLatin1String("->")))
            byte += parole.size() - 2;
    }
    return byte;
}

// The line's speed for the firmware family of the identity (docs/protocol.md).
int Baud(const QByteArray &identita)
{
    switch (identita.isEmpty() ? 0 : quint8(identita.at(0))) {
    case 1: return 57600;
    case 2: return 115200;
    default: return 19200;
    }
}

void Riga(const QString &misura, const QString &valore, const QString &obiettivo, bool ok)
{
    std::printf("| %s | %s | %s | %s |\n", qPrintable(misura), qPrintable(valore), qPrintable(obiettivo),
                ok ? "met" : "NOT MET");
    std::fflush(stdout);
}

// The program itself (offscreen) on a bench folder; the ECU logs its traffic.
struct Programma {
    BancoEcu banco;
    QProcess gui;
    QString log;

    bool Avvia()
    {
        if (!QFile::copy(BancoEcu::Bin(QStringLiteral("gascal")), banco.Percorso(QStringLiteral("gascal")))
            || !banco.AvviaEcu({QStringLiteral("--verbose")}))
            return false;
        banco.ErroriEcu();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        gui.setProcessEnvironment(env);
        gui.start(banco.Percorso(QStringLiteral("gascal")), {});
        return gui.waitForStarted(5000);
    }
    // Waits until the ECU has answered the n-th read of the live record.
    bool AttendiLetture(const QString &richiesta, int n, int ms)
    {
        return QTest::qWaitFor([&] {
            log += banco.ErroriEcu();
            return log.count(QStringLiteral("<- ") + richiesta) >= n
                && log.lastIndexOf(QStringLiteral("-> ")) > log.lastIndexOf(QStringLiteral("<- ") + richiesta);
        }, ms);
    }
    ~Programma()
    {
        gui.kill();
        gui.waitForFinished(3000);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int soakMinuti = argc > 2 && QByteArray(argv[1]) == "--soak" ? std::atoi(argv[2]) : 0;

    std::printf("| measure | value | target | |\n|---|---|---|---|\n");

    // Cold start: the program started as a process until the ECU answered the
    // first read of the live record after the search (the search reads it once).
    {
        BancoEcu letto;
        if (!letto.Avvia())
            return 1;
        const QString live = StrToHex(HexToStr(letto.ctx->TabMsg.value(1).Richiesta)).toUpper();
        QString spaziata;
        for (int i = 0; i < live.size(); i += 2)
            spaziata += (i ? QStringLiteral(" ") : QString()) + live.mid(i, 2);
        Programma p;
        const double t0 = TimerApi_uSec();
        if (!p.Avvia() || !p.AttendiLetture(spaziata, 2, 30000)) {
            std::fprintf(stderr, "bench_sistema: the program did not connect\n");
            return 1;
        }
        const double avvio = (TimerApi_uSec() - t0) / 1e6;
        Riga(QStringLiteral("cold start to the first live values (process start, PrjCom, search, 7 records, first poll)"),
             QStringLiteral("%1 s").arg(avvio, 0, 'f', 2), QStringLiteral("<= 2 s"), avvio <= 2);
        QTest::qWait(5000);
        const long rss = RssKiB(p.gui.processId());
        Riga(QStringLiteral("resident memory of the program, connected and polling"),
             QStringLiteral("%1 MiB").arg(rss / 1024.0, 0, 'f', 1), QStringLiteral("<= 80 MiB"), rss > 0 && rss <= 80 * 1024);
        if (soakMinuti > 0) {
            QTest::qWait(25000); // warmed up
            const long prima = RssKiB(p.gui.processId());
            const int letturePrima = int(p.log.count(QStringLiteral("<- ") + spaziata));
            QTest::qWait(soakMinuti * 60000);
            p.log += p.banco.ErroriEcu();
            const long dopo = RssKiB(p.gui.processId());
            const int letture = int(p.log.count(QStringLiteral("<- ") + spaziata)) - letturePrima;
            Riga(QStringLiteral("soak: %1 min connected (%2 live reads), resident memory growth").arg(soakMinuti).arg(letture),
                 QStringLiteral("%1 KiB").arg(dopo - prima), QStringLiteral("<= 1024 KiB"),
                 p.gui.state() == QProcess::Running && dopo - prima <= 1024);
        }
    }

    // The search: port 19 against port 0, and absent ports. Ports 1..18 are
    // mapped to missing devices (a serial port of the machine with nothing
    // behind it costs its probe waits); port 0, the empty USB slot, is left
    // to the system's list.
    {
        QByteArray assentiDa1 = "19=ttyECU\n";
        for (int n = 1; n < 19; ++n)
            assentiDa1 += QByteArray::number(n) + "=absent" + QByteArray::number(n) + "\n";
        std::vector<double> zero, diciannove;
        for (int i = 0; i < 3; ++i) {
            zero.push_back(TempoRicerca("0=ttyECU\n"));
            diciannove.push_back(TempoRicerca(assentiDa1));
        }
        const double differenza = Mediana(diciannove) - Mediana(zero);
        Riga(QStringLiteral("search: ECU on port 19 (0..18 absent) against port 0 (%1 s / %2 s)")
                 .arg(Mediana(diciannove), 0, 'f', 2).arg(Mediana(zero), 0, 'f', 2),
             QStringLiteral("+%1 s").arg(differenza, 0, 'f', 3), QStringLiteral("<= 0.3 s"), differenza <= 0.3);

        BancoEcu b;
        QFile::remove(b.Percorso(QStringLiteral("PortCom.ini")));
        b.ScriviFile(QStringLiteral("PrjCom.ini"), "");
        if (!b.Avvia())
            return 1;
        Contesto &ctx = *b.ctx;
        ctx.stato.StatoProgramma = StatoApp::Ricerca;
        ctx.stato.ErroreComunicazione = 1;
        std::vector<double> assenti;
        for (int i = 0; i < 400; ++i) {
            const double t0 = TimerApi_uSec();
            ctx.link.InviaComando(3, QByteArray(1, char(1 + i % 19)), ctx.impLink.AttesaPipe_usec);
            assenti.push_back(TimerApi_uSec() - t0);
        }
        Riga(QStringLiteral("absent port answered (command 3, median of 400)"),
             QStringLiteral("%1 ms").arg(Mediana(assenti) / 1000, 0, 'f', 3), QStringLiteral("< 1 ms"),
             Mediana(assenti) < 1000);

        // PrjCom's CPU during 10 s of searching without an ECU.
        const qint64 pid = ctx.link.IdProcesso();
        const double cpu0 = CpuDi(pid), mia0 = double(std::clock()) / CLOCKS_PER_SEC;
        const double t0 = TimerApi_uSec();
        b.Cerca(10000);
        const double muro = (TimerApi_uSec() - t0) / 1e6;
        const double quota = 100 * (CpuDi(pid) - cpu0) / muro;
        const double mia = 100 * (double(std::clock()) / CLOCKS_PER_SEC - mia0) / muro;
        Riga(QStringLiteral("PrjCom's CPU while searching 20 ports without an ECU (program: %1 %)").arg(mia, 0, 'f', 1),
             QStringLiteral("%1 %").arg(quota, 0, 'f', 2), QStringLiteral("< 2 % of a core"), quota < 2);
    }

    // Map save and load against the wire time of the same bytes.
    {
        BancoEcu b;
        if (!b.AvviaEcu({QStringLiteral("--verbose")}) || !b.Avvia() || !b.Cerca())
            return 1;
        Contesto &ctx = *b.ctx;
        const int baud = Baud(ctx.TabMsg.value(0).Immagine);
        const QString file = b.Percorso(QStringLiteral("m.var"));
        for (bool carica : {false, true}) {
            std::vector<double> tempi;
            long byte = 0;
            for (int i = 0; i < 5; ++i) {
                b.ErroriEcu();
                const double t0 = TimerApi_uSec();
                const bool ok = carica ? Mappa(ctx).CaricaMappa(file) : Mappa(ctx).SalvaMappa(file);
                tempi.push_back((TimerApi_uSec() - t0) / 1000);
                byte = ByteSullaLinea(b.ErroriEcu());
                if (!ok)
                    return 1;
            }
            // 10 bits a byte (start, 8 data, stop), nothing else on the line.
            const double pavimento = byte * 10.0 * 1000 / baud;
            Riga(QStringLiteral("map %1: %2 bytes on the line; floor at %3 baud %4 ms")
                     .arg(carica ? QStringLiteral("load") : QStringLiteral("save")).arg(byte).arg(baud)
                     .arg(pavimento, 0, 'f', 1),
                 QStringLiteral("%1 ms on the pseudo-terminal").arg(Mediana(tempi), 0, 'f', 1),
                 QStringLiteral("<= floor (so a real line stays under 2 x floor)"), Mediana(tempi) <= pavimento);
        }
    }
    return 0;
}
