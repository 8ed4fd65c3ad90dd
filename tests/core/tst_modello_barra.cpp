// The live bar's display rules without a window: the message table and the
// connection state in, what the bar and the copy of the switch-over button
// show out, with both clocks stepped by the test.
#include "RegistroProve.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "datalog/ModelloBarra.h"

#include <QTest>

using namespace gascal;
using Colore = VistaBarra::Colore;
using ColoreLed = VistaCommutatore::Colore;
Q_DECLARE_METATYPE(Colore)
Q_DECLARE_METATYPE(ColoreLed)

namespace {

const QDateTime Lettura(QDate(2024, 3, 5), QTime(10, 20, 30));

// A context with an empty message table, connected (the values are live
// unless a test says not), the comma as decimal separator.
struct Banco {
    ServiziUiScriptati ui;
    Contesto ctx{ui};
    ModelloBarra modello{ctx};

    Banco()
    {
        ctx.TabMsg.resize(7);
        for (MsgRecord &r : ctx.TabMsg)
            r.Dimensiona(32);
        ctx.imp.SepDecimale = QStringLiteral(",");
        ctx.stato.StatoProgramma = StatoApp::Connesso;
    }
    void Imposta(int n, int k, qint32 v) { ctx.TabMsg[n].Valori[k] = v; }
    const VistaBarra &Valori(const QDateTime &ora = Lettura) { return modello.AggiornaValori(ora); }
    void Scollega() { ctx.stato.ErroreComunicazione = 1; }
};

// The filled segments, lowest first, as '1' and '0'.
QString Segmenti(const VistaBarra &v)
{
    QString s;
    for (bool pieno : v.segmenti)
        s += pieno ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}

// The lit pictures: petrol, gas, key, valve.
QString Figure(const VistaBarra &v)
{
    QString s;
    for (bool accesa : {v.benzina, v.gas, v.chiave, v.valvola})
        s += accesa ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}

} // namespace

