#include "Comandi.h"
#include "Console.h"
#include "config/ImpostazioniPerNome.h"
#include "SessioneCli.h"
#include "ecu/SequenzeBlocchi.h"

namespace gascal::cli {

namespace {

const QStringList LineeLivello{QStringLiteral("level-r"), QStringLiteral("level-1-4"),
                               QStringLiteral("level-2-4"), QStringLiteral("level-3-4")};

void StampaRighe(const QStringList &righe)
{
    for (const QString &r : righe)
        Stampa(r);
}

QString Elenco(const QStringList &voci)
{
    QStringList righe;
    for (const QString &v : voci)
        righe << QStringLiteral("  ") + v.trimmed();
    return righe.join(QLatin1Char('\n'));
}

// Runs the write that the handler asked for, then reads the configuration
// record back and shows it as the pages would.
bool Scrivi(SessioneCli &s, ImpostazioniPerNome &imp)
{
    Contesto &ctx = s.ctx;
    if (ctx.stato.OperazioneRichiesta != Operazione::ScriviConfig) {
        Errore(QStringLiteral("nothing was written"));
        return false;
    }
    const bool ok = s.ciclo.Operazioni().EseguiRichiesta().riuscita
        && SequenzeBlocchi(ctx).LeggiRecord(Contesto::RecConfig, true) == 0;
    if (!ok) {
        Errore(QStringLiteral("writing the configuration into the ECU failed"));
        return false;
    }
    imp.Aggiorna();
    return true;
}

int Imposta(SessioneCli &s, int timeoutSec, const QString &nome, const QString &testo)
{
    ImpostazioniPerNome imp(s.ctx);
    imp.RiempiListe();
    const ListaScelte *lista = imp.Lista(nome);
    if (!lista) {
        Errore(QStringLiteral("unknown setting '%1'; the settings are:\n%2").arg(nome, Elenco(imp.NomiListe())));
        return 2;
    }
    const int voce = ImpostazioniPerNome::CercaVoce(*lista, testo);
    if (voce < 0) {
        Errore(QStringLiteral("'%1' is not an item of %2; the items are:\n%3")
                   .arg(testo.trimmed(), nome, Elenco(lista->Voci)));
        return 2;
    }
    if (!s.CercaEcu(timeoutSec, false))
        return 1;
    imp.Aggiorna();
    const QString ostacolo = imp.Ostacolo(nome, voce);
    if (!ostacolo.isEmpty()) {
        Errore(QStringLiteral("%1 cannot be set: %2").arg(nome, ostacolo));
        return 1;
    }
    if (!imp.Scegli(nome, voce)) {
        Errore(QStringLiteral("%1 was not changed").arg(nome));
        return 1;
    }
    if (!Scrivi(s, imp))
        return 1;
    Stampa(imp.Riga(nome));
    return 0;
}

int Livello(SessioneCli &s, int timeoutSec, bool vuoto)
{
    if (!s.CercaEcu(timeoutSec, false))
        return 1;
    ImpostazioniPerNome imp(s.ctx);
    imp.RiempiListe();
    imp.Aggiorna();
    // The reading of now, as the page has it from the polling.
    if (SequenzeBlocchi(s.ctx).LeggiRecord(Contesto::RecLive, true) != 0) {
        Errore(QStringLiteral("reading the live level failed"));
        return 1;
    }
    LogicaLivello &livello = imp.Iniettori.Livello;
    const bool chiesta = vuoto ? livello.CalibraVuoto() : livello.CalibraPieno();
    if (!chiesta || !Scrivi(s, imp))
        return 1;
    Stampa(QStringLiteral("level-reading = %1").arg(s.ctx.Valore(Contesto::RecLive, LogicaLivello::PosNonFiltrato)));
    for (const QString &n : LineeLivello)
        Stampa(imp.Riga(n));
    return 0;
}

} // namespace

QString ControllaArgomentiConfig(const QStringList &a)
{
    const QString sotto = a.value(0);
    if (a.isEmpty())
        return {};
    if (sotto == QLatin1String("list"))
        return a.size() == 2 ? QString() : QStringLiteral("config list needs one NAME");
    if (sotto == QLatin1String("set"))
        return a.size() == 3 ? QString() : QStringLiteral("config set needs NAME and ITEM");
    if (sotto == QLatin1String("level-empty") || sotto == QLatin1String("level-full"))
        return a.size() == 1 ? QString() : QStringLiteral("config %1 takes no arguments").arg(sotto);
    return QStringLiteral("unknown config command '%1' (list, set, level-empty, level-full)").arg(sotto);
}

int ComandoConfig(SessioneCli &s, int timeoutSec, const QStringList &a)
{
    const QString sotto = a.value(0);
    if (sotto == QLatin1String("set"))
        return Imposta(s, timeoutSec, a.at(1), a.at(2));
    if (sotto == QLatin1String("level-empty") || sotto == QLatin1String("level-full"))
        return Livello(s, timeoutSec, sotto == QLatin1String("level-empty"));
    ImpostazioniPerNome imp(s.ctx);
    imp.RiempiListe();
    if (sotto == QLatin1String("list")) {
        const ListaScelte *lista = imp.Lista(a.at(1));
        if (!lista) {
            Errore(QStringLiteral("'%1' is not a list; the lists are:\n%2").arg(a.at(1), Elenco(imp.NomiListe())));
            return 2;
        }
        for (const QString &v : lista->Voci)
            Stampa(v.trimmed());
        return 0;
    }
    // Reading only: a newer firmware is shown by its message, not refused.
    if (!s.CercaEcu(timeoutSec, true))
        return 1;
    imp.Aggiorna();
    StampaRighe(imp.Righe());
    return 0;
}

} // namespace gascal::cli
