// Without an ECU: gascal-cli's command lines through the command table in this process, the
// identity helpers, the firmware comparison, and map files read, written and compared.
#include "RegistroProve.h"
#include "BancoEcu.h"
#include "TabellaComandi.h"
#include "UscitaCatturata.h"
#include "Versione.h"

#include "app/Avvio.h"
#include "app/TestoByte.h"
#include "mapfile/ConfrontoMappe.h"
#include "mapfile/FileMappa.h"
#include "mapfile/Identita.h"
#include "mapfile/RicercaEcu.h"

#include <QFile>
#include <QTest>

using namespace gascal;
using namespace gascal::cli;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(gascal::cli::Bisogno)

namespace {

QStringList Riga(const QStringList &argomenti) { return QStringList{u"gascal-cli"_s} + argomenti; }

// The request's fields that differ from a bare command line, as "name=value" words.
QString Scelte(const Richiesta &r)
{
    QStringList s;
    const auto se = [&s](bool vero, const QString &testo) {
        if (vero)
            s << testo;
    };
    const OpzioniCampioni &c = r.campioni;
    const OpzioniAutotune &a = r.autotune;
    se(r.conCartella, u"dir="_s + r.cartella);
    se(r.timeoutSec != Richiesta().timeoutSec, u"timeout=%1"_s.arg(r.timeoutSec));
    se(r.righe, u"count=%1"_s.arg(r.righe));
    se(!r.uscita.isEmpty(), u"out="_s + r.uscita);
    se(r.ecu, u"ecu"_s);
    se(!r.linea.azione.isEmpty(), u"line=%1,%2,%3"_s.arg(r.linea.azione).arg(r.linea.valore).arg(r.linea.passi));
    se(r.comando == "samples"_L1, u"samples=%1,%2,%3,%4,%5,%6,%7"_s.arg(c.in, c.out).arg(c.secondi).arg(c.stabilitaMs)
                                     .arg(int(c.bezier)).arg(int(c.senzaBenzina)).arg(c.percentuale));
    se(r.comando == "autotune"_L1, u"autotune=%1,%2,%3,%4"_s.arg(a.cng ? u"cng"_s : u"lpg"_s, a.iniettore).arg(int(a.accetta)).arg(a.profilo));
    return s.join(QLatin1Char(' '));
}

} // namespace

class TstSenzaEcu : public QObject
{
    Q_OBJECT

    const TabellaComandi m_tabella;

