#include "app/Avvio.h"
#include "app/Contesto.h"
#include "app/SegnaliUscita.h"
#include "ui/common/QtServiziUi.h"
#include "ui/main/MDIFrm.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Ctrl+C, SIGTERM, SIGHUP: closed like the close box, the ECU put back first.
    gascal::SegnaliUscita::Installa();
    gascal::QtServiziUi ui;
    gascal::Contesto ctx(ui);
    if (!gascal::Avvio::Esegui(ctx, QCoreApplication::applicationDirPath()))
        return 1;
    gascal::MDIFrm frame(ctx);
    ui.ImpostaGenitore(&frame);
    // The frame ends the program once it has closed the link.
    QObject::connect(&frame, &gascal::MDIFrm::chiuso, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    frame.MDIForm_Load();
    return app.exec();
}
