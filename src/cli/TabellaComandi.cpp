#include "TabellaComandi.h"

#include "Console.h"
#include "SessioneCli.h"
#include "Versione.h"
#include "app/CartellaUtente.h"
#include "interp/Interpolazione.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

namespace gascal::cli {

namespace {

const char *const Descrizione =
    "GasCal command-line companion: works on the ECU through PrjCom, with the\n"
    "settings of a GasCal program folder (SetCom.ini, PrjCom.ini, PortCom.ini).\n"
    "\n"
    "Commands:\n"
    "  info            Find the ECU and print its firmware identity, its model\n"
    "                  and its production data.\n"
    "  save-map FILE   Read every block of the ECU and write them to the map\n"
    "                  file FILE (an old FILE is replaced only on success).\n"
    "  load-map FILE   Write the map file FILE into the ECU and store it. A file\n"
    "                  that lacks a block or holds a malformed one is refused\n"
    "                  before anything is sent.\n"
    "  live            Print the live data as CSV, one row every 100 ms, in\n"
    "                  engineering units (--count N rows, else until stopped).\n"
    "                  --out FILE: the same rows also into FILE, each flushed.\n"
    "  diff-map A B    Compare the map files A and B by setting: one line per\n"
    "                  difference, NAME: A | B (exit 0 same, 1 different, 2 bad file).\n"
    "  diff-map A --ecu  The same between the map file A and the connected ECU\n"
    "                  (exit 2 also when the ECU cannot be read).\n"
    "  scan            Try every port with every firmware probe and say what\n"
    "                  answered where.\n"
    "  autotune        Run the autotuning on the running engine: --fuel lpg|cng,\n"
    "                  --injector NAME (else the ECU's own type),\n"
    "                  --accept (else Enter accepts), --profile FILE. Ctrl+C\n"
    "                  stops and restores the ECU.\n"
    "  line            Print the ECU's calibration line: the nine pivots, the 56\n"
    "                  corrections (steps of 64 us) and the petrol-time scale.\n"
    "  line raise|lower PIVOT [--steps N]   Raise or lower pivot 1..9.\n"
    "  line left|right PIVOT                Move pivot 2..8 by one point.\n"
    "  line all +N|-N                       Shift the whole line by N steps.\n"
    "  line reset                           Flat line with the default pivots.\n"
    "                  Each edit is sent to the ECU once and the line read back.\n"
    "  config          Print every setting of the two configuration pages,\n"
    "                  NAME = ITEM, as the pages show them.\n"
    "  config list NAME      The items of a setting's list, one a line.\n"
    "  config set NAME ITEM  Choose ITEM in that list, as on the page; prints\n"
    "                        the setting as the ECU then holds it.\n"
    "  config level-empty | level-full   Calibrate the level marks from the\n"
    "                  live level reading, tank empty or full.\n"
    "  samples         Road-sample tables: with --in FILE.cmp alone, print the\n"
    "                  table text, the petrol and gas curves and the deflection\n"
    "                  (no ECU needed); with --seconds N, sample the live ECU in\n"
    "                  interpolation mode for N seconds, adding to the tables of\n"
    "                  --in FILE or of Memo.ini, then write them (to --out FILE\n"
    "                  or back) and print them.\n"
    "\n"
    "Message boxes of the program are printed on standard error and answered\n"
    "with their default (OK, No, Cancel). The exit status is 0 on success only.";

// Every option of the tool, in the order of the help.
QList<QCommandLineOption> Opzioni()
{
    auto s = [](const char *testo) { return QString::fromLatin1(testo); };
    return {
        {s("version"), s("Print the version and end.")},
        {s("dir"),
         s("Program folder with PrjCom and the settings files (default: the folder of gascal-cli, "
           "with the settings in the user's data folder when that folder cannot be written)."),
         s("DIR")},
        {s("timeout"), s("Give up the search for the ECU after SEC seconds (default 10)."), s("SEC"), s("10")},
        {s("count"), s("live: print N rows and stop."), s("N")},
        {s("steps"), s("line raise/lower: N steps (default 1)."), s("N")},
        {s("fuel"), s("autotune: lpg or cng."), s("FUEL")},
        {s("injector"), s("autotune: injector type, by its name."), s("NAME")},
        {s("accept"), s("autotune: accept at the end.")},
        {s("profile"), s("autotune: tuning profile."), s("FILE")},
        {s("in"), s("samples: the sample file to read."), s("FILE")},
        {s("out"), s("live: also write the rows into FILE; samples: the sample file to write."), s("FILE")},
        {s("seconds"), s("samples: sample the live ECU for N seconds."), s("N")},
        {s("stability"), s("samples: stability time, 1000 to 5000 ms in steps of 250 (default 2000)."),
         s("MS"), s("2000")},
        {s("bezier"), s("samples: Bezier curves instead of B-splines.")},
        {s("percent"), s("samples: share of the difference proposed as correction, 0..100 (default 60)."),
         s("P"), s("60")},
        {s("no-petrol"), s("samples: take samples on gas only.")},
        {s("ecu"), s("diff-map: compare the map file with the connected ECU.")},
    };
}

QString Uso(const QString &errore)
{
    return errore + QStringLiteral(" (see gascal-cli --help)");
}

// A whole number of at least `minimo` from an option's text.
bool Intero(const QString &testo, int minimo, int &valore)
{
    bool ok = false;
    const int v = testo.toInt(&ok);
    if (!ok || v < minimo)
        return false;
    valore = v;
    return true;
}

// --- the options of each command ------------------------------------------

QString NessunaOpzione(const QCommandLineParser &, Richiesta &)
{
    return {};
}

QString OpzioniLive(const QCommandLineParser &p, Richiesta &r)
{
    if (p.isSet(QStringLiteral("count")) && !Intero(p.value(QStringLiteral("count")), 1, r.righe))
        return QStringLiteral("--count needs a whole number, at least 1");
    r.uscita = p.value(QStringLiteral("out"));
    return {};
}

QString OpzioniLinea(const QCommandLineParser &p, Richiesta &r)
{
    r.linea.passi = 1;
    if (p.isSet(QStringLiteral("steps"))
        && (!Intero(p.value(QStringLiteral("steps")), 1, r.linea.passi) || r.linea.passi > 255))
        return QStringLiteral("--steps needs a whole number 1..255");
    return {};
}

QString OpzioniDiff(const QCommandLineParser &p, Richiesta &r)
{
    r.ecu = p.isSet(QStringLiteral("ecu"));
    return {};
}

QString OpzioniAutotuneDa(const QCommandLineParser &p, Richiesta &r)
{
    const QString f = p.value(QStringLiteral("fuel")).toLower();
    if (f != QLatin1String("lpg") && f != QLatin1String("cng"))
        return QStringLiteral("autotune needs --fuel lpg or --fuel cng");
    r.autotune.cng = f == QLatin1String("cng");
    r.autotune.iniettore = p.value(QStringLiteral("injector"));
    r.autotune.accetta = p.isSet(QStringLiteral("accept"));
    r.autotune.profilo = p.value(QStringLiteral("profile"));
    return {};
}

QString OpzioniCampioniDa(const QCommandLineParser &p, Richiesta &r)
{
    OpzioniCampioni &c = r.campioni;
    c.in = p.value(QStringLiteral("in"));
    c.out = p.value(QStringLiteral("out"));
    c.bezier = p.isSet(QStringLiteral("bezier"));
    c.senzaBenzina = p.isSet(QStringLiteral("no-petrol"));
    if (!Intero(p.value(QStringLiteral("percent")), 0, c.percentuale) || c.percentuale > 100)
        return QStringLiteral("--percent needs a whole number from 0 to 100");
    bool ok = false;
    c.stabilitaMs = p.value(QStringLiteral("stability")).toInt(&ok);
    if (!ok || !Interpolazione::TempiStabilita().contains(c.stabilitaMs))
        return QStringLiteral("--stability needs 1000 to 5000 ms in steps of 250");
    if (p.isSet(QStringLiteral("seconds"))) {
        if (!Intero(p.value(QStringLiteral("seconds")), 1, c.secondi))
            return QStringLiteral("--seconds needs a whole number, at least 1");
    } else if (c.in.isEmpty()) {
        return QStringLiteral("samples needs --in FILE or --seconds N");
    } else if (p.isSet(QStringLiteral("out"))) {
        return QStringLiteral("--out is for sampling with --seconds");
    }
    return {};
}

// --- the arguments of each command ----------------------------------------

QString NessunArgomento(Richiesta &r)
{
    return r.argomenti.isEmpty() ? QString() : QStringLiteral("%1 takes no arguments").arg(r.comando);
}

QString UnFile(Richiesta &r)
{
    return r.argomenti.size() == 1 ? QString() : QStringLiteral("%1 needs one FILE").arg(r.comando);
}

// line [raise|lower PIVOT | left|right PIVOT | all +N|-N | reset]
QString ArgomentiLinea(Richiesta &r)
{
    return LeggiRichiestaLinea(r.argomenti, r.linea.passi, r.linea);
}

// config [list NAME | set NAME ITEM | level-empty | level-full]
QString ArgomentiConfig(Richiesta &r)
{
    return ControllaArgomentiConfig(r.argomenti);
}

// diff-map A B | A --ecu
QString ArgomentiDiff(Richiesta &r)
{
    if (r.argomenti.size() == (r.ecu ? 1 : 2))
        return {};
    return r.ecu ? QStringLiteral("diff-map --ecu needs one map FILE")
                 : QStringLiteral("diff-map needs two map FILEs, or one and --ecu");
}

// --- what each needs --------------------------------------------------------

Bisogno SempreEcu(const Richiesta &)
{
    return Bisogno::Ecu;
}

Bisogno BisognoConfig(const Richiesta &r)
{
    // The items of a list come from the scale configuration alone.
    return r.argomenti.value(0) == QLatin1String("list") ? Bisogno::Cartella : Bisogno::Ecu;
}

Bisogno BisognoDiff(const Richiesta &r)
{
    // Two files are decoded with the program folder's message table.
    return r.ecu ? Bisogno::Ecu : Bisogno::Cartella;
}

Bisogno BisognoCampioni(const Richiesta &r)
{
    return r.campioni.secondi > 0 ? Bisogno::Ecu : Bisogno::Nulla;
}

} // namespace

const QStringList TabellaComandi::OpzioniGlobali{
    QStringLiteral("dir"), QStringLiteral("timeout"), QStringLiteral("help"), QStringLiteral("h"),
    QStringLiteral("?"), QStringLiteral("help-all"), QStringLiteral("version")};

TabellaComandi::TabellaComandi()
{
    using L = QStringList;
    m_voci = {
        {QStringLiteral("info"), {}, NessunaOpzione, NessunArgomento, SempreEcu,
         [](SessioneCli *s, const Richiesta &r) { return ComandoInfo(*s, r.timeoutSec); }},
        {QStringLiteral("save-map"), {}, NessunaOpzione, UnFile, SempreEcu,
         [](SessioneCli *s, const Richiesta &r) {
             return ComandoSalvaMappa(*s, r.timeoutSec, r.argomenti.at(0));
         }},
        {QStringLiteral("load-map"), {}, NessunaOpzione, UnFile, SempreEcu,
         [](SessioneCli *s, const Richiesta &r) {
             return ComandoCaricaMappa(*s, r.timeoutSec, r.argomenti.at(0));
         }},
        {QStringLiteral("live"), L{QStringLiteral("count"), QStringLiteral("out")}, OpzioniLive,
         NessunArgomento, SempreEcu,
         [](SessioneCli *s, const Richiesta &r) { return ComandoLive(*s, r.timeoutSec, r.righe, r.uscita); }},
        {QStringLiteral("diff-map"), L{QStringLiteral("ecu")}, OpzioniDiff, ArgomentiDiff, BisognoDiff,
         [](SessioneCli *s, const Richiesta &r) {
             return r.ecu ? ComandoDiffMappaEcu(*s, r.timeoutSec, r.argomenti.at(0))
                          : ComandoDiffMappa(*s, r.argomenti.at(0), r.argomenti.at(1));
         }},
        {QStringLiteral("scan"), {}, NessunaOpzione, NessunArgomento, SempreEcu,
         [](SessioneCli *s, const Richiesta &) { return ComandoScan(*s); }},
        {QStringLiteral("autotune"),
         L{QStringLiteral("fuel"), QStringLiteral("injector"), QStringLiteral("accept"), QStringLiteral("profile")},
         OpzioniAutotuneDa, NessunArgomento, SempreEcu,
         [](SessioneCli *s, const Richiesta &r) { return ComandoAutotune(*s, r.timeoutSec, r.autotune); }},
        {QStringLiteral("line"), L{QStringLiteral("steps")}, OpzioniLinea, ArgomentiLinea, SempreEcu,
         [](SessioneCli *s, const Richiesta &r) { return ComandoLinea(*s, r.timeoutSec, r.linea); }},
        {QStringLiteral("config"), {}, NessunaOpzione, ArgomentiConfig, BisognoConfig,
         [](SessioneCli *s, const Richiesta &r) { return ComandoConfig(*s, r.timeoutSec, r.argomenti); }},
        {QStringLiteral("samples"),
         L{QStringLiteral("in"), QStringLiteral("out"), QStringLiteral("seconds"), QStringLiteral("stability"),
           QStringLiteral("bezier"), QStringLiteral("percent"), QStringLiteral("no-petrol")},
         OpzioniCampioniDa, NessunArgomento, BisognoCampioni,
         [](SessioneCli *s, const Richiesta &r) {
             const OpzioniCampioni &c = r.campioni;
             return s ? ComandoCampioniLive(*s, r.timeoutSec, c)
                      : ComandoCampioniFile(c.in, c.bezier, c.percentuale);
         }},
    };
}

const TabellaComandi::Voce *TabellaComandi::Trova(const QString &nome) const
{
    for (const Voce &v : m_voci)
        if (v.nome == nome)
            return &v;
    return nullptr;
}

TabellaComandi::Lettura TabellaComandi::Leggi(const QStringList &rigaComando) const
{
    Lettura l;
    auto errore = [&l](const QString &testo) {
        l.codice = 2;
        l.testo = Uso(testo);
        l.voce = nullptr;
        return l;
    };

    QCommandLineParser p;
    p.setApplicationDescription(QString::fromLatin1(Descrizione));
    p.addHelpOption();
    p.addOptions(Opzioni());
    p.addPositionalArgument(QStringLiteral("command"),
                            QStringLiteral("info, save-map FILE, load-map FILE, live, scan, line, config ..., "
                                           "autotune, samples or diff-map A B|--ecu."));

    // "line all -3": a negative number is an argument, not an option.
    static const QRegularExpression negativo(QStringLiteral("^-\\d+$"));
    QStringList daLeggere = rigaComando;
    QStringList negativi;
    for (qsizetype i = daLeggere.size() - 1; i > 0; --i) {
        const QString &prima = daLeggere.at(i - 1);
        const bool valoreDiOpzione = prima.startsWith(QLatin1String("--")) && !prima.contains(QLatin1Char('='))
            && prima != QLatin1String("--help");
        if (negativo.match(daLeggere.at(i)).hasMatch() && !valoreDiOpzione)
            negativi.prepend(daLeggere.takeAt(i));
    }
    if (!negativi.isEmpty())
        daLeggere << QStringLiteral("--") << negativi;
    if (!p.parse(daLeggere))
        return errore(p.errorText());
    if (p.isSet(QStringLiteral("help"))) {
        l.codice = 0;
        l.testo = p.helpText();
        return l;
    }
    if (p.isSet(QStringLiteral("version"))) {
        l.codice = 0;
        l.testo = QStringLiteral("gascal-cli " GASCAL_VERSIONE);
        return l;
    }

    Richiesta &r = l.richiesta;
    const QStringList posizionali = p.positionalArguments();
    if (posizionali.isEmpty())
        return errore(QStringLiteral("no command given"));
    r.comando = posizionali.first();
    r.argomenti = posizionali.mid(1);
    r.opzioni = p.optionNames();
    const Voce *voce = Trova(r.comando);
    if (!voce)
        return errore(QStringLiteral("unknown command '%1'").arg(r.comando));
    for (const QString &opzione : std::as_const(r.opzioni))
        if (!OpzioniGlobali.contains(opzione) && !voce->opzioni.contains(opzione))
            return errore(QStringLiteral("option --%1 does not apply to %2").arg(opzione, r.comando));

    // Only a search for the ECU uses the time limit; every command takes it.
    if (!Intero(p.value(QStringLiteral("timeout")), 1, r.timeoutSec))
        return errore(QStringLiteral("--timeout needs a whole number of seconds, at least 1"));
    r.conCartella = p.isSet(QStringLiteral("dir"));
    r.cartella = p.value(QStringLiteral("dir"));
    if (const QString e = voce->valori(p, r); !e.isEmpty())
        return errore(e);
    if (const QString e = voce->argomenti(r); !e.isEmpty())
        return errore(e);
    l.voce = voce;
    l.bisogno = voce->bisogno(r);
    return l;
}

int TabellaComandi::Esegui(const Lettura &l) const
{
    if (!l.voce) {
        if (l.codice == 0)
            Stampa(l.testo);
        else
            Errore(l.testo);
        return l.codice;
    }
    const Richiesta &r = l.richiesta;
    if (l.bisogno == Bisogno::Nulla)
        return l.voce->esegui(nullptr, r);

    // --dir names the one folder of everything; otherwise the settings follow
    // the program folder's rule, as in the program.
    const QString cartella = r.conCartella ? r.cartella : QCoreApplication::applicationDirPath();
    QString impostazioni = cartella;
    if (!r.conCartella) {
        QString errore;
        impostazioni = CartellaUtente::Scegli(cartella, &errore);
        if (!errore.isEmpty())
            Errore(errore);
    }
    SessioneCli sessione;
    if (!sessione.Avvia(cartella, impostazioni, l.bisogno == Bisogno::Ecu))
        return 1;
    return l.voce->esegui(&sessione, r);
}

} // namespace gascal::cli