class TstModelloBarra : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The date of old values is written in the user's short format.
        QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    }

    void valuesFollowTheIgnitionTheEngineAndTheFuel_data()
    {
        QTest::addColumn<int>("stato");
        QTest::addColumn<int>("giri");
        QTest::addColumn<int>("carburante");
        QTest::addColumn<QString>("segmenti");
        QTest::addColumn<QString>("testoGiri");
        QTest::addColumn<QString>("figure"); // petrol, gas, key, valve
        QTest::addColumn<QString>("benzina");
        QTest::addColumn<QString>("gas");
        QTest::addColumn<QString>("pressione");

        const QString nessunMs = QStringLiteral(" - -  (ms) ");
        QTest::newRow("ignition off") << 0 << 3000 << 3 << "00000000000000" << " - -  (rpm)" << "0000"
                                      << nessunMs << nessunMs << " - -  (bar)";
        QTest::newRow("only the valve bit: not valid")
            << 2 << 3000 << 3 << "00000000000000" << " - -  (rpm)" << "0000" << nessunMs << nessunMs << " - -  (bar)";
        QTest::newRow("at the first threshold") << 1 << 500 << 0 << "00000000000000" << "500 (rpm)" << "1010"
                                                << "2,34 (ms) " << nessunMs << "1,20 (bar)";
        QTest::newRow("just above it") << 1 << 501 << 0 << "10000000000000" << "501 (rpm)" << "1010"
                                       << "2,34 (ms) " << nessunMs << "1,20 (bar)";
        QTest::newRow("2000 rpm on petrol") << 1 << 2000 << 0 << "11111000000000" << "2000 (rpm)" << "1010"
                                            << "2,34 (ms) " << nessunMs << "1,20 (bar)";
        QTest::newRow("on gas, valve open") << 3 << 2000 << 3 << "11111000000000" << "2000 (rpm)" << "0111"
                                            << "2,34 (ms) " << "1,00 (ms) " << "1,20 (bar)";
        QTest::newRow("another fuel code is petrol") << 3 << 2000 << 2 << "11111000000000" << "2000 (rpm)" << "1011"
                                                     << "2,34 (ms) " << nessunMs << "1,20 (bar)";
        QTest::newRow("a transient: still valid") << 5 << 2000 << 0 << "11111000000000" << "2000 (rpm)" << "1010"
                                                  << "2,34 (ms) " << nessunMs << "1,20 (bar)";
        QTest::newRow("above the last threshold") << 1 << 5601 << 0 << "11111111111111" << "5601 (rpm)" << "1010"
                                                  << "2,34 (ms) " << nessunMs << "1,20 (bar)";
    }

    void valuesFollowTheIgnitionTheEngineAndTheFuel()
    {
        QFETCH(int, stato);
        QFETCH(int, giri);
        QFETCH(int, carburante);
        Banco b;
        b.Imposta(1, 6, stato);
        b.Imposta(1, 4, giri);
        b.Imposta(2, 1, carburante);
        b.Imposta(1, 0, 1000);
        b.Imposta(1, 1, 2345);
        b.Imposta(1, 2, 20000);
        b.Imposta(1, 5, 1200);
        b.Imposta(1, 9, 65);
        const VistaBarra &v = b.Valori();
        QTEST(Segmenti(v), "segmenti");
        QTEST(v.giri, "testoGiri");
        QTEST(Figure(v), "figure");
        QTEST(v.tempoBenzina, "benzina");
        QTEST(v.tempoGas, "gas");
        QTEST(v.pressione, "pressione");
        // The temperature is read with the ignition off too.
        QCOMPARE(v.temperatura, QStringLiteral("65 (c)"));
        QVERIFY(v.dalVivo);
    }

    void theBarFallsOneSegmentPerRefreshAfterTheIgnitionGoesOff()
    {
        Banco b;
        b.Imposta(1, 6, 3);
        b.Imposta(1, 4, 6000);
        b.Imposta(2, 1, 3);
        b.Imposta(1, 0, 500);
        b.Imposta(1, 2, 500); // the gas time at its limit: red
        QCOMPARE(Segmenti(b.Valori()), QStringLiteral("11111111111111"));
        QCOMPARE(b.modello.Vista().coloreTempoGas, Colore::Rosso);

        b.Imposta(1, 6, 0);
        for (int accesi = 13; accesi >= 0; --accesi) {
            const VistaBarra &v = b.Valori();
            QCOMPARE(Segmenti(v), QString(QString(accesi, QLatin1Char('1')) + QString(14 - accesi, QLatin1Char('0'))));
            // The gas time is gone but keeps its last colour.
            QCOMPARE(v.tempoGas, QStringLiteral(" - -  (ms) "));
            QCOMPARE(v.coloreTempoGas, Colore::Rosso);
        }
        QCOMPARE(Segmenti(b.Valori()), QString(14, QLatin1Char('0')));
        // Back on: the bar jumps to the engine speed at once.
        b.Imposta(1, 6, 1);
        b.Imposta(1, 4, 1500);
        QCOMPARE(Segmenti(b.Valori()), QStringLiteral("11110000000000"));
    }

    void gasTimeWarning_data()
    {
        QTest::addColumn<int>("stato");
        QTest::addColumn<int>("carburante");
        QTest::addColumn<int>("sensibilita"); // record 3 value 26
        QTest::addColumn<int>("tempoGas");    // record 1 value 0
        QTest::addColumn<int>("limite");      // record 1 value 2
        QTest::addColumn<int>("correzione");  // record 1 value 3
        QTest::addColumn<int>("tempoBenzina"); // record 1 value 1
        QTest::addColumn<int>("minimo");      // record 3 value 16
        QTest::addColumn<Colore>("colore");

        QTest::newRow("well inside") << 1 << 3 << 0 << 1000 << 5000 << 0 << 2000 << 100 << Colore::Nero;
        QTest::newRow("margin reaches the limit") << 1 << 3 << 3 << 1000 << 4 * 96 + 1000 << 0 << 2000 << 100 << Colore::Rosso;
        QTest::newRow("margin one below it") << 1 << 3 << 3 << 1000 << 4 * 96 + 1001 << 0 << 2000 << 100 << Colore::Nero;
        QTest::newRow("sensitivity 0 is one step") << 1 << 3 << 0 << 1000 << 1096 << 0 << 2000 << 100 << Colore::Rosso;
        QTest::newRow("petrol time below the minimum") << 1 << 3 << 0 << 1000 << 5000 << 0 << 2000 << 3000 << Colore::Rosso;
        QTest::newRow("petrol and correction at the minimum") << 1 << 3 << 0 << 1000 << 5000 << 100 << 2900 << 3000 << Colore::Nero;
        QTest::newRow("a negative correction takes it below") << 1 << 3 << 0 << 1000 << 5000 << -200 << 3100 << 3000 << Colore::Rosso;
        QTest::newRow("on petrol never red") << 1 << 0 << 0 << 1000 << 5000 << 0 << 2000 << 3000 << Colore::Nero;
        QTest::newRow("ignition off: no colour chosen") << 0 << 3 << 0 << 1000 << 5000 << 0 << 2000 << 3000 << Colore::Nessuno;
    }

    void gasTimeWarning()
    {
        QFETCH(int, stato);
        QFETCH(int, carburante);
        QFETCH(int, sensibilita);
        QFETCH(int, tempoGas);
        QFETCH(int, limite);
        QFETCH(int, correzione);
        QFETCH(int, tempoBenzina);
        QFETCH(int, minimo);
        Banco b;
        b.Imposta(1, 6, stato);
        b.Imposta(2, 1, carburante);
        b.Imposta(3, 26, sensibilita);
        b.Imposta(1, 0, tempoGas);
        b.Imposta(1, 2, limite);
        b.Imposta(1, 3, correzione);
        b.Imposta(1, 1, tempoBenzina);
        b.Imposta(3, 16, minimo);
        QTEST(b.Valori().coloreTempoGas, "colore");
    }

    // Refreshes at a fixed step from t = step; each character is one refresh.
    void ledsBlinkInTheirPhases_data()
    {
        QTest::addColumn<int>("parola");
        QTest::addColumn<int>("stato");
        QTest::addColumn<int>("led");
        QTest::addColumn<ColoreLed>("colore");
        QTest::addColumn<double>("passo_us");
        QTest::addColumn<QString>("accesa");

        const double fase = ModelloBarra::PassoFase_us + 1; // one phase per refresh
        QTest::newRow("level 3/4 slow") << 0x200 << 1 << 0 << ColoreLed::Verde << fase << "011001100110";
        QTest::newRow("level 2/4 fast") << 0x40 << 1 << 1 << ColoreLed::Verde << fase << "101010101010";
        QTest::newRow("level 1/4 steady") << 0x30 << 1 << 2 << ColoreLed::Verde << fase << "111111111111";
        QTest::newRow("reserve off") << 0xFFF3 << 1 << 3 << ColoreLed::Verde << fase << "000000000000";
        QTest::newRow("petrol fast") << 0x1 << 1 << 4 << ColoreLed::Rosso << fase << "101010101010";
        QTest::newRow("petrol steady, ignition off") << 0x3 << 0 << 4 << ColoreLed::Rosso << fase << "111111111111";
        QTest::newRow("alarm fast") << 0x1000 << 1 << 5 << ColoreLed::Rosso << fase << "101010101010";
        QTest::newRow("alarm, ignition off") << 0x3000 << 0 << 5 << ColoreLed::Rosso << fase << "000000000000";
        QTest::newRow("gas slow") << 0x800 << 1 << 6 << ColoreLed::Arancione << fase << "011001100110";
        QTest::newRow("gas, ignition off") << 0xC00 << 2 << 6 << ColoreLed::Arancione << fase << "000000000000";
        // A phase lasts more than 200 ms: at 100 ms it holds three refreshes.
        QTest::newRow("fast at 100 ms") << 0x40 << 1 << 1 << ColoreLed::Verde << 100e3 << "111000111000";
        QTest::newRow("slow at 100 ms") << 0x80 << 1 << 1 << ColoreLed::Verde << 100e3 << "000111111000";
    }

    void ledsBlinkInTheirPhases()
    {
        QFETCH(int, parola);
        QFETCH(int, stato);
        QFETCH(int, led);
        QFETCH(ColoreLed, colore);
        QFETCH(double, passo_us);
        QFETCH(QString, accesa);
        Banco b;
        b.Imposta(1, 10, parola);
        b.Imposta(1, 6, stato);
        QString visto;
        for (int i = 1; i <= accesa.size(); ++i) {
            const ColoreLed c = b.modello.AggiornaCommutatore(i * passo_us).led[led];
            QVERIFY2(c == colore || c == ColoreLed::Spento, qPrintable(QString::number(i)));
            visto += c == colore ? QLatin1Char('1') : QLatin1Char('0');
        }
        QCOMPARE(visto, accesa);
    }

    // Beeps of each refresh at 100 ms from t = 100 ms.
    void buzzerCadence_data()
    {
        QTest::addColumn<int>("parola");
        QTest::addColumn<int>("stato");
        QTest::addColumn<bool>("dalVivo");
        QTest::addColumn<QString>("beep");

        QTest::newRow("slow: once a second") << 0x4000 << 1 << true << "100000000001";
        QTest::newRow("fast: every refresh, a beat more") << 0x8000 << 1 << true << "211121112111";
        QTest::newRow("both: continuous") << 0xC000 << 1 << true << "111111111111";
        QTest::newRow("LEDs only") << 0x3FFF << 1 << true << "000000000000";
        QTest::newRow("ignition off") << 0xC000 << 2 << true << "000000000000";
        QTest::newRow("old values do not beep") << 0xC000 << 1 << false << "000000000000";
    }

    void buzzerCadence()
    {
        QFETCH(int, parola);
        QFETCH(int, stato);
        QFETCH(bool, dalVivo);
        QFETCH(QString, beep);
        Banco b;
        b.Imposta(1, 10, parola);
        b.Imposta(1, 6, stato);
        if (!dalVivo)
            b.Scollega();
        QString visto;
        for (int i = 1; i <= beep.size(); ++i)
            visto += QString::number(b.modello.AggiornaCommutatore(i * 100e3).beep);
        QCOMPARE(visto, beep);
    }

    // '+' refreshes with the update marker set, '-' without it, 'S' switches
    // the button off (the user took an update file) without a refresh.
    void updateButtonBlinksWhileMarked_data()
    {
        QTest::addColumn<QString>("passi");
        QTest::addColumn<QString>("rosso");

        QTest::newRow("quiet") << "---" << "000";
        QTest::newRow("marked: every refresh flips") << "-+++++" << "010101";
        QTest::newRow("cleared in the red phase") << "+--" << "100";
        QTest::newRow("switched off, still marked") << "+S++" << "1010";
    }

    void updateButtonBlinksWhileMarked()
    {
        QFETCH(QString, passi);
        Banco b;
        QString visto;
        for (QChar p : passi) {
            if (p == QLatin1Char('S')) {
                b.modello.SpegniAggiornamento();
            } else {
                b.ctx.stato.MarcatoreAggiornamento = p == QLatin1Char('+') ? QStringLiteral("Lampeggia") : QString();
                b.Valori();
            }
            visto += b.modello.Vista().aggiornaRosso ? QLatin1Char('1') : QLatin1Char('0');
        }
        QTEST(visto, "rosso");
    }

    // The values are read live (at 10:20:30 on 5 March) or a file is loaded,
    // in the order given; then the link drops and the bar is refreshed at `ora`.
    void oldValuesSayWhereTheyComeFrom_data()
    {
        QTest::addColumn<QString>("passi"); // 'E' read live, 'F' a file loaded
        QTest::addColumn<QDateTime>("ora");
        QTest::addColumn<QString>("origine");
        QTest::addColumn<QString>("temperatura");

        const QDateTime stessoGiorno(QDate(2024, 3, 5), QTime(23, 59, 59));
        const QDateTime giornoDopo(QDate(2024, 3, 6), QTime(0, 0, 1));
        QTest::newRow("nothing read") << "" << stessoGiorno << "Not live: no ECU read yet" << " - -  (c)";
        QTest::newRow("read today") << "E" << stessoGiorno << "Not live: read at 10:20:30" << "41 (c)";
        QTest::newRow("read yesterday") << "E" << giornoDopo << "Not live: read on 05/03/24 at 10:20:30" << "41 (c)";
        QTest::newRow("a file") << "F" << stessoGiorno << "Not live: from def.xar" << "41 (c)";
        QTest::newRow("a file, then the ECU") << "FE" << stessoGiorno << "Not live: read at 10:20:30" << "41 (c)";
        QTest::newRow("the ECU, then a file") << "EF" << stessoGiorno << "Not live: from def.xar" << "41 (c)";
    }

    void oldValuesSayWhereTheyComeFrom()
    {
        QFETCH(QString, passi);
        QFETCH(QDateTime, ora);
        Banco b;
        b.Imposta(1, 6, 1);
        b.Imposta(1, 4, 2500);
        b.Imposta(1, 9, 41);
        for (QChar p : passi) {
            if (p == QLatin1Char('E')) {
                QVERIFY(b.Valori(Lettura).dalVivo);
            } else {
                b.modello.ValoriDaFile(QStringLiteral("def.xar"));
            }
        }
        b.Scollega();
        const VistaBarra &v = b.Valori(ora);
        QVERIFY(!v.dalVivo);
        QTEST(v.origine, "origine");
        QTEST(v.temperatura, "temperatura");
        // The old values stay.
        QCOMPARE(v.giri, QStringLiteral("2500 (rpm)"));
    }

    void unitsAndTextsFollowTheLanguage()
    {
        Banco b;
        b.ctx.diz.ImpostaTesti({QStringLiteral("GasCal"), QStringLiteral("[Frm_Barra_2]"),
                                QStringLiteral("letti alle %1"), QStringLiteral("letti il %1 alle %2"),
                                QStringLiteral("dal file %1"), QStringLiteral("nessuna lettura"),
                                QStringLiteral("giri/min"), QStringLiteral("msec"), QStringLiteral("bar rel"),
                                QStringLiteral("°C")});
        b.modello.CaricaLingua();
        b.Imposta(1, 6, 1);
        b.Imposta(1, 4, 2500);
        b.Imposta(1, 1, 3000);
        b.Imposta(1, 5, 1500);
        b.Imposta(1, 9, 70);
        const VistaBarra &v = b.Valori();
        QCOMPARE(v.giri, QStringLiteral("2500 (giri/min)"));
        QCOMPARE(v.tempoBenzina, QStringLiteral("3,00 (msec) "));
        QCOMPARE(v.tempoGas, QStringLiteral(" - -  (msec) "));
        QCOMPARE(v.pressione, QStringLiteral("1,50 (bar rel)"));
        QCOMPARE(v.temperatura, QStringLiteral("70 (°C)"));
        b.Scollega();
        QCOMPARE(b.Valori().origine, QStringLiteral("letti alle 10:20:30"));
        b.modello.ValoriDaFile(QStringLiteral("a.xar"));
        QCOMPARE(b.Valori().origine, QStringLiteral("dal file a.xar"));
    }
};

GASCAL_PROVA(TstModelloBarra)
#include "tst_modello_barra.moc"
