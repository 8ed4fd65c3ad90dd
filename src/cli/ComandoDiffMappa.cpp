#include "Comandi.h"
#include "ConfrontoMappe.h"
#include "Console.h"
#include "SessioneCli.h"

namespace gascal::cli {

int ComandoDiffMappa(SessioneCli &s, const QString &a, const QString &b)
{
    ConfrontoMappe confronto(s.ctx);
    if (!confronto.Leggi(a, b)) {
        Errore(confronto.Errore());
        return 2;
    }
    const QStringList righe = confronto.Differenze();
    for (const QString &r : righe)
        Stampa(r);
    return righe.isEmpty() ? 0 : 1;
}

} // namespace gascal::cli
