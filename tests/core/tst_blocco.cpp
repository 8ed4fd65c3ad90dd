// The link's pieces, blocks and settings tables without a process: read alike, or refused saying where.
#include "RegistroProve.h"
#include "BancoEcu.h"
#include "FileProva.h"
#include "app/Avvio.h"
#include "app/Contesto.h"
#include "app/LetturaLimitata.h"
#include "app/ServiziUiScriptati.h"
#include "app/TestoByte.h"
#include "autotune/ControlloProfilo.h"
#include "datalog/ModelloGrafico.h"
#include "ecu/Blocco.h"
#include "ecu/CodaScrittura.h"
#include "ecu/Definizioni.h"
#include "ecu/FileTesto.h"
#include "ecu/TabelleScala.h"
#include "i18n/CifraRiga.h"
#include "interp/FileCampioni.h"
#include "interp/TabelleCampioni.h"
#include "link/CaricaSetCom.h"
#include "link/FramePipe.h"
#include "link/MessaggioEcu.h"
#include "link/Transazioni.h"
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
QByteArray F(std::initializer_list<int> byte)
{
    QByteArray f;
    for (int b : byte)
        f.append(static_cast<char>(b));
    return f;
}
// A command-6 reply that carries this ECU answer.
QByteArray Ecu(std::initializer_list<int> risposta, int statoEcu = 1)
{
    return F({0, 8 + int(risposta.size()), 6, statoEcu, 0, 0, 0, 0}) + F(risposta);
}
QStringList Sezione(const QString &sezione, const QString &id, const QString &variabili)
{
    return {sezione, id, u"Name"_s, u"41020321"_s, u" 1 "_s, u"x"_s, u"y"_s, variabili};
}
MsgRecord Record(std::initializer_list<std::tuple<const char *, int, int>> variabili, int id = 9)
{
    MsgRecord r;
    r.Id = id;
    r.Dimensiona(static_cast<qsizetype>(variabili.size()));
    int i = 0;
    for (const auto &[tipo, offset, scala] : variabili) {
        r.Tipi[i] = QString::fromLatin1(tipo);
        r.Offset[i] = offset;
        r.Scala[i++] = scala;
    }
    return r;
}
QByteArray Byte(const char *hex) { return HexToStr(QString::fromLatin1(hex)); }
// A live-data record as SetCom.ini describes it.
MsgRecord RecordLive(const QStringList &variabili)
{
    TabellaMessaggi tab;
    ImpostazioniLink link;
    InterpretaSetCom({"[MSG]", "1", "LiveData", "4102030B4B", "1", "", "", variabili.join(';')}, tab, link);
    return tab.first();
}
} // namespace

class TstBlocco : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString P(const char *nome) const { return m_dir.filePath(QLatin1String(nome)); }