    static QByteArray H(const char *esa) { return HexToStr(QString::fromLatin1(esa)); }

private slots:
    // Refused with status 2 before anything starts; the message after "gascal-cli: ".
    void rifiutate_data()
    {
        QTest::addColumn<QStringList>("argomenti");
        QTest::addColumn<QString>("errore");
        auto riga = [](const char *nome, const QString &argomenti, const char *errore) {
            QTest::newRow(nome) << argomenti.split(QLatin1Char(' '), Qt::SkipEmptyParts)
                                << QString::fromUtf8(errore) + QStringLiteral(" (see gascal-cli --help)");
        };
        riga("no command", {}, "no command given");
        riga("unknown command", "--timeout 3 flash x", "unknown command 'flash'");
        riga("unknown option", "info --bogus", "Unknown option 'bogus'.");
        // An option of another command (one check serves every command), before the arguments.
        riga("misplaced before bad count", "info extra --seconds 3", "option --seconds does not apply to info");
        // Arguments.
        riga("save-map without file", "save-map", "save-map needs one FILE");
        riga("load-map two files", "load-map a b", "load-map needs one FILE");
        riga("info with argument", "info now", "info takes no arguments");
        riga("diff-map one file", "diff-map a", "diff-map needs two map FILEs, or one and --ecu");
        riga("diff-map three files", "diff-map a b c", "diff-map needs two map FILEs, or one and --ecu");
        riga("diff-map two files and ecu", "diff-map a b --ecu", "diff-map --ecu needs one map FILE");
        riga("config list without name", "config list", "config list needs one NAME");
        riga("config set without item", "config set switch-rpm", "config set needs NAME and ITEM");
        riga("config level with argument", "config level-full 3", "config level-full takes no arguments");
        riga("config unknown", "config get x",
             "unknown config command 'get' (list, set, level-empty, level-full)");
        riga("line unknown action", "line up 2", "unknown line action 'up'");
        riga("line pivot 10", "line raise 10", "line raise needs a pivot 1..9");
        riga("line pivot 0", "line left P0", "line left needs a pivot 1..9");
        riga("line without pivot", "line lower", "line lower needs a pivot 1..9");
        riga("line all unsigned", "line all 3", "line all needs a signed number of steps, e.g. +3 or -2");
        riga("line all zero", "line all -0", "line all needs a signed number of steps, e.g. +3 or -2");
        riga("line all too far", "line all -256", "line all: at most 255 steps");
        riga("line reset with argument", "line reset 2", "line reset takes no arguments");
        riga("steps on line left", "line left 2 --steps 2", "--steps applies to line raise and line lower only");
        // Numbers.
        riga("count 0", "live --count 0", "--count needs a whole number, at least 1");
        riga("steps 300", "line raise 2 --steps 300", "--steps needs a whole number 1..255");
        riga("steps 0", "line raise 2 --steps 0", "--steps needs a whole number 1..255");
        riga("timeout text", "--timeout x info", "--timeout needs a whole number of seconds, at least 1");
        riga("timeout 0", "diff-map a b --timeout 0", "--timeout needs a whole number of seconds, at least 1");
        riga("percent 101", "samples --in f --percent 101", "--percent needs a whole number from 0 to 100");
        riga("stability off the steps", "samples --seconds 5 --stability 1100",
             "--stability needs 1000 to 5000 ms in steps of 250");
        riga("seconds 0", "samples --seconds 0", "--seconds needs a whole number, at least 1");
        // Choices.
        riga("samples without source", "samples --bezier", "samples needs --in FILE or --seconds N");
        riga("samples file with out", "samples --in a --out b", "--out is for sampling with --seconds");
        riga("autotune without fuel", "autotune --injector X", "autotune needs --fuel lpg or --fuel cng");
        riga("autotune diesel", "autotune --fuel diesel", "autotune needs --fuel lpg or --fuel cng");
    }
    void rifiutate()
    {
        QFETCH(QStringList, argomenti);
        QFETCH(QString, errore);
        const TabellaComandi::Lettura l = m_tabella.Leggi(Riga(argomenti));
        QCOMPARE(l.codice, 2);
        QCOMPARE(l.testo, errore);
        QVERIFY(!l.voce);
    }

    // Command lines that run: the command, what it needs, its options.
    void scelte_data()
    {
        QTest::addColumn<QStringList>("argomenti");
        QTest::addColumn<QString>("comando");
        QTest::addColumn<Bisogno>("bisogno");
        QTest::addColumn<QString>("scelte");
        auto riga = [](const char *nome, const QString &argomenti, const char *comando, Bisogno b,
                       const char *scelte) {
            QTest::newRow(nome) << argomenti.split(QLatin1Char(' '), Qt::SkipEmptyParts)
                                << QString::fromLatin1(comando) << b << QString::fromLatin1(scelte);
        };
        riga("dir and timeout anywhere", "save-map a.var --dir /d --timeout 30", "save-map", Bisogno::Ecu,
             "dir=/d timeout=30");
        riga("line all minus after timeout", "--timeout 5 line all -3", "line", Bisogno::Ecu,
             "timeout=5 line=all,-3,1");
        riga("line all minus, option after", "line all -12 --dir /d", "line", Bisogno::Ecu,
             "dir=/d line=all,-12,1");
        riga("line all plus", "line all +2", "line", Bisogno::Ecu, "line=all,2,1");
        riga("samples of a file", "samples --in f.cmp --bezier --percent 40 --timeout 2", "samples",
             Bisogno::Nulla, "timeout=2 samples=f.cmp,,0,2000,1,0,40");
        riga("samples live", "samples --seconds 5 --in f --out g --stability 2250 --no-petrol", "samples",
             Bisogno::Ecu, "samples=f,g,5,2250,0,1,60");
        riga("autotune", "autotune --fuel CNG --injector X --accept --profile p.txt", "autotune", Bisogno::Ecu,
             "autotune=cng,X,1,p.txt");
    }
    void scelte()
    {
        QFETCH(QStringList, argomenti);
        QFETCH(QString, comando);
        QFETCH(Bisogno, bisogno);
        QFETCH(QString, scelte);
        const TabellaComandi::Lettura l = m_tabella.Leggi(Riga(argomenti));
        QVERIFY2(l.voce && l.codice == -1, qPrintable(l.testo));
        QCOMPARE(l.voce->nome, comando);
        QCOMPARE(l.bisogno, bisogno);
        QCOMPARE(Scelte(l.richiesta), scelte);
    }

