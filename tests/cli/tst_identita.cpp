#include "RegistroProve.h"
#include "BancoEcu.h"

#include "app/Avvio.h"
#include "app/TestoByte.h"
#include "mapfile/ConfrontoMappe.h"
#include "mapfile/FileMappa.h"
#include "mapfile/Identita.h"
#include "mapfile/RicercaEcu.h"

#include <QTest>

using namespace gascal;

// Identity helpers, the firmware comparison and map files, without an ECU.
class TstIdentita : public QObject
{
    Q_OBJECT

    static QByteArray H(const char *esa) { return HexToStr(QString::fromLatin1(esa)); }

private slots:
    void identityFields()
    {
        // More than eleven bytes needed; hex digits as they are, also where not BCD.
        using Identita::FormatVersione;
        QCOMPARE((QStringList{FormatVersione(H("012828112014AABBCCDDEEFF")), FormatVersione(H("012828112014")),
                              FormatVersione(H("0128281120140A0B0C0D0E")), FormatVersione(H("0A2F01020304") + QByteArray(6, ' '))}),
                 (QStringList{"01.28 - 28/11/2014", "00.00 - 00/00/0000", "00.00 - 00/00/0000", "0A.2F - 01/02/0304"}));
        const QByteArray id = H("0128281120");
        QVERIFY(Identita::IdByte1(id) == 0x01 && Identita::IdByte4(id) == 0x11);
        QCOMPARE(Identita::IdByte2(H("0128")), 0);   // not longer than n bytes: 0, even though byte n is there
        // Six bytes only; up to the first non-decimal digit.
        QCOMPARE((QList<int>{Identita::IdCodice(H("01282811201445")), Identita::IdCodice(H("012828112014")),
                             Identita::IdCodice(H("0128281120A445"))}), (QList<int>{2014, 0, 20}));
        // Every blank separates: the year byte 0x20 too, and two blanks make an empty word.
        QCOMPARE(Identita::TerzaParola(H("012828112014") + "ECU GC-SQ4 LPG"), QByteArray("GC-SQ4"));
        QCOMPARE(Identita::TerzaParola("a  b c"), QByteArray("b"));
        QCOMPARE(Identita::TerzaParola("one two"), QByteArray());
    }

    void verificaFirmware_data()
    {
        QTest::addColumn<QByteArray>("trovato");
        QTest::addColumn<bool>("messaggio");
        QTest::newRow("same") << H("012828112014") << false;
        QTest::newRow("newer minor") << H("013001012015") << true;
        QTest::newRow("older minor") << H("012001012013") << false;
        QTest::newRow("newer major, lower minor") << H("020001012016") << true;
        QTest::newRow("older major, higher minor") << H("009901012010") << false;
    }

    void verificaFirmware()
    {
        QFETCH(QByteArray, trovato);
        QFETCH(bool, messaggio);
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        ctx.diz.ImpostaTesti({"GasCal", "t1", "t2", "t3", "Newer firmware.", "Update the program."});
        ctx.imp.MsgProva = H("420104210066");
        ctx.stato.MarcatoreAggiornamento = QStringLiteral("Lampeggia");
        RicercaEcu(ctx).VerificaFirmware(H("012828112014"), trovato);

        QVERIFY(ctx.stato.UscitaRichiesta == (messaggio ? 1 : 0) && ctx.stato.MarcatoreAggiornamento.isEmpty());
        QCOMPARE(ui.mostrati.size(), messaggio ? 1 : 0);
        if (messaggio)
            QVERIFY(ui.mostrati[0].testo == "Newer firmware.\r\nUpdate the program." && ui.mostrati[0].titolo == "GasCal"
                    && ui.mostrati[0].icona == ServiziUi::Icona::Critica);
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
        // A block line loses its header and checksum; a line without data has none.
        QCOMPARE(FileMappa::DatiBlocco(QStringLiteral("41020A610102030405FF")), H("02030405"));
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
        QTest::newRow("nothing a load writes") << QStringList{"[BLK_2] 6 85", "[BLK_1] 10 85"} << QStringList{};
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

        // A file that a load would refuse is named with its section.
        altra.replace("[BLK_5]\r\n41021A71", "[BLK_5]\r\n41021A7X");
        b.ScriviFile(QStringLiteral("r.var"), altra);
        QVERIFY(!confronto.Leggi(b.Percorso(QStringLiteral("def.xar")), b.Percorso(QStringLiteral("r.var"))));
        QVERIFY2(confronto.Errore().contains(QLatin1String("r.var")) && confronto.Errore().contains(QLatin1String("[BLK_5]")),
                 qPrintable(confronto.Errore()));
    }
};

GASCAL_PROVA(TstIdentita)
#include "tst_identita.moc"