private slots:
    void framesOfThePipe()
    {
        // Little-endian length, data after the header.
        QCOMPARE(FramePipe::Richiesta(2, 0, 0, 0, 0, 0, {}), F({8, 0, 2, 0, 0, 0, 0, 0}));
        const QByteArray dati(300, 'x');
        QCOMPARE(FramePipe::Richiesta(6, 0, 0, 0, 0, 0, dati), F({308 & 0xFF, 1, 6, 0, 0, 0, 0, 0}) + dati);
        // Replies: big-endian length; whole frames split by it.
        const QByteArray due = F({0, 9, 3, 1, 0, 0, 0, 0, 0}) + F({0, 8, 6, 0, 0, 0, 0, 0});
        QCOMPARE((QList<qsizetype>{FramePipe::LunghezzaFrame(due), FramePipe::LunghezzaFrame(due.mid(9)),
                             FramePipe::LunghezzaFrame(due.left(8)), FramePipe::LunghezzaFrame(F({0, 7, 6, 0, 0, 0, 0, 0}))}),
                 (QList<qsizetype>{9, 8, 0, 0})); // says 9, has 8; below the header
        // Each reply code's payload and status; a wrong length keeps the status bytes.
        const struct { const char *nome; QByteArray frame; int stato; QByteArray dati; } casi[] = {
            {"code 9 invalid", F({0, 8, 9, 1, 0, 0, 0, 0}), 2, {}},
            {"code 12 invalid", F({0, 8, 12, 1, 0, 0, 0, 0}), 2, {}},
            {"code 4 without payload", F({0, 8, 4, 1, 0, 0, 0, 0}), 3, {}},
            {"code 4 one byte", F({0, 10, 4, 1, 0, 2, 0, 0, 2, 9}), 0, F({2})},
            {"code 3 without payload", F({0, 8, 3, 1, 0, 0, 0, 0}), 0, {}},
            {"code 3 keeps byte 8 only", F({0, 15, 3, 1, 0, 0, 0, 0, 0, 0x42, 1, 4, 0x21, 0, 0x66}), 0, F({0})},
            {"code 11 exactly 10 bytes", F({0, 10, 11, 1, 0, 0, 0, 0, 1, 0}), 0, F({1, 0})},
            {"code 11 short", F({0, 9, 11, 1, 0, 0, 0, 0, 1}), 3, {}},
            {"code 0 all the rest", F({0, 11, 0, 1, 0, 0, 0, 0, 7, 8, 9}), 0, F({7, 8, 9})},
            {"code 6 empty", F({0, 8, 6, 1, 0, 0, 0, 0}), 0, {}},
            {"code 6 payload", F({0, 10, 6, 1, 0, 0, 0, 0, 0x41, 2}), 0, F({0x41, 2})},
            {"code 1 no payload", F({0, 9, 1, 1, 0, 0, 0, 0, 5}), 0, {}},
            {"says 10, 9 came", F({0, 10, 6, 0, 0, 0, 0, 0, 5}), 1, {}},
            {"below the header", F({0, 7, 6, 0, 0, 0, 0}), 1, {}},
        };
        for (const auto &c : casi) {
            RispostaPipe r;
            r.RispByte4 = 7;
            r.RispDati = "old";
            const int stato = FramePipe::DecodificaRisposta(c.frame, r);
            const bool errata = stato == FramePipe::LunghezzaErrata;
            const auto testo = [&c](int s, const QByteArray &d, int byte4, int codice) {
                return u"%1: %2 %3 %4 %5"_s.arg(QLatin1String(c.nome)).arg(s).arg(QLatin1String(d.toHex()))
                    .arg(byte4).arg(codice);
            };
            QCOMPARE(testo(stato, r.RispDati, r.RispByte4, errata ? r.RispCodice : 0),
                     testo(c.stato, c.dati, errata ? 7 : 1, errata ? -1 : 0));
        }
    }
    // Which reply frames can answer which request (the rest answer given-up ones).
    void replyMatchesRequest()
    {
        const QByteArray leggi21 = F({0x41, 2, 3, 0x21, 0x61});
        const struct { const char *nome; QByteArray frame; int comando; QByteArray dati; bool risponde; } casi[] = {
            {"same code", F({0, 8, 2, 1, 0, 0, 0, 0}), 2, {}, true},
            {"other code", F({0, 9, 3, 1, 0, 0, 0, 0, 0}), 6, leggi21, false},
            {"code 0: request not understood", F({0, 8, 0, 8, 0, 0, 0, 0}), 4, {}, true},
            {"invalid code left to the check", F({0, 8, 9, 1, 0, 0, 0, 0}), 6, leggi21, true},
            {"service + 0x40", Ecu({0x41, 2, 6, 0x61, 1, 0}), 6, leggi21, true},
            {"other service", Ecu({0x41, 2, 6, 0x62, 1, 0}), 6, leggi21, false},
            {"request echoed", Ecu({0x41, 2, 6, 0x21, 1, 0}), 6, leggi21, false},
            {"refusal of this service", Ecu({0x41, 2, 6, 0x7F, 0x21, 0}), 6, leggi21, true},
            {"refusal of another", Ecu({0x41, 2, 6, 0x7F, 0x22, 0}), 6, leggi21, false},
            {"refusal of another, as PrjCom sends it", Ecu({0x41, 2, 6, 0x7F, 0x22, 0}, 3), 6, leggi21, false},
            {"refusal of this service, as PrjCom sends it", Ecu({0x41, 2, 6, 0x7F, 0x21, 0}, 3), 6, leggi21, true},
            {"service wraps past 0xFF", Ecu({0x41, 2, 6, 0x00, 1, 0}), 6, F({0x41, 2, 3, 0xC0, 0}), true},
            {"no ECU answer: nothing to compare", Ecu({}, 0), 6, leggi21, true},
            {"garbled answer: not judged", Ecu({0x41, 2, 6, 0x62, 1, 0}, 2), 6, leggi21, true},
        };
        for (const auto &c : casi)
            QVERIFY2(FramePipe::RispondeA(c.frame, quint8(c.comando), c.dati) == c.risponde, c.nome);
    }
    void sectionsAndRecords()
    {
        QStringList righe = Sezione(u"[msg]"_s, u"1"_s, u"UB,6,1"_s) + Sezione(u"[MSG]"_s, u"7"_s, u"UW, 6 ,10; SB,8,1"_s)
            + Sezione(u" [MSG]"_s, u"9"_s, u"UB,6,1"_s) + Sezione(u"[MSG]"_s, u"abc"_s, u"UB,6;UW,x,2;SB,9,3"_s);
        righe << u"[AttesaPipe_usec]"_s << u"3000000"_s << u"[solo USB]"_s << u"TRUE"_s << u"[FIRMWARE]"_s
              << u"4102"_s << u"[firmware]"_s << u"ABC"_s << u"[MolAttesaGlobale]"_s << u"many"_s
              << u"[AttesaGlobale_usec]"_s;
        TabellaMessaggi tab;
        ImpostazioniLink link;
        link.MolAttesaGlobale = 4;
        InterpretaSetCom(righe, tab, link);
        QCOMPARE(tab.size(), 3); // the section line with a leading blank is not one
        QVERIFY(tab[0].Id == 1 && tab[0].Offset == QVector<qint32>{6} && tab[0].Flag);
        QVERIFY(tab[1].Id == 7 && tab[1].Richiesta == u"41020321"_s);
        QVERIFY(tab[1].Tipi == QStringList({"UW", "SB"}) && tab[1].Scala == QVector<qint32>({10, 1}));
        // A malformed entry keeps its place; the number that is no number reads 0.
        QVERIFY(tab[2].Id == 0 && tab[2].Tipi.mid(1) == QStringList({"UW", "SB"}));
        QCOMPARE(tab[2].Offset.mid(1), (QVector<qint32>{0, 9}));
        QCOMPARE(link.ListaFirmware, (QList<QByteArray>{"\x41\x02", QByteArray("\x0A\xBC", 2)}));
        QCOMPARE((QList<qint64>{link.AttesaPipe_usec, link.SoloUsb, link.MolAttesaGlobale, link.AttesaGlobale_usec}),
                 (QList<qint64>{3000000, 1, 4, 0}));
        // No file: one empty record and one empty firmware.
        ServiziUiScriptati ui;
        CaricaSetCom(u"/nonexistent/SetCom.ini"_s, tab, link, ui);
        QVERIFY(tab.size() == 1 && link.ListaFirmware == QList<QByteArray>{QByteArray()});
    }
    // The expected firmware is in the first probe answer; a wait travels as its low 16 bits.
    void messagesAndWaits()
    {
        QCOMPARE(MessaggioEcu::ComponiMessaggio(0x41, 2, 16, QByteArray("\x01\x02", 2)),
                 QByteArray("\x41\x02\x05\x10\x01\x02\x55", 7));
        ImpostazioniLink link;
        link.AttesaGlobale_usec = 250000;
        link.MolAttesaGlobale = 4;
        QCOMPARE(Transazioni::DatiAttesa(link.AttesaEcuMs(true)), QByteArray("\xE8\x03\x00\x00", 4));
        QCOMPARE(Transazioni::DatiAttesa(link.AttesaEcuMs(false)), QByteArray("\xFA\x00\x00\x00", 4));
        QCOMPARE(Transazioni::DatiAttesa(70000), QByteArray("\x70\x11\x00\x00", 4));
        QCOMPARE(Avvio::FirmwareDaSonda(HexToStr(u"41020A610112345678FF"_s)), HexToStr(u"12345678"_s));
        QVERIFY(Avvio::FirmwareDaSonda(QByteArray(5, 'x')).isEmpty());
    }
    // Unscrambled, damaged or plain lines are refused.
    void scrambledLinesRefuseWhatIsNotOne()
    {
        QString s = CriptaRiga(u"Привіт ไทย"_s);
        QVERIFY(!s.contains(QLatin1Char('\r')) && !s.contains(QLatin1Char('\n')));
        QString fuori = u"x"_s;
        QVERIFY(!DecriptaRiga(u"[MSG]"_s, fuori) && fuori.isEmpty());
        s = CriptaRiga(u"KESTRONAX"_s);
        s[4] = s[4] == QLatin1Char('0') ? QLatin1Char('1') : QLatin1Char('0');
        QVERIFY(!DecriptaRiga(s, fuori));
    }
    void decodeAndEncode()
    {
        MsgRecord r = Record({{"SB", 1, 1}, {"SB", 1, 10}, {"UW", 2, 1}, {"SW", 4, 1},
                              {"SL", 5, 1}, {"SL", 9, 1}, {"UB", 1, 3}});
        // positions:           1 2 3 4 5    6 7 8 9     10..13;  SL reads P+1..P+4.
        QVERIFY(Blocco::DecodificaBlocco(Byte("FF3412FEFF" "00010000" "00000001"), r).isEmpty());
        QCOMPARE(r.Valori, (QVector<qint32>{-1, -10, 4660, -2, 1, 65536, 765}));
        // A variable outside the image keeps its value and is reported.
        r = Record({{"UB", 1, 1}, {"UW", 3, 1}, {"XX", 1, 1}});
        r.Valori = {0, 77, 5};
        QCOMPARE(Blocco::DecodificaBlocco(Byte("0102"), r), (QVector<int>{1, 2}));
        QCOMPARE(r.Valori, (QVector<qint32>{1, 77, 5}));
        // Scaled back with halves to even, and clamped to the type.
        r = Record({{"SB", 1, 1}, {"SB", 1, 1}, {"UB", 1, 10}, {"UB", 1, 10},
                    {"SB", 1, 10}, {"SB", 1, 10}, {"UW", 1, 1}, {"SW", 1, 1}});
        r.Valori = {200, -300, 25, 35, 25, -25, 0x1234, -2};
        QCOMPARE(Blocco::CodificaBlocco(r), Byte("7F80020402FD3412FEFF"));
        // The write layout is the read layout: a pad byte for the one "SL" skips.
        r = Record({{"UB", 1, 1}, {"SL", 1, 1}});
        r.Valori = {0, -123456789};
        MsgRecord letto = Record({{"SL", 1, 1}});
        Blocco::DecodificaBlocco(Blocco::CodificaBlocco(r), letto);
        QCOMPARE(letto.Valori[0], -123456789);
    }
    void liveAndProductionDerivedValues()
    {
        MsgRecord r = Record({{"UB", 1, 1}, {"UW", 2, 1}, {"UB", 1, 1}, {"UB", 1, 1},
                              {"UW", 4, 1}, {"UB", 1, 1}, {"UB", 6, 1}}, Blocco::IdDatiLive);
        AmbienteDecodifica amb;
        amb.SommaTempoInj_usec = 250.5;
        amb.Valore20Record3 = 2;
        // time 1000 us, period 5000, flags 1: 1250.5 goes to the even 1250, 30000000 / (5000 * 2)
        Blocco::DecodificaBlocco(Byte("00E80388130100"), r, amb);
        QCOMPARE((QList<qint32>{r.Valori[1], r.Valori[4]}), (QList<qint32>{1250, 3000}));
        Blocco::DecodificaBlocco(Byte("00E80388130000"), r, amb);
        QCOMPARE(r.Valori[4], 0); // engine data not valid
        // The speed needs its period and the state, whatever the other values.
        MsgRecord senza5 = r;
        senza5.Offset[5] = 9;
        Blocco::DecodificaBlocco(Byte("00E80388130100"), senza5, amb);
        QCOMPARE(senza5.Valori[4], 3000);
        amb.Valore20Record3.reset();
        Blocco::DecodificaBlocco(Byte("00000088130100"), r, amb);
        QCOMPARE((QList<qint32>{r.Valori[1], r.Valori[4]}), (QList<qint32>{0, 5000})); // no time, no factor
        amb.InterpolazioneAttiva = true;
        amb.ConvertiMapSens = [](qint32 v) { return v + 1000; };
        Blocco::DecodificaBlocco(Byte("00000088130100"), r, amb);
        QCOMPARE(r.Valori[5], 1000);
        // Production value 6: 3 reads as 8, the rest as they are.
        MsgRecord p = Record({{"UB", 1, 1}, {"UB", 1, 1}, {"UB", 1, 1}, {"UB", 1, 1},
                              {"UB", 1, 1}, {"UB", 1, 1}, {"UB", 2, 1}}, Blocco::IdProduzione);
        for (const auto &[byte, valore] : {std::pair{"0003", 8}, {"0004", 4}, {"0006", 6}}) {
            Blocco::DecodificaBlocco(Byte(byte), p);
            QCOMPARE(p.Valori[6], valore);
        }
    }
    void scaleSectionsInTheirLineOrder()
    {
        ServiziUiScriptati ui;
        TabelleScala t;
        t.CaricaScale({"[InjType_012]", "Fast 2 ohm", "1", "3", "2", "4", "6", "5",
                       "[GasLevel_03]", " Tank A ", "7", "100", "200", "300", "400", "9",
                       "[Lambda_04]", "Narrow", "450", "900", "", "", "", "",
                       "[SensTemp_02]", "NTC 4k7", "11", "[SensPress_05]", "MAP 5 bar", "22",
                       "[SommaTempoInj_usec]", "250,5", "[Parametri Fine Gas]", "1",
                       "[Parametri Abilitazioni]", "0", "[Rpm di commutazione]", "1000|1200"}, ui);
        QVERIFY(ui.mostrati.isEmpty() && t.TabIniettori.size() == 1 && t.TabIniettori[0].Codice == 12);
        QCOMPARE(t.TabIniettori[0].P, (std::array<qint32, 6>{1, 2, 3, 4, 5, 6}));
        QCOMPARE(t.TabLivello[0].Nome, u"Tank A"_s);
        QCOMPARE(t.TabLivello[0].Soglie, (std::array<qint32, 6>{0, 100, 200, 300, 400, 1023}));
        QCOMPARE((QList<qsizetype>{t.TabLambda[0].Codice, t.TabLambda[0].Parametri[1], t.TabSensTemp[0].Posizione,
                                t.TabSensPress[0].Codice, t.IndiceDaCodice(7), t.IndiceDaCodice(8)}),
                 (QList<qsizetype>{4, 900, 2, 22, 0, -1}));
        QVERIFY(t.SommaTempoInj_usec == 250.5 && t.MostraFineGas && !t.MostraAbilitazioni);
        // A value that is no number is told, and the reading goes on.
        TabelleScala u;
        u.CaricaScale({"[InjType_001]", "A", "x", "3", "2", "4", "6", "5", "[SensTemp_01]", "T", "5"}, ui);
        QCOMPARE(ui.mostrati.size(), 1);
        QVERIFY(ui.mostrati[0].testo.startsWith(u"LeggiTipo_Inj_SensLevel_Lambda: "_s));
        QCOMPARE(ui.mostrati[0].titolo, u"Config sensor error"_s);
        // No level sensors at all.
        QVERIFY(u.TabIniettori[0].P[2] == 3 && u.TabSensTemp.size() == 1 && u.IndiceDaCodice(0) == -1);
        QCOMPARE(TabelleScala::CostanteGiri(2), 15000000);
    }
    // The scrambled file wins over the built-in table.
    void configurationFileWinsOverBuiltIn()
    {
        ServiziUiScriptati ui;
        QTemporaryDir dir;
        const QString percorso = dir.filePath(u"ConfigScale.ini"_s);
        QVERIFY(TabelleScala::CaricaConfigScale(percorso, ui).contains(u"[SommaTempoInj_usec]"_s));
        Scrivi(percorso, (CriptaRiga(IntestazioneCriptata()) + "\r\n"_L1 + CriptaRiga(u"[Only]"_s)).toUtf8());
        QCOMPARE(TabelleScala::CaricaConfigScale(percorso, ui), QStringList{"[Only]"});
        // map.ini: missing, nothing happens; tables too short, or another sensor type: unchanged.
        TabelleScala t;
        t.CaricaMapIni(dir.filePath(u"map.ini"_s), ui);
        QCOMPARE(t.ConvertiMapSens(500, 0), 500);
        QStringList tab, d5, d4;
        for (int i = 0; i < 128; ++i)
            tab << QString::number(i * 8), d5 << QString::number(i * 2), d4 << QString::number(i);
        Scrivi(dir.filePath(u"map.ini"_s), QStringList{"[tabMapSens5Bar]", tab.join(','), "[decodeMapSens5Bar]",
                                                       d5.join(','), "[decodeMapSens4Bar]", d4.join(','), ""}
                                               .join("\r\n"_L1).toUtf8());
        t.CaricaMapIni(dir.filePath(u"map.ini"_s), ui);
        QCOMPARE(t.ConvertiMapSens(40, 1), 40);
        // 40 <= tab(5) = 40; decode5(5) = 10; first decode4 >= 10 is k = 10: tab(10) = 80
        QCOMPARE(t.ConvertiMapSens(40, 0), 80);
        QCOMPARE(t.ConvertiMapSens(5000, 0), 0); // beyond the table: no index up to 127 fits
    }
    void writeQueue()
    {
        CodaScrittura coda;
        QVector<qint32> valori{0, 0, 7, 0, 0xF0};
        coda.Aggiungi(1, 4, 8);    // set bit 3
        coda.Aggiungi(0, 2, 0);    // replace with 0 even if 0
        coda.Aggiungi(0, 4, 0x10); // clear bit 4
        coda.Aggiungi(5, 99, 0);   // outside the record: skipped
        coda.Applica(valori);
        QCOMPARE(valori, (QVector<qint32>{0, 0, 0, 0, 0xE8}));
        // Entries appended during a write stay for the next one.
        const qsizetype n = coda.Numero();
        coda.Aggiungi(3, 1, 0);
        coda.Consuma(n);
        QVERIFY(coda.Numero() == 1 && coda.Voci()[0].Indice == 1);
        coda.Consuma(1);
        QVERIFY(coda.Vuota() && coda.Voci()[0].Indice == -1);
    }
    // A byte that no name shows is compared raw, from the block's first data byte on.
    void unnamedBytesComparedRaw()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        CaricaSetCom(QStringLiteral(GASCAL_BIN "/SetCom.ini"), ctx.TabMsg, ctx.impLink, ui);
        const QByteArray mappa = Leggi(QStringLiteral(GASCAL_SOURCE "/tests/fuzz/corpus/fuzz_definizioni/map.var"));
        ConfrontoMappe confronto(ctx);
        QVERIFY(confronto.LeggiTesto(mappa, u"A"_s, ConfrontoMappe::A));
        QVERIFY(confronto.LeggiTesto(BancoEcu::CambiaByte(mappa, "[BLK_3]", 6, 0x5A), u"B"_s, ConfrontoMappe::B));
        QCOMPARE(confronto.Differenze().size(), 1);
    }
    // Every reader of a user's file refuses at once, saying why, what is no regular file or far too big.
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
            QVERIFY(!confronto.LeggiFile(percorso, ConfrontoMappe::A));
            QVERIFY(!FileCampioni::CaricaCampioni(percorso, tabelle, &errore));
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
    // CR LF or LF, with or without a byte-order mark: read alike, without a message.
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
        QVERIFY(ui.Testi().size() == 1 && ui.Testi()[0].contains(u"[InjType_012]"_s)
                && ui.Testi()[0].contains(u"Input past end of file"_s));
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
    // An empty block line leaves its record without an image; the rest is read.
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
        QCOMPARE(ctx.TabMsg[Contesto::RecConfig].Valori[0], 7);
        QVERIFY2(ui.mostrati.isEmpty(), qPrintable(ui.Testi().join(QLatin1Char('|'))));
    }
};

GASCAL_PROVA(TstBlocco)
#include "tst_blocco.moc"
