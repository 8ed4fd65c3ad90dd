#include "app/Avvio.h"
#include "app/Contesto.h"
#include "ui/common/QtServiziUi.h"
#include "ui/main/MDIFrm.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    gascal::QtServiziUi ui;
    gascal::Contesto ctx(ui);
    if (!gascal::Avvio::Esegui(ctx, QCoreApplication::applicationDirPath()))
        return 1;
    gascal::MDIFrm frame(ctx);
    ui.ImpostaGenitore(&frame);
    frame.MDIForm_Load();
    return app.exec();
}