    // Help and version: status 0, whatever else the line holds.
    void aiutoEVersione()
    {
        for (const QString &argomenti : {u"--help"_s, u"flash -h"_s, u"line --count 3 --help"_s}) {
            const TabellaComandi::Lettura l = m_tabella.Leggi(Riga(argomenti.split(QLatin1Char(' '))));
            QVERIFY(l.codice == 0 && !l.voce);
            for (const char *testo : {"save-map FILE", "load-map FILE", "live", "scan", "--count", "--ecu"})
                QVERIFY2(l.testo.contains(QLatin1String(testo)), testo);
        }
        const TabellaComandi::Lettura v = m_tabella.Leggi(Riga({u"info"_s, u"--version"_s}));
        QVERIFY(v.codice == 0 && v.testo == QStringLiteral("gascal-cli " GASCAL_VERSIONE));
    }

    // Every option of the help belongs to a command or to all of them.
    void ogniOpzioneHaUnComando()
    {
        const TabellaComandi::Lettura aiuto = m_tabella.Leggi(Riga({QStringLiteral("--help")}));
        QStringList diComandi = TabellaComandi::OpzioniGlobali;
        for (const TabellaComandi::Voce &v : m_tabella.Voci())
            diComandi += v.opzioni;
        static const QRegularExpression opzione(QStringLiteral("--([a-z][a-z-]*)"));
        auto i = opzione.globalMatch(aiuto.testo);
        int trovate = 0;
        while (i.hasNext()) {
            const QString nome = i.next().captured(1);
            QVERIFY2(diComandi.contains(nome), qPrintable(nome));
            ++trovate;
        }
        QVERIFY(trovate > 15);
    }

    // Without an ECU a folder without PrjCom is enough; a command needing the ECU fails.
    void senzaPrjCom_data()
    {
        QTest::addColumn<QStringList>("argomenti");
        QTest::addColumn<int>("codice");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        // DIR: the bench's folder, without PrjCom.
        auto riga = [](const char *nome, const QString &argomenti, int codice, const char *out, const char *err) {
            QTest::newRow(nome) << argomenti.split(QLatin1Char(' ')) << codice << QString::fromUtf8(out)
                                << QString::fromUtf8(err);
        };
        riga("different maps", "--dir DIR diff-map DIR/a.var DIR/c.var", 1, "switch-temp: 35 | 40\n", "");
        riga("list of a setting", "--dir DIR config list rpm-factor", 0, "x 1\nx 2\n", "");
        riga("sample file, no folder at all", "--dir DIR/none samples --in DIR/zero.cmp", 0, "deflection 0 0", "");
        riga("map against the ECU", "--dir DIR --timeout 1 diff-map DIR/a.var --ecu", 1, "",
             "gascal-cli: PrjCom could not be started from DIR\n");
    }
    void senzaPrjCom()
    {
        QFETCH(QStringList, argomenti);
        QFETCH(int, codice);
        QFETCH(QString, out);
        QFETCH(QString, err);
        BancoEcu b;
        QVERIFY(QFile::remove(b.Percorso(QStringLiteral("PrjCom"))));
        const QByteArray mappa = b.LeggiFile(QStringLiteral("def.xar"));
        for (const auto &[nome, testo] : {std::pair{"a.var", mappa}, {"zero.cmp", QByteArray(1408, '\0')},
                                          {"c.var", BancoEcu::CambiaByte(mappa, "[BLK_3]", 6, 40)}})
            b.ScriviFile(QLatin1String(nome), testo);
        argomenti.replaceInStrings(u"DIR"_s, b.Cartella());
        err.replace(u"DIR"_s, b.Cartella());

        const TabellaComandi::Lettura l = m_tabella.Leggi(Riga(argomenti));
        QVERIFY2(l.voce, qPrintable(l.testo));
        UscitaCatturata cattura;
        const int esito = m_tabella.Esegui(l);
        cattura.Fine();
        QVERIFY2(esito == codice, qPrintable(cattura.err));
        // Nothing more than asked; a failed start ends with why it ended.
        QVERIFY2(out.isEmpty() ? cattura.out.isEmpty() : cattura.out.contains(out), qPrintable(cattura.out));
        QVERIFY2(err.isEmpty() ? cattura.err.isEmpty() : cattura.err.endsWith(err), qPrintable(cattura.err));
    }

