#include "app/Avvio.h"

#include "app/CartellaUtente.h"
#include "app/Contesto.h"
#include "app/FileSistema.h"
#include "app/Formati.h"
#include "app/ServiziUi.h"
#include "app/TestoByte.h"
#include "link/CaricaSetCom.h"

#include <QFileInfo>

namespace gascal {

QByteArray Avvio::FirmwareDaSonda(const QByteArray &sonda)
{
    if (sonda.size() < 6)
        return {};
    return sonda.left(sonda.size() - 1).mid(5);
}

QString Avvio::MessaggioSenzaFirmware()
{
    return QStringLiteral("SetCom.ini lists no firmware for this program ([FIRMWARE] entry missing "
                          "or too short): the ECU's firmware cannot be checked.\r\n"
                          "Reinstall the program's settings files.");
}

bool Avvio::Esegui(Contesto &ctx, const QString &cartellaProgramma)
{
    QString errore;
    const QString cartella = CartellaUtente::Scegli(cartellaProgramma, &errore);
    // A seeding that failed part-way leaves what could be copied: the files
    // missing then show as the program goes on.
    if (!errore.isEmpty())
        ctx.ui.Messaggio(errore, QStringLiteral("GasCal"), ServiziUi::Pulsanti::Ok,
                         ServiziUi::Icona::Esclamazione);
    return Esegui(ctx, cartellaProgramma, cartella);
}

bool Avvio::EseguiSenzaLink(Contesto &ctx, const QString &cartellaProgramma,
                            const QString &cartellaImpostazioni)
{
    Impostazioni &imp = ctx.imp;
    imp.CodiceMappaSalvato = -1;
    imp.FineGasSalvato = -1;
    imp.SepDecimale = LeggiLocale(0, LocaleSeparatoreDecimale);
    imp.PathApp = cartellaProgramma;
    imp.CartellaImpostazioni = cartellaImpostazioni;
    imp.LimitePorte = 19;
    imp.CostruisciPercorsi();

    if (!ctx.diz.CaricaDizionario(false, {imp.FileTestDiz, imp.FileDizIni, imp.FileFontIni}))
        return false;

    ctx.scale.RigheConfigScale = TabelleScala::CaricaConfigScale(imp.FileConfigScale, ctx.ui);
    CreaCartella(imp.CartellaDati);
    imp.MsgProva = HexToStr(QStringLiteral("420104210066"));
    ctx.scale.CaricaScale(ctx.scale.RigheConfigScale, ctx.ui);
    CaricaSetCom(imp.FileSetCom, ctx.TabMsg, ctx.impLink, ctx.ui);

    const QByteArray primaSonda = ctx.impLink.ListaFirmware.value(0);
    if (primaSonda.size() < 6) {
        ctx.ui.Messaggio(MessaggioSenzaFirmware(), ctx.Titolo(), ServiziUi::Pulsanti::Ok,
                         ServiziUi::Icona::Critica);
        return false;
    }
    imp.FirmwareAtteso = FirmwareDaSonda(primaSonda);
    return true;
}

bool Avvio::Esegui(Contesto &ctx, const QString &cartellaProgramma,
                   const QString &cartellaImpostazioni)
{
    if (!EseguiSenzaLink(ctx, cartellaProgramma, cartellaImpostazioni))
        return false;
    const Impostazioni &imp = ctx.imp;
    // PrjCom reads its PrjCom.ini from the settings folder it is given.
    ctx.link.OpenPipe(imp.PathApp + QStringLiteral("/PrjCom"),
                      {QFileInfo(imp.FileSetCom).absolutePath()});
    ctx.link.InviaComando(2, QByteArray(1, '\0'), ctx.impLink.AttesaPipe_usec);
    ctx.stato.CaricaDefAvvio = 1;
    return true;
}

} // namespace gascal
