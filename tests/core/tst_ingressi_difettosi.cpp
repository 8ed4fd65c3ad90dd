// Settings files as editors leave them and values at their extremes: read
// alike, or refused with a message that says where, never misread.
#include "RegistroProve.h"
#include "FileProva.h"
#include "app/Contesto.h"
#include "app/LetturaLimitata.h"
#include "app/ServiziUiScriptati.h"
#include "autotune/ControlloProfilo.h"
#include "datalog/ModelloGrafico.h"
#include "ecu/Definizioni.h"
#include "ecu/FileTesto.h"
#include "i18n/CifraRiga.h"
#include "interp/FileCampioni.h"
#include "interp/TabelleCampioni.h"
#include "link/CaricaSetCom.h"
#include "mapfile/ConfrontoMappe.h"
#include "mapfile/Mappa.h"
#include "mapfile/RicercaEcu.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

#include <sys/stat.h>

using namespace gascal;
using namespace Qt::StringLiterals;

namespace {
// A live-data record as SetCom.ini describes it.
MsgRecord RecordLive(const QStringList &variabili)
{
    TabellaMessaggi tab;
    ImpostazioniLink link;
    InterpretaSetCom({"[MSG]", "1", "LiveData", "4102030B4B", "1", "", "", variabili.join(';')}, tab, link);
    return tab.first();
}
} // namespace

class TstIngressiDifettosi : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString P(const char *nome) const { return m_dir.filePath(QLatin1String(nome)); }