    void identityFields()
    {
        // More than eleven bytes needed; hex digits as they are, also where not BCD.
        using Identita::FormatVersione;
        QCOMPARE((QStringList{FormatVersione(H("012828112014AABBCCDDEEFF")), FormatVersione(H("012828112014")),
                              FormatVersione(H("0128281120140A0B0C0D0E")), FormatVersione(H("0A2F01020304") + QByteArray(6, ' '))}),
                 (QStringList{"01.28 - 28/11/2014", "00.00 - 00/00/0000", "00.00 - 00/00/0000", "0A.2F - 01/02/0304"}));
        QCOMPARE(Identita::IdByte2(H("0128")), 0);   // not longer than n bytes: 0, even though byte n is there
        // Every blank separates: the year byte 0x20 too, and two blanks make an empty word.
        QCOMPARE(Identita::TerzaParola(H("012828112014") + "ECU GC-SQ4 LPG"), QByteArray("GC-SQ4"));
        QCOMPARE(Identita::TerzaParola("a  b c"), QByteArray("b"));
        QCOMPARE(Identita::TerzaParola("one two"), QByteArray());
    }

    // Only a newer firmware, major first, asks for the program's update.
    void verificaFirmware()
    {
        for (const auto &[trovato, messaggio] : {std::pair{"012828112014", false}, {"013001012015", true}, {"012001012013", false},
                                                  {"020001012016", true}, {"009901012010", false}}) {
            ServiziUiScriptati ui;
            Contesto ctx(ui);
            ctx.diz.ImpostaTesti({"GasCal", "t1", "t2", "t3", "Newer firmware.", "Update the program."});
            ctx.imp.MsgProva = H("420104210066");
            ctx.stato.MarcatoreAggiornamento = QStringLiteral("Lampeggia");
            RicercaEcu(ctx).VerificaFirmware(H("012828112014"), H(trovato));
            QVERIFY2(ctx.stato.UscitaRichiesta == (messaggio ? 1 : 0) && ctx.stato.MarcatoreAggiornamento.isEmpty(), trovato);
            QCOMPARE(ui.mostrati.size(), messaggio ? 1 : 0);
            if (messaggio)
                QVERIFY(ui.mostrati[0].testo == "Newer firmware.\r\nUpdate the program." && ui.mostrati[0].titolo == "GasCal"
                        && ui.mostrati[0].icona == ServiziUi::Icona::Critica);
        }
    }

    void mapFileHasNineteenLinesWhateverTheFirmwareBytes()
    {
        FileMappa::Contenuto c;
        c.Info = "GasCal - 1.28 - 28/11/14 , file created 01/02/25";
        c.Firmware = H("41020861010D0A00"); // CR LF inside the raw line
        c.Blk2 = H("41020D4D010000000000000002");
        c.Blk3 = c.Blk5 = c.Map0 = c.Coll = c.Blk1 = H("4102064E010A");
        const QByteArray testo = FileMappa::Componi(c);
        QCOMPARE(testo.count("\r\n"), 19 + 1); // the raw firmware line brings its own
        QVERIFY(testo.endsWith("\r\n") && testo.startsWith("[INFO]\r\nGasCal - 1.28") && testo.contains("[NOTE]\r\n\r\n[FW]"));
        QVERIFY(testo.contains("[FW]\r\n41020861010D0A00\r\n" + c.Firmware + "\r\n[COLL]\r\n"));

        // The loader finds its sections all the same.
        FileMappa::BlocchiCaricati b;
        QCOMPARE(FileMappa::Leggi(testo, b), QString());
        QVERIFY(b.Blk2 == "41020D4D010000000000000002" && b.Map0 == "4102064E010A");
        // A line without data has none.
        QVERIFY(FileMappa::DatiBlocco(QStringLiteral("4102066101FF")).isEmpty() && FileMappa::DatiBlocco(QStringLiteral("41020661")).isEmpty());
    }

