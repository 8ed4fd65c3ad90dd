#include "Comandi.h"
#include "Console.h"
#include "SessioneCli.h"
#include "Versione.h"
#include "app/CartellaUtente.h"
#include "interp/Interpolazione.h"

#include <QCommandLineParser>
#include "app/SegnaliUscita.h"

#include <QCoreApplication>
#include <QRegularExpression>

using namespace gascal::cli;

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

int Uso(const QString &errore)
{
    Errore(errore + QStringLiteral(" (see gascal-cli --help)"));
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // A signal stops what runs through its normal end, so that the ECU is put back.
    gascal::SegnaliUscita::Installa();
    QCoreApplication::setApplicationName(QStringLiteral("gascal-cli"));

    QCommandLineParser p;
    p.setApplicationDescription(QString::fromLatin1(Descrizione));
    p.addHelpOption();
    const QCommandLineOption version(QStringLiteral("version"),
        QStringLiteral("Print the version and end."));
    const QCommandLineOption dir(QStringLiteral("dir"),
        QStringLiteral("Program folder with PrjCom and the settings files (default: the "
                       "folder of gascal-cli, with the settings in the user's data folder "
                       "when that folder cannot be written)."),
        QStringLiteral("DIR"));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
        QStringLiteral("Give up the search for the ECU after SEC seconds (default 10)."),
        QStringLiteral("SEC"), QStringLiteral("10"));
    const QCommandLineOption count(QStringLiteral("count"),
        QStringLiteral("live: print N rows and stop."), QStringLiteral("N"));
    const QCommandLineOption fuel(QStringLiteral("fuel"), QStringLiteral("autotune: lpg or cng."),
                                  QStringLiteral("FUEL"));
    const QCommandLineOption injector(QStringLiteral("injector"),
                                      QStringLiteral("autotune: injector type, by its name."), QStringLiteral("NAME"));
    const QCommandLineOption accept(QStringLiteral("accept"), QStringLiteral("autotune: accept at the end."));
    const QCommandLineOption profile(QStringLiteral("profile"), QStringLiteral("autotune: tuning profile."),
                                     QStringLiteral("FILE"));
    const QCommandLineOption steps(QStringLiteral("steps"),
        QStringLiteral("line raise/lower: N steps (default 1)."), QStringLiteral("N"));
    const QCommandLineOption in(QStringLiteral("in"), QStringLiteral("samples: the sample file to read."),
                                QStringLiteral("FILE"));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("live: also write the rows into FILE; samples: the sample file to write."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption seconds(QStringLiteral("seconds"),
        QStringLiteral("samples: sample the live ECU for N seconds."), QStringLiteral("N"));
    const QCommandLineOption stability(QStringLiteral("stability"),
        QStringLiteral("samples: stability time, 1000 to 5000 ms in steps of 250 (default 2000)."),
        QStringLiteral("MS"), QStringLiteral("2000"));
    const QCommandLineOption bezier(QStringLiteral("bezier"),
        QStringLiteral("samples: Bezier curves instead of B-splines."));
    const QCommandLineOption percent(QStringLiteral("percent"),
        QStringLiteral("samples: share of the difference proposed as correction, 0..100 (default 60)."),
        QStringLiteral("P"), QStringLiteral("60"));
    const QCommandLineOption noPetrol(QStringLiteral("no-petrol"),
        QStringLiteral("samples: take samples on gas only."));
    const QCommandLineOption ecu(QStringLiteral("ecu"),
        QStringLiteral("diff-map: compare the map file with the connected ECU."));
    p.addOptions({version, dir, timeout, count, steps, fuel, injector, accept, profile, in, out, seconds, stability, bezier, percent, noPetrol, ecu});
    p.addPositionalArgument(QStringLiteral("command"),
                            QStringLiteral("info, save-map FILE, load-map FILE, live, scan, line, config ..., autotune, samples or diff-map A B|--ecu."));

    // "line all -3": a negative number is an argument, not an option.
    QStringList daLeggere = QCoreApplication::arguments();
    QStringList negativi;
    for (qsizetype i = daLeggere.size() - 1; i > 0; --i) {
        const QString &prima = daLeggere.at(i - 1);
        const bool valoreDiOpzione = prima.startsWith(QLatin1String("--")) && !prima.contains(QLatin1Char('='))
            && prima != QLatin1String("--help");
        if (QRegularExpression(QStringLiteral("^-\\d+$")).match(daLeggere.at(i)).hasMatch()
            && !valoreDiOpzione)
            negativi.prepend(daLeggere.takeAt(i));
    }
    if (!negativi.isEmpty())
        daLeggere << QStringLiteral("--") << negativi;
    if (!p.parse(daLeggere))
        return Uso(p.errorText());
    if (p.isSet(QStringLiteral("help"))) {
        Stampa(p.helpText());
        return 0;
    }
    if (p.isSet(version)) {
        Stampa(QStringLiteral("gascal-cli " GASCAL_VERSIONE));
        return 0;
    }

    const QStringList argomenti = p.positionalArguments();
    if (argomenti.isEmpty())
        return Uso(QStringLiteral("no command given"));
    const QString comando = argomenti.first();
    const bool conFile = comando == QLatin1String("save-map") || comando == QLatin1String("load-map");
    const bool linea = comando == QLatin1String("line");
    const bool config = comando == QLatin1String("config");
    const bool diff = comando == QLatin1String("diff-map");
    const bool noto = conFile || linea || config || comando == QLatin1String("info")
        || comando == QLatin1String("live") || comando == QLatin1String("scan")
        || comando == QLatin1String("autotune") || comando == QLatin1String("samples") || diff;
    if (!noto)
        return Uso(QStringLiteral("unknown command '%1'").arg(comando));
    RichiestaLinea richiestaLinea;
    if (config) {
        if (const QString e = ControllaArgomentiConfig(argomenti.mid(1)); !e.isEmpty())
            return Uso(e);
    } else if (linea) {
        int passi = 1;
        if (p.isSet(steps)) {
            bool ok = false;
            passi = p.value(steps).toInt(&ok);
            if (!ok || passi < 1 || passi > 255)
                return Uso(QStringLiteral("--steps needs a whole number 1..255"));
        }
        const QString errore = LeggiRichiestaLinea(argomenti.mid(1), passi, richiestaLinea);
        if (!errore.isEmpty())
            return Uso(errore);
    } else if (diff) {
        if (argomenti.size() != (p.isSet(ecu) ? 2 : 3))
            return Uso(p.isSet(ecu) ? QStringLiteral("diff-map --ecu needs one map FILE")
                                    : QStringLiteral("diff-map needs two map FILEs, or one and --ecu"));
    } else if (argomenti.size() != (conFile ? 2 : 1))
        return Uso(conFile ? QStringLiteral("%1 needs one FILE").arg(comando)
                           : QStringLiteral("%1 takes no arguments").arg(comando));

    bool ok = false;
    const int secondi = p.value(timeout).toInt(&ok);
    if (!ok || secondi < 1)
        return Uso(QStringLiteral("--timeout needs a whole number of seconds, at least 1"));
    int righe = 0;
    if (p.isSet(count)) {
        righe = p.value(count).toInt(&ok);
        if (!ok || righe < 1)
            return Uso(QStringLiteral("--count needs a whole number, at least 1"));
    }

    OpzioniCampioni campioni;
    if (comando == QLatin1String("samples")) {
        campioni.in = p.value(in);
        campioni.out = p.value(out);
        campioni.bezier = p.isSet(bezier);
        campioni.senzaBenzina = p.isSet(noPetrol);
        campioni.percentuale = p.value(percent).toInt(&ok);
        if (!ok || campioni.percentuale < 0 || campioni.percentuale > 100)
            return Uso(QStringLiteral("--percent needs a whole number from 0 to 100"));
        campioni.stabilitaMs = p.value(stability).toInt(&ok);
        if (!ok || !gascal::Interpolazione::TempiStabilita().contains(campioni.stabilitaMs))
            return Uso(QStringLiteral("--stability needs 1000 to 5000 ms in steps of 250"));
        if (p.isSet(seconds)) {
            campioni.secondi = p.value(seconds).toInt(&ok);
            if (!ok || campioni.secondi < 1)
                return Uso(QStringLiteral("--seconds needs a whole number, at least 1"));
        } else if (campioni.in.isEmpty()) {
            return Uso(QStringLiteral("samples needs --in FILE or --seconds N"));
        } else {
            if (p.isSet(out))
                return Uso(QStringLiteral("--out is for sampling with --seconds"));
            return ComandoCampioniFile(campioni.in, campioni.bezier, campioni.percentuale);
        }
    }

    OpzioniAutotune autotune;
    if (comando == QLatin1String("autotune")) {
        const QString f = p.value(fuel).toLower();
        if (f != QLatin1String("lpg") && f != QLatin1String("cng"))
            return Uso(QStringLiteral("autotune needs --fuel lpg or --fuel cng"));
        autotune.cng = f == QLatin1String("cng");
        autotune.iniettore = p.value(injector);
        autotune.accetta = p.isSet(accept);
        autotune.profilo = p.value(profile);
    }

    // --dir names the one folder of everything; otherwise the settings follow
    // the program folder's rule, as in the program.
    const QString cartella = p.isSet(dir) ? p.value(dir) : QCoreApplication::applicationDirPath();
    QString impostazioni = cartella;
    if (!p.isSet(dir)) {
        QString errore;
        impostazioni = gascal::CartellaUtente::Scegli(cartella, &errore);
        if (!errore.isEmpty())
            Errore(errore);
    }
    SessioneCli sessione;
    if (!sessione.Avvia(cartella, impostazioni))
        return 1;

    if (comando == QLatin1String("info"))
        return ComandoInfo(sessione, secondi);
    if (comando == QLatin1String("save-map"))
        return ComandoSalvaMappa(sessione, secondi, argomenti.at(1));
    if (comando == QLatin1String("load-map"))
        return ComandoCaricaMappa(sessione, secondi, argomenti.at(1));
    if (config)
        return ComandoConfig(sessione, secondi, argomenti.mid(1));
    if (comando == QLatin1String("live"))
        return ComandoLive(sessione, secondi, righe, p.value(out));
    if (comando == QLatin1String("autotune"))
        return ComandoAutotune(sessione, secondi, autotune);
    if (diff)
        return p.isSet(ecu) ? ComandoDiffMappaEcu(sessione, secondi, argomenti.at(1))
                            : ComandoDiffMappa(sessione, argomenti.at(1), argomenti.at(2));
    if (linea)
        return ComandoLinea(sessione, secondi, richiestaLinea);
    if (comando == QLatin1String("samples"))
        return ComandoCampioniLive(sessione, secondi, campioni);
    return ComandoScan(sessione);
}
