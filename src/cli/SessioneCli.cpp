#include "SessioneCli.h"

#include "Console.h"
#include "app/Avvio.h"
#include "mapfile/Identita.h"

#include "app/Orologio.h"
#include "app/SegnaliUscita.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace gascal::cli {

SessioneCli::SessioneCli() : ctx(ui)
{
    ui.osservatore = [](const ServiziUiScriptati::Mostrato &box) {
        QString testo = box.testo;
        testo.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        // The tool's own prefix is the only one: the box's title (the program's
        // name or the link's "Comunication error") would be a second.
        Errore(testo);
    };
}

SessioneCli::~SessioneCli()
{
    if (m_avviata && ctx.link.ProcessoAttivo()) {
        ctx.stato.StatoProgramma = StatoApp::Chiusura;
        ctx.link.ChiudiPipe(ctx.impLink.AttesaPipe_usec);
    }
}

bool SessioneCli::Avvia(const QString &cartella, const QString &cartellaImpostazioni, bool conPrjCom)
{
    if (!QFileInfo(cartella).isDir()) {
        Errore(QStringLiteral("%1 is not a folder").arg(cartella));
        return false;
    }
    const QString impostazioni = cartellaImpostazioni.isEmpty() ? cartella : cartellaImpostazioni;
    if (!(conPrjCom ? Avvio::Esegui(ctx, cartella, impostazioni)
                    : Avvio::EseguiSenzaLink(ctx, cartella, impostazioni))) {
        Errore(QStringLiteral("the program cannot start on %1").arg(cartella));
        return false;
    }
    m_avviata = true;
    if (!conPrjCom)
        return true;
    if (!ctx.link.ProcessoAttivo()) {
        Errore(QStringLiteral("PrjCom could not be started from %1").arg(cartella));
        return false;
    }
    return true;
}

bool SessioneCli::CercaEcu(int secondi, bool accettaPiuNuovo)
{
    StatoApp &stato = ctx.stato;
    stato.UscitaRichiesta = 0;
    const bool scaduto = ciclo.Ricerca(secondi * 1000);

    const QByteArray identita = ctx.TabMsg.value(Contesto::RecIdentita).Immagine;
    const bool nonProgrammata = stato.StatoProgramma != StatoApp::Connesso
        && !identita.isEmpty() && identita == ctx.imp.MsgProva;
    if (stato.StatoProgramma != StatoApp::Connesso && !nonProgrammata) {
        Errore(scaduto ? QStringLiteral("no ECU found within %1 s (try 'gascal-cli scan')").arg(secondi)
                       : QStringLiteral("the search for the ECU was stopped"));
        // The port that came closest, and what kept it from an ECU.
        if (!ctx.diagnosi.Vuota())
            Errore(ctx.diagnosi.Testo());
        return false;
    }

    ciclo.VerificaFirmware();
    if (nonProgrammata) {
        Errore(QStringLiteral("the ECU has no firmware (boot loader only): program it first"));
        return false;
    }
    if (stato.UscitaRichiesta == 1 && !accettaPiuNuovo) {
        Errore(QStringLiteral("the ECU's firmware %1 is newer than this program's %2")
                   .arg(Identita::FormatVersione(identita),
                        Identita::FormatVersione(ctx.imp.FirmwareAtteso)));
        return false;
    }
    const QString ripristino = ciclo.RipristinoPendente();
    if (!ripristino.isEmpty())
        Errore(ripristino);
    return true;
}

bool SessioneCli::RipristinaAlRitorno(int secondi)
{
    const QString percorso = ctx.ripristino.PercorsoEcu();
    ctx.ripristino.Rilascia();
    const double fine = TimerApi_uSec() + secondi * 1e6;
    while (QFileInfo::exists(percorso) && TimerApi_uSec() < fine && SegnaliUscita::Ricevuto() == 0) {
        Errore(QStringLiteral("waiting for the ECU to answer again to put it back..."));
        ctx.stato.ErroreComunicazione = 1;
        ctx.stato.StatoProgramma = StatoApp::Ricerca;
        const int resto = static_cast<int>((fine - TimerApi_uSec()) / 1e6);
        if (!CercaEcu(std::max(resto, 1), true)) {
            AttesaUSec(500000);   // a search that gave up at once is not tried in a loop
            continue;
        }
        if (ctx.ripristino.PercorsoEcu() != percorso) {
            Errore(QStringLiteral("another ECU answered: %1 is kept for its own ECU")
                       .arg(QDir::toNativeSeparators(percorso)));
            return false;
        }
    }
    return !QFileInfo::exists(percorso);
}

} // namespace gascal::cli