private slots:
    // Every reader of a file the user names goes through the one gate: what
    // is not a regular file, or is far bigger than any real one, is refused
    // at once with its reason (a FIFO without a writer would hang a plain open).
    void readersRefuseWhatIsNoRealFile()
    {
        QCOMPARE(::mkfifo(QFile::encodeName(P("fifo")).constData(), 0600), 0);
        QFile enorme(P("enorme"));
        QVERIFY(enorme.open(QIODevice::WriteOnly) && enorme.resize(qint64(5) << 30)); // sparse
        enorme.close();
        for (const auto &[percorso, motivo] : {std::pair{u"/dev/zero"_s, "a character device"}, {P("fifo"), "a FIFO"},
                                               {P("enorme"), "5368709120 bytes"}, {m_dir.path(), "a folder"},
                                               {P("manca"), "No such file"}}) {
            ServiziUiScriptati ui;
            Contesto ctx(ui);
            QStringList risposte{Mappa::ControllaFile(percorso)};
            ConfrontoMappe confronto(ctx);
            TabelleCampioni tabelle;
            QString errore, errore2;
            QVERIFY(!confronto.LeggiFile(percorso, ConfrontoMappe::A) && !FileCampioni::CaricaCampioni(percorso, tabelle, &errore));
            QVERIFY(FileTesto::LeggiImpostazioni(percorso, ui, LetturaLimitata::Tipo::Profilo, &errore2).isEmpty());
            risposte << confronto.Errore() << errore << ModelloGrafico().CaricaCsv(percorso) << errore2;
            if (QFileInfo::exists(percorso)) // a missing profile is the built-in one
                risposte << ControlloProfilo::Rifiuto(percorso, ui, u"."_s);
            for (const QString &r : risposte)
                QVERIFY2(r.contains(QLatin1String(motivo)), qPrintable(r));
            QVERIFY(!Definizioni::CaricaDefinizioni(ctx, percorso) && FileTesto::LeggiFileTesto(percorso).isEmpty());
        }
        // A file just at its cap is still read; one byte more is refused.
        for (const auto tipo : {LetturaLimitata::Tipo::Mappa, LetturaLimitata::Tipo::Campioni}) {
            const qint64 limite = LetturaLimitata::Limite(tipo);
            QFile f(P("limite"));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.resize(limite));
            f.close();
            QByteArray dati;
            QVERIFY(LetturaLimitata::Leggi(P("limite"), tipo, dati).isEmpty() && dati.size() == limite && f.resize(limite + 1));
            QVERIFY(LetturaLimitata::Leggi(P("limite"), tipo, dati).contains(QString::number(limite + 1)));
        }
        QVERIFY(LetturaLimitata::Limite(LetturaLimitata::Tipo::Campioni) > TabelleCampioni::DimensioneFile);
    }

    // As the program writes a file, as a Linux editor saves it, and with a
    // byte-order mark in front: read alike, without a message.
    void everyReaderTakesLfAndByteOrderMark()
    {
        QByteArray criptato = CriptaRiga(IntestazioneCriptata()).toUtf8() + "\r\n";
        for (const char *riga : {"[AttesaPipe_usec]", "42"})
            criptato += CriptaRiga(QLatin1String(riga)).toUtf8() + "\r\n";
        for (const int formato : {0, 1, 2, 3}) {
            const auto scrivi = [&](const char *nome, QByteArray t) {
                if (formato & 1)
                    t.replace("\r\n", "\n");
                Scrivi(P(nome), (formato & 2 ? "\xEF\xBB\xBF" : "") + t);
            };
            const QByteArray nome = "format " + QByteArray::number(formato);
            ServiziUiScriptati ui;
            scrivi("SetCom.ini", "[AttesaPipe_usec]\r\n3000000\r\n[FIRMWARE]\r\n41020B6101012814\r\n"
                                 "[MSG]\r\n0\r\nIdentity\r\n4102032161\r\n0\r\n\r\n\r\nUB,6,1;UW,7,2\r\n");
            TabellaMessaggi tab;
            ImpostazioniLink link;
            CaricaSetCom(P("SetCom.ini"), tab, link, ui);
            QVERIFY2(link.AttesaPipe_usec == 3000000 && tab.first().Scala == QVector<qint32>({1, 2}), nome);
            QCOMPARE(link.ListaFirmware.value(0).toHex(), QByteArray("41020b6101012814"));
            scrivi("SetCom.ini", criptato);
            CaricaSetCom(P("SetCom.ini"), tab, link, ui);
            QVERIFY2(link.AttesaPipe_usec == 42, nome);
            scrivi("ConfigScale.ini", "[SensTemp_02]\r\nNTC\r\n11\r\n[SommaTempoInj_usec]\r\n250\r\n");
            TabelleScala t;
            t.CaricaScale(TabelleScala::CaricaConfigScale(P("ConfigScale.ini"), ui), ui);
            QVERIFY2(t.TabSensTemp.size() == 1 && t.TabSensTemp[0].Codice == 11 && t.SommaTempoInj_usec == 250.0, nome);
            scrivi("map.ini", "[absPresScale]\r\n1,2,3\r\n[tONInjScale]\r\n4,5\r\n");
            t.CaricaMapIni(P("map.ini"), ui);
            QVERIFY2(t.AbsPresScale == QVector<qint32>({1, 2, 3}) && t.TONInjScale == QVector<qint32>({4, 5}), nome);
            scrivi("TEST.DIZ", "a#b#Font#7\r\nTitle\r\n[Frm_Barra]\r\nOne\r\n");
            scrivi("font.ini", "Other Font\r\n9\r\n");
            Dizionario d;
            d.CaricaDizionario(false, {P("TEST.DIZ"), P("diz.ini"), P("font.ini")});
            QCOMPARE(d.Testi(), (QStringList{"Title #TEST.DIZ# ", "[Frm_Barra]", "One", ""}));
            QCOMPARE(d.FontNome + u"/"_s + QString::number(d.FontCharset), u"Other Font/9"_s);
            scrivi("def.xar", "[BLK_3]\r\n4102064E010A\r\n[MAP_0]\r\n4102076101AA8E\r\n");
            Contesto ctx(ui);
            ctx.TabMsg.resize(7);
            for (MsgRecord &r : ctx.TabMsg)
                r.Dimensiona(0);
            QVERIFY(Definizioni::CaricaDefinizioni(ctx, P("def.xar")));
            QVERIFY2(ctx.TabMsg[Contesto::RecConfig].Immagine.toHex() == "4102064e010a"
                         && ctx.TabMsg[Contesto::RecMappa].Immagine.size() == 7, nome);
            scrivi("PortCom.ini", "7\r\n");
            QCOMPARE(RicercaEcu::PortaFissa(P("PortCom.ini")), std::optional<int>(7));
            QVERIFY2(ui.mostrati.isEmpty(), qPrintable(ui.Testi().join('|')));
        }
    }

    void setComRefusesWhatCannotBeSentOrTimed()
    {
        ServiziUiScriptati ui;
        Scrivi(P("SetCom.ini"),
               "[MSG]\r\n1\r\nLiveData\r\n 4102030B4B \r\n1\r\n\r\n\r\nUB,6,1;SL,2147483647,1;UW,0,1;UB,99999999999,1\r\n"
               "[MSG]\r\n2\r\nCommands\r\n41 02 03 0D 4D\r\n0\r\n\r\n\r\nUB,6,1\r\n"
               "[MSG]\r\n3\r\nConfig\r\n4102030E4\r\n0\r\n\r\n\r\nUB,6,1\r\n"
               "[AttesaPipe_usec]\r\n9000000000000000\r\n[AttesaGlobale_usec]\r\n250000\r\n"
               "[MolAttesaGlobale]\r\n1000\r\n");
        TabellaMessaggi tab;
        ImpostazioniLink link;
        CaricaSetCom(P("SetCom.ini"), tab, link, ui);
        // Trimmed; with blanks, or of an odd length, no request.
        QCOMPARE((QStringList{tab[0].Richiesta, tab[1].Richiesta, tab[2].Richiesta}), (QStringList{"4102030B4B", "", ""}));
        QCOMPARE(tab[0].Offset, (QVector<qint32>{6, 0, 0, 0}));
        QCOMPARE((QList<qint64>{link.AttesaPipe_usec, link.AttesaGlobale_usec, link.MolAttesaGlobale}),
                 (QList<qint64>{0, 250000, 0}));
        QVERIFY(link.AttesaEcuMs(true) <= ImpostazioniLink::MassimaAttesaEcuMs);
        // One message, every refusal named with its record or section.
        QCOMPARE(ui.mostrati.size(), 1);
        const QString testo = ui.mostrati[0].testo;
        for (const char *atteso : {"[MSG] 0 (LiveData): value 1 lies at \"2147483647\"",
                                   "[MSG] 0 (LiveData): value 2 lies at \"0\"",
                                   "[MSG] 0 (LiveData): value 3 lies at \"99999999999\"",
                                   "[MSG] 1 (Commands): the request \"41 02 03 0D 4D\" is not",
                                   "[MSG] 2 (Config): the request \"4102030E4\"",
                                   "[AttesaPipe_usec] 9000000000000000 is outside", "[MolAttesaGlobale] 1000"})
            QVERIFY2(testo.contains(QLatin1String(atteso)), qPrintable(atteso + u" in "_s + testo));
        // The decoder itself takes any position without overflowing.
        MsgRecord r = RecordLive({"UW,6,1", "SL,6,1", "SB,6,1"});
        r.Offset = {std::numeric_limits<qint32>::max(), std::numeric_limits<qint32>::max() - 2,
                    std::numeric_limits<qint32>::min()};
        QCOMPARE(Blocco::DecodificaBlocco(QByteArray(300, '\x01'), r), (QVector<int>{0, 1, 2}));
    }

    void liveRecordMismatchReportedOnceAndNeverDerivedAgain()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        ctx.scale.SommaTempoInj_usec = 250;
        ctx.TabMsg.resize(7);
        // Values 1 and 6 lie beyond the 12-byte block the ECU sends.
        ctx.TabMsg[Contesto::RecLive] = RecordLive({"UB,6,1", "UW,20,1", "UB,7,1", "UB,8,1", "UW,9,1",
                                                    "UB,11,1", "UB,30,1"});
        MsgRecord &live = ctx.TabMsg[Contesto::RecLive];
        QByteArray lungo(31, '\0');
        lungo[5] = 1;                                       // value 0
        lungo[19] = static_cast<char>(0xE8), lungo[20] = 3; // value 1: 1000 us
        lungo[6] = 2, lungo[7] = 3, lungo[8] = 0x10;        // values 2, 3, 4
        ctx.Decodifica(Contesto::RecLive, lungo);
        // Bit 0 of value 6 clear: no speed.
        QVERIFY(live.Valori[1] == 1000 + 250 && live.Valori[4] == 0 && ui.mostrati.isEmpty());
        live.Valori[4] = 1234;
        const QByteArray corto = lungo.left(12);
        for (int i = 0; i < 5; ++i) {
            ctx.Decodifica(Contesto::RecLive, corto);
            // Not 1500, 1750...; the state bit is not in the block: no new speed.
            QCOMPARE((QList<qint32>{live.Valori[1], live.Valori[4], live.Valori[2]}), (QList<qint32>{1250, 1234, 2}));
        }
        QVERIFY(ui.mostrati.size() == 1 && ui.mostrati[0].icona == ServiziUi::Icona::Esclamazione);
        const QString testo = ui.mostrati[0].testo;
        for (const QString &parte : {u"Record 1 (LiveData)"_s, u"12 bytes"_s, u"value 1 (UW at 20)"_s, u"value 6 (UB at 30)"_s})
            QVERIFY2(testo.contains(parte), qPrintable(testo));
        // A block that is too short for another variable is told too, once.
        ctx.Decodifica(Contesto::RecLive, corto.left(8));
        QCOMPARE(ui.mostrati.size(), 2);
        QVERIFY(ui.mostrati[1].testo.contains(u"value 4 (UW at 9)"_s) && !ui.mostrati[1].testo.contains(u"value 1 "_s));
    }

    void mapIniAndScaleSectionsReportInsteadOfShifting()
    {
        ServiziUiScriptati ui;
        TabelleScala t;
        t.AbsPresScale = {9, 9};
        Scrivi(P("map.ini"), "[absPresScale]\r\n10, 20,2O,40\r\n[tONInjScale]\r\n1,2,3,\r\n");
        t.CaricaMapIni(P("map.ini"), ui);
        QCOMPARE(t.AbsPresScale, (QVector<qint32>{9, 9})); // not 10,20,40
        QVERIFY(t.TONInjScale == QVector<qint32>({1, 2, 3}) && ui.Testi().size() == 1);
        QVERIFY2(ui.Testi()[0].contains(u"[absPresScale] entry 2 \"2O\""_s), qPrintable(ui.Testi()[0]));
        // A section cut short by the end of the file: one message, not one per line.
        ui.mostrati.clear();
        t.CaricaScale({"[SensTemp_01]", "T", "5", "[InjType_012]", "Fast"}, ui);
        QVERIFY(ui.Testi().size() == 1 && ui.Testi()[0].contains(u"[InjType_012]"_s));
        QVERIFY(ui.Testi()[0].contains(u"Input past end of file"_s));
        QVERIFY(t.TabIniettori.size() == 1 && t.TabIniettori[0].Nome == u"Fast"_s);
        // An injection-time offset that no injection can have.
        for (const char *estremo : {"1e300", "inf", "-inf", "nan", "1000001"}) {
            ui.mostrati.clear();
            TabelleScala s;
            s.SommaTempoInj_usec = 250;
            s.CaricaScale({"[SommaTempoInj_usec]", QLatin1String(estremo)}, ui);
            QCOMPARE(s.SommaTempoInj_usec, 250.0);
            QVERIFY2(ui.Testi().size() == 1 && ui.Testi()[0].contains(QLatin1String(estremo)), estremo);
        }
        // Even if one got through, the decoder does not convert it to a whole number.
        MsgRecord r = RecordLive({"UB,6,1", "UB,7,1"});
        AmbienteDecodifica amb;
        amb.SommaTempoInj_usec = std::numeric_limits<double>::infinity();
        Blocco::DecodificaBlocco(QByteArray::fromHex("4102084B01050600"), r, amb);
        QCOMPARE(r.Valori[1], 6);
    }

    // An empty block line leaves its record without an image, and the
    // sections after it are read too.
    void emptyBlockLineKeepsReading()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        ctx.TabMsg.resize(7);
        for (int n = 0; n < 7; ++n) {
            ctx.TabMsg[n] = RecordLive({"UB,6,1", "UB,7,1", "UB,8,1"});
            ctx.TabMsg[n].Id = n;
        }
        ctx.TabMsg[Contesto::RecLive].Immagine = "old";
        Scrivi(P("def.xar"), "[BLK_1]\r\n\r\n[BLK_3]\r\n41020C4E010708091011223344\r\n[MAP_0]\r\n41020D5201AABB0000000000CC\r\n");
        QVERIFY(Definizioni::CaricaDefinizioni(ctx, P("def.xar")) && ctx.TabMsg[Contesto::RecLive].Immagine.isEmpty());
        QCOMPARE(ctx.TabMsg[Contesto::RecConfig].Immagine, QByteArray::fromHex("41020C4E010708091011223344"));
        QCOMPARE(ctx.TabMsg[Contesto::RecConfig].Valori[0], 7);
        QCOMPARE(ctx.TabMsg[Contesto::RecMappa].Immagine, QByteArray::fromHex("41020D5201AABB0000000000CC"));
        QVERIFY2(ui.mostrati.isEmpty(), qPrintable(ui.Testi().join(QLatin1Char('|'))));
    }
};

GASCAL_PROVA(TstIngressiDifettosi)
#include "tst_ingressi_difettosi.moc"