    // Only the four loaded sections count, each one whole block as answered.
    void onlyTheFourLoadedSectionsAreNeeded_data()
    {
        const QByteArray buono = "[BLK_2]\r\n41020A610102030405 29\r\n[BLK_3]\r\n4102064E010A\r\n"
                                 "[BLK_5]\n410206710135\n[MAP_0]\r\n410206520116  \r\n";
        auto con = [&](const char *da = nullptr, const char *a = nullptr) {
            QByteArray t = QByteArray(buono).replace(" 29", "29");
            return da ? t.replace(da, a) : t;
        };
        QTest::addColumn<QByteArray>("testo");
        QTest::addColumn<QString>("errore");
        QTest::newRow("four sections, mixed line ends") << con() << QString();
        QTest::newRow("section missing") << con("[BLK_5]", "[BLK_4]") << "the section [BLK_5] is missing";
        QTest::newRow("not hex") << buono << "the block line of section [BLK_2] is not hex text";
        QTest::newRow("too short") << con("4102064E010A", "4102064E01")
                                   << "the block line of section [BLK_3] is too short (10 hex digits, at least 12 needed)";
        QTest::newRow("odd") << con("410206710135", "4102067101351")
                             << "the block line of section [BLK_5] has an odd number of hex digits";
        QTest::newRow("empty") << QByteArray() << "the section [BLK_2] is missing";
        QTest::newRow("length byte") << con("410206710135", "410207710134")
                                     << "the block of section [BLK_5] says it is 7 bytes long but holds 6";
        QTest::newRow("checksum") << con("410206520116", "410206520117") << "[MAP_0] has a wrong checksum";
        QTest::newRow("refusal saved as a block") << con("410206710135", "4102067F310B")
                                                  << "the block of section [BLK_5] is the ECU's refusal answer";
        QTest::newRow("section twice") << con() + "[BLK_3]\r\n4102064E010A\r\n"
                                       << "the section [BLK_3] appears more than once";
    }

    void onlyTheFourLoadedSectionsAreNeeded()
    {
        QFETCH(QByteArray, testo);
        QFETCH(QString, errore);
        FileMappa::BlocchiCaricati b;
        const QString motivo = FileMappa::Leggi(testo, b);
        QVERIFY2(errore.isEmpty() ? motivo.isEmpty() : motivo.contains(errore), qPrintable(motivo));
        if (errore.isEmpty()) {
            QCOMPARE(FileMappa::DatiBlocco(b.Blk2), H("02030405"));
            QCOMPARE(b.Map0, QStringLiteral("410206520116"));
        }
    }

    // Maps compared by setting: def.xar with bytes changed ("SECTION POS VALUE", 1-based).
    void differencesByName_data()
    {
        QTest::addColumn<QStringList>("cambi");
        QTest::addColumn<QStringList>("righe");
        QTest::newRow("settings and points") << QStringList{"[BLK_3] 6 40", "[BLK_3] 26 144", "[BLK_3] 48 5",
                                                            "[MAP_0] 16 9", "[MAP_0] 46 240"}
                                             << QStringList{"hysteresis-rpm: 300 | 400", "switch-temp: 35 | 40",
                                                            "sensitivity-ms: 0.3 | 0.5", "line[10]: 2 | 9",
                                                            "line[40]: -1 | -16"};
        QTest::newRow("a pivot, and a byte no name shows")
            << QStringList{"[BLK_3] 49 119", "[BLK_5] 10 28"}
            << QStringList{"pivot[4]: 27 | 28", "[BLK_3] byte 49: 00 | 77"};
        // The bytes that a load zeroes, and the live block, do not count.
        QTest::newRow("nothing a load writes") << QStringList{"[BLK_2] 6 85", "[BLK_2] 7 85", "[BLK_1] 10 85"} << QStringList{};
    }

    void differencesByName()
    {
        QFETCH(QStringList, cambi);
        QFETCH(QStringList, righe);
        BancoEcu b;
        QVERIFY(Avvio::EseguiSenzaLink(*b.ctx, b.Cartella(), b.Cartella()));
        b.ctx->imp.SepDecimale = QStringLiteral(".");
        QByteArray altra = b.LeggiFile(QStringLiteral("def.xar"));
        for (const QString &c : cambi) {
            const QStringList p = c.split(QLatin1Char(' '));
            altra = BancoEcu::CambiaByte(altra, qPrintable(p[0]), p[1].toInt(), quint8(p[2].toInt()));
        }
        b.ScriviFile(QStringLiteral("b.var"), altra);
        ConfrontoMappe confronto(*b.ctx);
        QVERIFY(confronto.Leggi(b.Percorso(QStringLiteral("def.xar")), b.Percorso(QStringLiteral("b.var"))));
        QCOMPARE(confronto.Differenze(), righe);
    }
};

GASCAL_PROVA(TstSenzaEcu)
#include "tst_senza_ecu.moc"
