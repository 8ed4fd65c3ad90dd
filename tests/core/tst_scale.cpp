#include "RegistroProve.h"
#include "app/ServiziUiScriptati.h"
#include "ecu/CodaScrittura.h"
#include "ecu/TabelleScala.h"
#include "i18n/CifraRiga.h"

#include <QTemporaryDir>
#include <QTest>

using namespace gascal;

namespace {
void Scrivi(const QString &percorso, const QStringList &righe)
{
    QFile f(percorso);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(righe.join(QStringLiteral("\r\n")).toUtf8());
}
} // namespace

class TstScale : public QObject
{
    Q_OBJECT
private slots:
    void parseSectionsInTheirLineOrder()
    {
        ServiziUiScriptati ui;
        TabelleScala t;
        t.CaricaScale({"[InjType_012]", "Fast 2 ohm", "1", "3", "2", "4", "6", "5",
                       "[GasLevel_03]", " Tank A ", "7", "100", "200", "300", "400", "9",
                       "[Lambda_04]", "Narrow", "450", "900", "", "", "", "",
                       "[SensTemp_02]", "NTC 4k7", "11",
                       "[SensPress_05]", "MAP 5 bar", "22",
                       "[SommaTempoInj_usec]", "250,5",
                       "[Parametri Fine Gas]", "1", "[Parametri Abilitazioni]", "0",
                       "[Rpm di commutazione]", "1000|1200"},
                      ui);
        QVERIFY(ui.mostrati.isEmpty());
        QCOMPARE(t.TabIniettori.size(), 1);
        QCOMPARE(t.TabIniettori[0].Codice, 12);
        QCOMPARE(t.TabIniettori[0].P, (std::array<qint32, 6>{1, 2, 3, 4, 5, 6}));
        QCOMPARE(t.TabLivello.size(), 1);
        QCOMPARE(t.TabLivello[0].Nome, QStringLiteral("Tank A"));
        QCOMPARE(t.TabLivello[0].Soglie, (std::array<qint32, 6>{0, 100, 200, 300, 400, 1023}));
        QCOMPARE(t.TabLambda[0].Codice, 4);
        QCOMPARE(t.TabLambda[0].Parametri[1], 900);
        QCOMPARE(t.TabSensTemp[0].Posizione, 2);
        QCOMPARE(t.TabSensPress[0].Codice, 22);
        QCOMPARE(t.SommaTempoInj_usec, 250.5);
        QVERIFY(t.MostraFineGas);
        QVERIFY(!t.MostraAbilitazioni);
        QCOMPARE(t.IndiceDaCodice(7), 0);
        QCOMPARE(t.IndiceDaCodice(8), -1);
    }

    void malformedValueIsReportedAndParsingGoesOn()
    {
        ServiziUiScriptati ui;
        TabelleScala t;
        t.CaricaScale({"[InjType_001]", "A", "x", "3", "2", "4", "6", "5", "[SensTemp_01]", "T", "5"}, ui);
        QCOMPARE(ui.mostrati.size(), 1);
        QVERIFY(ui.mostrati[0].testo.startsWith(QStringLiteral("LeggiTipo_Inj_SensLevel_Lambda: ")));
        QCOMPARE(ui.mostrati[0].titolo, QStringLiteral("Config sensor error"));
        QCOMPARE(t.TabIniettori[0].P[2], 3);
        QCOMPARE(t.TabSensTemp.size(), 1);
        QCOMPARE(t.IndiceDaCodice(0), -1); // no level sensors at all
        QCOMPARE(TabelleScala::CostanteGiri(2), 15000000);
        QCOMPARE(TabelleScala::CostanteGiri(4), 30000000);
    }

    void configurationFileWinsOverBuiltIn()
    {
        ServiziUiScriptati ui;
        QTemporaryDir dir;
        const QString percorso = dir.filePath(QStringLiteral("ConfigScale.ini"));
        const QStringList builtin = TabelleScala::CaricaConfigScale(percorso, ui);
        QVERIFY2(builtin.contains(QStringLiteral("[SommaTempoInj_usec]")), "built-in configuration");
        // A scrambled file is read through its header.
        QStringList righe{CriptaRiga(IntestazioneCriptata()), CriptaRiga(QStringLiteral("[Only]"))};
        Scrivi(percorso, righe);
        QCOMPARE(TabelleScala::CaricaConfigScale(percorso, ui), QStringList{"[Only]"});
        Scrivi(percorso, {"[Plain]", ""});
        QCOMPARE(TabelleScala::CaricaConfigScale(percorso, ui), (QStringList{"[Plain]", ""}));
    }

    void manifoldPressureConversion()
    {
        QTemporaryDir dir;
        const QString percorso = dir.filePath(QStringLiteral("map.ini"));
        TabelleScala t;
        ServiziUiScriptati ui;
        t.CaricaMapIni(percorso, ui); // missing: nothing happens
        QVERIFY(t.TabMapSens5Bar.isEmpty());
        QCOMPARE(t.ConvertiMapSens(500, 0), 500); // tables too short: unchanged
        QStringList tab, d5, d4;
        for (int i = 0; i < 128; ++i) {
            tab << QString::number(i * 8);
            d5 << QString::number(i * 2);
            d4 << QString::number(i);
        }
        Scrivi(percorso, {"[tabMapSens5Bar]", tab.join(','), "[decodeMapSens5Bar]", d5.join(','),
                          "[decodeMapSens4Bar]", d4.join(','), ""});
        t.CaricaMapIni(percorso, ui);
        QCOMPARE(t.TabMapSens5Bar.size(), 128);
        QCOMPARE(t.ConvertiMapSens(40, 1), 40); // other sensor type: unchanged
        // 40 <= tab(5) = 40; decode5(5) = 10; first decode4 >= 10 is k = 10: tab(10) = 80
        QCOMPARE(t.ConvertiMapSens(40, 0), 80);
        // Beyond the table: no index up to 127 fits.
        QCOMPARE(t.ConvertiMapSens(5000, 0), 0);
    }

    void writeQueue()
    {
        CodaScrittura coda;
        QVERIFY(coda.Vuota());
        QVector<qint32> valori{0, 0, 0, 0, 0xF0};
        coda.Aggiungi(1, 4, 8);  // set bit 3
        coda.Aggiungi(0, 2, 0);  // replace with 0 even if 0
        coda.Aggiungi(0, 4, 0x10); // clear bit 4
        coda.Aggiungi(5, 99, 0); // outside the record: skipped
        valori[2] = 7;
        coda.Applica(valori);
        QCOMPARE(valori[4], 0xE8);
        QCOMPARE(valori[2], 0);
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

GASCAL_PROVA(TstScale)
#include "tst_scale.moc"
