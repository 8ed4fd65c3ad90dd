// Blocks and the tables around them: decoding and encoding by a record's
// layout, derived live values, the scale configuration, map.ini's
// conversion and the write queue.
#include "RegistroProve.h"
#include "FileProva.h"
#include "app/ServiziUiScriptati.h"
#include "app/TestoByte.h"
#include "ecu/Blocco.h"
#include "ecu/CodaScrittura.h"
#include "ecu/TabelleScala.h"
#include "i18n/CifraRiga.h"

#include <QTemporaryDir>
#include <QTest>

using namespace gascal;
using namespace Qt::StringLiterals;

namespace {
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
} // namespace

class TstBlocco : public QObject
{
    Q_OBJECT
private slots:
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

        // The write layout is the read layout: a pad byte stands for the one
        // the "SL" variable skips.
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
        QVERIFY(ui.mostrati.isEmpty());
        QCOMPARE(t.TabIniettori.size(), 1);
        QCOMPARE(t.TabIniettori[0].Codice, 12);
        QCOMPARE(t.TabIniettori[0].P, (std::array<qint32, 6>{1, 2, 3, 4, 5, 6}));
        QCOMPARE(t.TabLivello[0].Nome, u"Tank A"_s);
        QCOMPARE(t.TabLivello[0].Soglie, (std::array<qint32, 6>{0, 100, 200, 300, 400, 1023}));
        QCOMPARE((QList<qsizetype>{t.TabLambda[0].Codice, t.TabLambda[0].Parametri[1], t.TabSensTemp[0].Posizione,
                                t.TabSensPress[0].Codice, t.IndiceDaCodice(7), t.IndiceDaCodice(8)}),
                 (QList<qsizetype>{4, 900, 2, 22, 0, -1}));
        QCOMPARE(t.SommaTempoInj_usec, 250.5);
        QVERIFY(t.MostraFineGas && !t.MostraAbilitazioni);

        // A value that is no number is told, and the reading goes on.
        TabelleScala u;
        u.CaricaScale({"[InjType_001]", "A", "x", "3", "2", "4", "6", "5", "[SensTemp_01]", "T", "5"}, ui);
        QCOMPARE(ui.mostrati.size(), 1);
        QVERIFY(ui.mostrati[0].testo.startsWith(u"LeggiTipo_Inj_SensLevel_Lambda: "_s));
        QCOMPARE(ui.mostrati[0].titolo, u"Config sensor error"_s);
        QCOMPARE(u.TabIniettori[0].P[2], 3);
        QCOMPARE(u.TabSensTemp.size(), 1);
        QCOMPARE(u.IndiceDaCodice(0), -1); // no level sensors at all
        QCOMPARE(TabelleScala::CostanteGiri(2), 15000000);
    }

    // The scrambled file wins over the built-in table; a plain one is read too.
    void configurationFileWinsOverBuiltIn()
    {
        ServiziUiScriptati ui;
        QTemporaryDir dir;
        const QString percorso = dir.filePath(u"ConfigScale.ini"_s);
        QVERIFY(TabelleScala::CaricaConfigScale(percorso, ui).contains(u"[SommaTempoInj_usec]"_s));
        Scrivi(percorso, (CriptaRiga(IntestazioneCriptata()) + "\r\n"_L1 + CriptaRiga(u"[Only]"_s)).toUtf8());
        QCOMPARE(TabelleScala::CaricaConfigScale(percorso, ui), QStringList{"[Only]"});
        Scrivi(percorso, "[Plain]\r\n");
        QCOMPARE(TabelleScala::CaricaConfigScale(percorso, ui), (QStringList{"[Plain]", ""}));

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
        QCOMPARE(coda.Numero(), 1);
        QCOMPARE(coda.Voci()[0].Indice, 1);
        coda.Consuma(1);
        QVERIFY(coda.Vuota());
        QCOMPARE(coda.Voci()[0].Indice, -1);
    }
};

GASCAL_PROVA(TstBlocco)
#include "tst_blocco.moc"
