#include "app/Avvio.h"
#include "app/Contesto.h"
#include "app/SegnaliUscita.h"
#include "app/RigaComando.h"
#include "ui/common/QtServiziUi.h"
#include "ui/main/BarraComandi.h"
#include "ui/main/MDIFrm.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    // --version and --help need no display.
    QStringList grezzi;
    for (int i = 0; i < argc; ++i)
        grezzi << QString::fromLocal8Bit(argv[i]);
    const gascal::RigaComando prima = gascal::RigaComando::Leggi(grezzi);
    if (prima.azione == gascal::RigaComando::Azione::Versione
        || prima.azione == gascal::RigaComando::Azione::Aiuto) {
        const bool versione = prima.azione == gascal::RigaComando::Azione::Versione;
        std::printf("%s\n", qPrintable(versione ? gascal::RigaComando::TestoVersione()
                                                : gascal::RigaComando::TestoAiuto()));
        return 0;
    }

    QApplication app(argc, argv);
    // Ctrl+C, SIGTERM, SIGHUP: closed like the close box, the ECU put back first.
    gascal::SegnaliUscita::Installa();
    QApplication::setDesktopFileName(QStringLiteral("org.gascal.GasCal"));
    const gascal::RigaComando riga = gascal::RigaComando::Leggi(QCoreApplication::arguments());
    if (riga.azione == gascal::RigaComando::Azione::Errore) {
        std::fprintf(stderr, "gascal: %s\n", qPrintable(riga.errore));
        return 2;
    }
    gascal::QtServiziUi ui;
    gascal::Contesto ctx(ui);
    if (!gascal::Avvio::Esegui(ctx, QCoreApplication::applicationDirPath()))
        return 1;
    gascal::MDIFrm frame(ctx);
    ui.ImpostaGenitore(&frame);
    // The frame ends the program once it has closed the link.
    QObject::connect(&frame, &gascal::MDIFrm::chiuso, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // The map file of the command line waits for the ECU or for offline work.
    QTimer apertura;
    if (!riga.fileMappa.isEmpty()) {
        QObject::connect(&apertura, &QTimer::timeout, &frame, [&] {
            if (!gascal::RigaComando::MomentoDiAprire(ctx.stato))
                return;
            apertura.stop();
            frame.Comandi()->ApriMappa(riga.fileMappa);
        });
        apertura.start(100);
    }
    frame.MDIForm_Load();
    return app.exec();
}
