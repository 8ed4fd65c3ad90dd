// The chart window's cost: the GUI's CPU while connected to the virtual ECU
// (demo drive) with the chart open, beside the same run with it closed, and
// the memory the chart takes for ten minutes of live reads. Prints a table;
// a second argument saves a picture of the chart window there.
#include "ProgrammaProva.h"

#include "app/Orologio.h"
#include "datalog/FormatoLive.h"
#include "ui/main/ControlliDatalog.h"
#include "ui/main/FrmGrafico.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QChartView>
#include <QTest>
#include <cstdio>
#include <sys/resource.h>

using namespace gascal;

namespace {

double CpuSecondi()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
        + static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double RssMb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &riga : f.readAll().split('\n'))
        if (riga.startsWith("VmRSS:"))
            return riga.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// CPU share of one core over `secondi` of the running program.
double Quota(int secondi)
{
    const double cpu0 = CpuSecondi();
    const double muro0 = TimerApi_uSec();
    QTest::qWait(secondi * 1000);
    return 100.0 * (CpuSecondi() - cpu0) / ((TimerApi_uSec() - muro0) / 1e6);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int secondi = argc > 1 ? std::max(5, atoi(argv[1])) : 20;

    ProgrammaProva p;
    if (!p.AvviaEcu({QStringLiteral("--demo")}).isEmpty() || !p.AvviaProgramma()
        || !p.AttendiStato(StatoApp::Connesso)) {
        std::fprintf(stderr, "bench_grafico: the program did not connect to the virtual ECU\n");
        return 1;
    }
    p.frame->show();
    QTest::qWait(1000);
    const double senza = Quota(secondi);
    ControlliDatalog &d = *p.frame->Datalog();
    d.CmdGrafico->trigger();
    FrmGrafico &g = *d.Grafico();
    g.ImpostaFinestra(600);
    QTest::qWait(1000);
    const double con = Quota(secondi);
    if (argc > 2) {
        g.ImpostaFinestra(60);
        QTest::qWait(700);
        QMouseEvent m(QEvent::MouseMove, QPointF(g.Vista->width() * 0.7, g.Vista->height() / 2.0),
                      g.Vista->viewport()->mapToGlobal(QPointF(g.Vista->width() * 0.7, g.Vista->height() / 2.0)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(g.Vista->viewport(), &m);
        g.grab().save(QString::fromLocal8Bit(argv[2]));
    }

    // Ten minutes of reads at the polling rate (20 a second), fed through the
    // frame's history in the batches of the 100 ms refresh.
    // The polling is stopped so that only the simulated reads go in.
    p.frame->Timer1->stop();
    const double rss0 = RssMb();
    RegistroLive &reg = d.Registro();
    Contesto &ctx = p.ctx;
    const int letture = 10 * 60 * 20;
    const double base = TimerApi_uSec();
    for (int i = 0; i < letture; ++i) {
        ctx.TabMsg[Contesto::RecLive].Valori[FormatoLive::PosGiri] = 800 + (i % 4000);
        reg.Lettura(ctx, base + i * 50000.0);
        if (i % 2 == 1)
            g.Aggiorna();
        if (i % 200 == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    const double crescita = RssMb() - rss0;

    std::printf("| measure | value | target |\n|---|---|---|\n");
    std::printf("| GUI CPU, connected, chart closed (%d s) | %.2f %% of a core | reference |\n", secondi, senza);
    std::printf("| GUI CPU, connected, chart open, 10 min window (%d s) | %.2f %% of a core | < 3 %% |\n", secondi, con);
    std::printf("| chart's added CPU | %.2f %% of a core | |\n", con - senza);
    std::printf("| memory growth for 10 min of reads (%d reads, %lld held by the chart) | %.1f MB | < 20 MB |\n",
                letture, static_cast<long long>(g.Modello().Punti()), crescita);
    std::printf("| chart redraws | %d | |\n", g.Ridisegni());
    return 0;
}
