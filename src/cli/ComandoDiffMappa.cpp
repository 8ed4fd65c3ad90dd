#include "Comandi.h"
#include "Console.h"
#include "SessioneCli.h"
#include "mapfile/ConfrontoMappe.h"
#include "mapfile/Mappa.h"

namespace gascal::cli {

namespace {

int StampaDifferenze(ConfrontoMappe &confronto)
{
    const QStringList righe = confronto.Differenze();
    for (const QString &r : righe)
        Stampa(r);
    return righe.isEmpty() ? 0 : 1;
}

} // namespace

int ComandoDiffMappa(SessioneCli &s, const QString &a, const QString &b)
{
    ConfrontoMappe confronto(s.ctx);
    if (!confronto.Leggi(a, b)) {
        Errore(confronto.Errore());
        return 2;
    }
    return StampaDifferenze(confronto);
}

int ComandoDiffMappaEcu(SessioneCli &s, int timeoutSec, const QString &a)
{
    // A file that cannot be read is refused before the ECU is searched.
    ConfrontoMappe confronto(s.ctx);
    if (!confronto.LeggiFile(a, ConfrontoMappe::A)) {
        Errore(confronto.Errore());
        return 2;
    }
    if (!s.CercaEcu(timeoutSec, false))
        return 2;
    FileMappa::Contenuto ecu;
    bool letto = false;
    {
        const OperazioneInCorso inCorso(s.ctx);
        letto = Mappa(s.ctx).LeggiEcu(ecu);
    }
    if (!letto) {
        Errore(QStringLiteral("the map could not be read from the ECU"));
        return 2;
    }
    confronto.LeggiEcu(ecu, ConfrontoMappe::B);
    return StampaDifferenze(confronto);
}

} // namespace gascal::cli
