#include "app/RigaComando.h"

#include "app/StatoApp.h"

#include "Versione.h"

#include <QFileInfo>

namespace gascal {

RigaComando RigaComando::Leggi(const QStringList &argomenti)
{
    RigaComando r;
    for (qsizetype i = 1; i < argomenti.size(); ++i) {
        const QString &a = argomenti.at(i);
        if (a == QLatin1String("--version")) {
            r.azione = Azione::Versione;
            return r;
        }
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            r.azione = Azione::Aiuto;
            return r;
        }
    }
    for (qsizetype i = 1; i < argomenti.size(); ++i) {
        const QString &a = argomenti.at(i);
        // Options of the windowing system (-platform, -style ...) are Qt's,
        // taken out of the list once the application exists.
        if (a.startsWith(QLatin1Char('-')))
            continue;
        if (!r.fileMappa.isEmpty()) {
            r.azione = Azione::Errore;
            r.errore = QStringLiteral("only one map file can be opened");
            return r;
        }
        const QFileInfo file(a);
        if (!file.isFile()) {
            r.azione = Azione::Errore;
            r.errore = QStringLiteral("%1: no such map file").arg(a);
            return r;
        }
        r.fileMappa = file.absoluteFilePath();
    }
    return r;
}

bool RigaComando::MomentoDiAprire(const StatoApp &s)
{
    if (s.OperazioneInAttesa() || s.UscitaRichiesta != 0)
        return false;
    if (s.StatoProgramma == StatoApp::Connesso)
        return s.ErroreComunicazione == 0;
    return s.StatoProgramma == StatoApp::Offline && s.CaricaDefAvvio == 0;
}

QString RigaComando::TestoVersione()
{
    return QStringLiteral("gascal " GASCAL_VERSIONE);
}

QString RigaComando::TestoAiuto()
{
    return QStringLiteral(
        "Usage: gascal [--version | --help] [MAP-FILE]\n"
        "GasCal: calibration and set-up of sequential LPG/CNG gas-injection kits.\n"
        "\n"
        "  MAP-FILE   a map file (.var) to open: once the ECU is connected it is\n"
        "             compared with the ECU and written after confirmation; when\n"
        "             working offline it is shown as the ECU's values.\n"
        "  --version  print the version and end.\n"
        "  --help     print this text and end.\n");
}

} // namespace gascal
