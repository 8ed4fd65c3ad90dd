// Round trip of one transaction through PrjCom and the virtual ECU, next to
// the floor of the same run (a raw pipe round trip plus a raw pseudo-terminal
// round trip of the same sizes), and the CPU share of the program while it
// polls every 50 ms an ECU that answers after 20 ms.
#include "BancoEcu.h"

#include "app/Orologio.h"
#include "app/TestoByte.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

using namespace gascal;

namespace {

struct Statistica {
    double mediana = 0, p99 = 0;
};

Statistica Calcola(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 99 / 100)]};
}

bool LeggiEsatti(int fd, char *buf, size_t n)
{
    size_t letti = 0;
    while (letti < n) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 1000) <= 0)
            return false;
        const ssize_t r = read(fd, buf + letti, n - letti);
        if (r <= 0)
            return false;
        letti += static_cast<size_t>(r);
    }
    return true;
}

// An echo peer in a child process: reads `richiesta` bytes, answers
// `risposta` bytes. Over two pipes, or over a pseudo-terminal (the child on
// the master side, as the virtual ECU).
class Eco
{
public:
    Eco(bool pty, size_t richiesta, size_t risposta)
        : m_richiesta(richiesta), m_risposta(risposta), m_buf(std::max(richiesta, risposta))
    {
        int lettura = -1, scrittura = -1;
        if (pty) {
            const int master = posix_openpt(O_RDWR | O_NOCTTY);
            grantpt(master);
            unlockpt(master);
            m_in = m_out = open(ptsname(master), O_RDWR | O_NOCTTY);
            termios t{};
            tcgetattr(m_in, &t);
            cfmakeraw(&t);
            tcsetattr(m_in, TCSANOW, &t);
            lettura = scrittura = master;
        } else {
            int a[2], b[2];
            if (pipe(a) != 0 || pipe(b) != 0)
                std::exit(1);
            m_out = a[1];
            m_in = b[0];
            lettura = a[0];
            scrittura = b[1];
        }
        m_figlio = fork();
        if (m_figlio == 0) {
            for (;;) {
                if (!LeggiEsatti(lettura, m_buf.data(), m_richiesta)
                    || write(scrittura, m_buf.data(), m_risposta) < 0)
                    _exit(0);
            }
        }
    }
    ~Eco()
    {
        kill(m_figlio, SIGTERM);
        waitpid(m_figlio, nullptr, 0);
    }
    double Giro()
    {
        const double t0 = TimerApi_uSec();
        if (write(m_out, m_buf.data(), m_richiesta) < 0 || !LeggiEsatti(m_in, m_buf.data(), m_risposta))
            std::exit(1);
        return TimerApi_uSec() - t0;
    }

private:
    size_t m_richiesta, m_risposta;
    std::vector<char> m_buf;
    int m_in = -1, m_out = -1;
    pid_t m_figlio = -1;
};

double CpuSecondi()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
        + static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool Prepara(BancoEcu &banco, const QStringList &opzioni)
{
    if (!banco.AvviaEcu(opzioni) || !banco.Avvia())
        return false;
    Contesto &ctx = *banco.ctx;
    const qint64 t = ctx.impLink.AttesaPipe_usec;
    ctx.link.InviaComando(10, ctx.impLink.ListaFirmware.value(0), t);
    return ctx.link.InviaComando(3, QByteArray(1, '\0'), t) == 0 && ctx.link.RispByte4() == 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int giri = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int secondiCpu = argc > 2 ? std::atoi(argv[2]) : 20;

    // One live-data read: request frame 8 + 5 bytes, reply frame 8 + 30 bytes;
    // on the line 5 bytes out and 30 bytes back.
    BancoEcu banco;
    if (!Prepara(banco, {})) {
        std::fprintf(stderr, "bench_link: the virtual ECU did not answer\n");
        return 1;
    }
    Contesto &ctx = *banco.ctx;
    const QByteArray lettura = HexToStr(ctx.TabMsg.value(1).Richiesta);
    if (ctx.link.InviaComando(6, lettura, ctx.impLink.AttesaPipe_usec) != 0)
        return 1;
    const size_t rispostaEcu = static_cast<size_t>(ctx.link.RispDati().size());
    // Measured in turns, so that whatever else the machine does weighs on
    // all three alike.
    std::vector<double> tx, pipeGrezza, ptyGrezzo;
    {
    Eco ecoPipe(false, 8 + static_cast<size_t>(lettura.size()), 8 + rispostaEcu);
    Eco ecoPty(true, static_cast<size_t>(lettura.size()), rispostaEcu);
    for (int i = 0; i < giri; ++i) {
        const double t0 = TimerApi_uSec();
        if (ctx.link.InviaComando(6, lettura, ctx.impLink.AttesaPipe_usec) != 0)
            return 1;
        tx.push_back(TimerApi_uSec() - t0);
        pipeGrezza.push_back(ecoPipe.Giro());
        ptyGrezzo.push_back(ecoPty.Giro());
    }
    }
    const Statistica sTx = Calcola(tx);
    const Statistica sPipe = Calcola(pipeGrezza);
    const Statistica sPty = Calcola(ptyGrezzo);
    const double pavimento = sPipe.mediana + sPty.mediana;
    const double pavimento99 = sPipe.p99 + sPty.p99;

    // CPU while polling every 50 ms an ECU that answers after 20 ms.
    BancoEcu lento;
    if (!Prepara(lento, {QStringLiteral("--delay-ms"), QStringLiteral("20")}))
        return 1;
    Contesto &ctxLento = *lento.ctx;
    int fatte = 0, fallite = 0;
    bool occupato = false;
    QTimer ciclo;
    ciclo.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ciclo, &QTimer::timeout, [&] {
        if (occupato)
            return;
        occupato = true;
        if (ctxLento.link.InviaComando(6, lettura, ctxLento.impLink.AttesaPipe_usec) != 0)
            ++fallite;
        ++fatte;
        occupato = false;
    });
    const double cpu0 = CpuSecondi();
    const double muro0 = TimerApi_uSec();
    ciclo.start(50);
    QTimer::singleShot(secondiCpu * 1000, &app, &QCoreApplication::quit);
    app.exec();
    ciclo.stop();
    const double quotaCpu = 100.0 * (CpuSecondi() - cpu0) / ((TimerApi_uSec() - muro0) / 1e6);

    std::printf("| measure | median | p99 | target |\n|---|---|---|---|\n");
    std::printf("| InviaComando through PrjCom and ecusim (%d round trips) | %.0f us | %.0f us | <= 1.5 x floor |\n",
                giri, sTx.mediana, sTx.p99);
    std::printf("| raw pipe round trip (%lld + %zu bytes) | %.0f us | %.0f us | |\n",
                static_cast<long long>(8 + lettura.size()), 8 + rispostaEcu, sPipe.mediana, sPipe.p99);
    std::printf("| raw pseudo-terminal round trip (%lld + %zu bytes) | %.0f us | %.0f us | |\n",
                static_cast<long long>(lettura.size()), rispostaEcu, sPty.mediana, sPty.p99);
    std::printf("| floor (pipe + pseudo-terminal) | %.0f us | %.0f us | |\n", pavimento, pavimento99);
    std::printf("| ratio to the floor | %.2f | %.2f | <= 1.5 |\n", sTx.mediana / pavimento, sTx.p99 / pavimento99);
    std::printf("| CPU of one core, one transaction every 50 ms, ECU answers after 20 ms (%d s, %d transactions, %d failed) | %.2f %% | | <= 1 %% |\n",
                secondiCpu, fatte, fallite, quotaCpu);
    return 0;
}
