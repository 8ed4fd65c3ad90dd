#include "Comandi.h"
#include "Console.h"
#include "SessioneCli.h"
#include "mapfile/Identita.h"

namespace gascal::cli {

int ComandoInfo(SessioneCli &s, int timeoutSec)
{
    // Reading the identity of a newer ECU is harmless: it is shown, and the
    // firmware message tells the rest.
    if (!s.CercaEcu(timeoutSec, true))
        return 1;
    const Contesto &ctx = s.ctx;
    const QByteArray identita = ctx.TabMsg.at(Contesto::RecIdentita).Immagine;
    Stampa(QStringLiteral("port: %1").arg(ctx.link.Risposta().RispByte5));
    Stampa(QStringLiteral("firmware: %1").arg(Identita::FormatVersione(identita)));
    Stampa(QStringLiteral("model: %1").arg(QString::fromLatin1(Identita::TerzaParola(identita))));
    Stampa(QStringLiteral("expected firmware: %1")
               .arg(Identita::FormatVersione(ctx.imp.FirmwareAtteso)));

    static const char *const nomi[] = {"serial number", "lot", "production week",
                                       "production year", "client", "software line",
                                       "cylinders"};
    for (int k = 0; k < 7; ++k)
        Stampa(QStringLiteral("%1: %2")
                   .arg(QLatin1String(nomi[k]))
                   .arg(ctx.Valore(Contesto::RecProduzione, k)));
    return 0;
}

} // namespace gascal::cli
