#include "TabellaComandi.h"
#include "app/SegnaliUscita.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // A signal stops what runs through its normal end, so that the ECU is put back.
    gascal::SegnaliUscita::Installa();
    QCoreApplication::setApplicationName(QStringLiteral("gascal-cli"));

    const gascal::cli::TabellaComandi comandi;
    return comandi.Esegui(comandi.Leggi(QCoreApplication::arguments()));
}
