// The tuning profile and the line model, and the rules of the sequence that
// need no ECU: corrections, the pedestal guard, the low-speed countdown and
// the choices in the list.

#include "VistaProva.h"

#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "autotune/CalcolaModello.h"
#include "autotune/ProfiloTaratura.h"
#include "autotune/RettaAutotuning.h"
#include "autotune/SequenzaTaratura.h"

#include <QTemporaryDir>
#include <QTest>

using namespace gascal;

namespace {

ProfiloTaratura::Modello Modello(std::array<qint32, 9> pivot, std::array<qint32, 9> pendenze,
                                 std::array<qint32, 9> offset = {})
{
    ProfiloTaratura::Modello m{};
    std::copy(pivot.begin(), pivot.end(), m.begin());
    std::copy(offset.begin(), offset.end(), m.begin() + 9);
    std::copy(pendenze.begin(), pendenze.end(), m.begin() + 18);
    return m;
}

using Pivot9 = std::array<qint32, 9>;
constexpr Pivot9 PivotStd{0, 6, 10, 16, 27, 35, 41, 49, 55};
} // namespace
Q_DECLARE_METATYPE(Pivot9)
namespace {

// A program state with the records the sequence reads, and no link.
struct Banco {
    ServiziUiScriptati ui;
    Contesto ctx{ui};
    VistaProva vista;
    RettaAutotuning retta{ctx};
    SequenzaTaratura seq{ctx, vista, retta};
    Banco()
    {
        ctx.TabMsg.resize(7);
        for (int n : {1, 2, 3})
            ctx.TabMsg[n].Dimensiona(30);
        vista.seq = &seq;
    }
    void Live(qint32 petrol, qint32 corr, qint32 rpm, bool gira = true)
    {
        ctx.TabMsg[1].Valori[1] = petrol;
        ctx.TabMsg[1].Valori[3] = corr;
        ctx.TabMsg[1].Valori[4] = rpm;
        ctx.TabMsg[1].Valori[6] = gira ? 1 : 0;
    }
};

} // namespace

class TstProfilo : public QObject
{
    Q_OBJECT
private slots:
    void keyLinesTakeTheColumnOfTheFuel()
    {
        const QStringList righe{"Rpm minimi=800=900", "Attesa minimo ms=1500.5=2000",
                                "Rpm minimi =1=1",   // a blank before "=": not the key
                                "rpm minimi=2=2",    // case counts
                                "Rpm Massimo=2500",  // no CNG value: skipped for CNG only
                                "; a comment", "", "Unknown key=5=5"};
        ProfiloTaratura gpl;
        QVERIFY(gpl.ApplicaRighe(righe, false, ".").isEmpty());
        QCOMPARE(gpl.RpmMinimi, 800);
        QCOMPARE(gpl.AttesaMinimoMs, 1500.5);
        QCOMPARE(gpl.RpmMassimo, 2500);

        ProfiloTaratura cng;
        cng.RpmMassimo = 3000;
        QCOMPARE(cng.ApplicaRighe(righe, true, "."), QStringList{"Rpm Massimo"});
        QCOMPARE(cng.RpmMinimi, 900);
        QCOMPARE(cng.RpmMassimo, 3000);   // left as it was
    }

    void badValuesAreSkippedAndNamedOnce()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("ParaTun.txt");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Rpm minimi=abc=1\r\nTemp taratura==\r\nRpm Massimo=2,5=0\r\nNum Campioni minimo=7=7\r\n");
        f.close();
        ServiziUiScriptati ui;
        ProfiloTaratura p;
        p.CaricaProfiloTaratura(file, false, ui, ",");
        QCOMPARE(ui.mostrati.size(), 1);
        QVERIFY(ui.mostrati[0].testo.contains("Rpm minimi"));
        QVERIFY(ui.mostrati[0].testo.contains("Temp taratura"));
        QCOMPARE(p.RpmMassimo, 2);           // 2,5 with a comma: 2.5, halves to even
        QCOMPARE(p.NumCampioniMinimo, 7);
        QCOMPARE(p.RpmMinimi, 0);
    }

    void modelSectionsAndTheBuiltInProfile()
    {
        ProfiloTaratura p;
        p.ApplicaRighe({"[Profili di taratura CNG]", "x", "0|5|10|15|20|25|30|40|55", "x",
                        "1|2|3|4|5|6|7|8|9", "x", "-1|-2|-3|-4|-5|-6|-7|-8|-9",
                        "[Profili di taratura GPL]", "x", "0|1|2", "x", "", "x", ""},
                       false, ".");
        QCOMPARE(p.ModelloCng[1], 5);
        QCOMPARE(p.ModelloCng[9], -1);    // offsets come second
        QCOMPARE(p.ModelloCng[18], 1);    // slopes third
        QCOMPARE(p.ModelloGpl, ProfiloTaratura::Modello{});   // a short row: section not read

        // The built-in profile: every key in both columns, both models.
        const QStringList incorporate = ProfiloTaratura::RigheIncorporate();
        for (bool cng : {false, true}) {
            ProfiloTaratura b;
            QVERIFY(b.ApplicaRighe(incorporate, cng, ".").isEmpty());
            QVERIFY(b.RpmMassimo > 0 && b.NumCampioniCorrInj > 0 && b.TolleranzaMinimo > 0);
            QVERIFY(CalcolaModello(b.ModelloGpl, 768, 2800).has_value());
            QVERIFY(CalcolaModello(b.ModelloCng, 768, 2800).has_value());
        }
        int chiavi = 0;
        for (const QString &riga : incorporate)
            chiavi += riga.count('=') == 2 && !riga.startsWith(';');
        QCOMPARE(chiavi, 36);
    }

    void modelLine()
    {
        // Slopes of 60 thousandths per point: the line rises 6 % of the
        // correction per point and holds the correction at the idle point.
        const auto r = CalcolaModello(Modello(PivotStd, {0, 360, 600, 960, 1620, 2100, 2460, 2940, 3300}), 640, 1000);
        QVERIFY(r);
        QCOMPARE(r->Pivot, PivotStd);
        QCOMPARE(r->Retta[3], 10);                 // 1000 / 255 = 3.92: point 3, not 4
        // Pivots 230.4 -> 230 at point 6, so point 3 is 115 before the shift of 525.
        QCOMPARE(r->Retta[0], 8);                  // 525 / 64 = 8.2
        QCOMPARE(r->Retta[55], 41);                // (2112 + 525) / 64 = 41.2
    }

    void modelWithoutSlopesOnlyShifts()
    {
        const auto a = CalcolaModello(Modello(PivotStd, {}, {0, 0, 0, 0, 640, 640, 640, 640, 640}), 128, 2800);
        const auto b = CalcolaModello(Modello(PivotStd, {}, {0, 0, 0, 0, 640, 640, 640, 640, 640}), 1280, 2800);
        QVERIFY(a && b);
        for (int j = 0; j < 56; ++j)
            QCOMPARE(b->Retta[j] - a->Retta[j], 18);   // (1280 - 128) / 64
        QCOMPARE(a->Retta[10], 2);
    }

    void modelErrors_data()
    {
        QTest::addColumn<Pivot9>("pivot");
        QTest::addColumn<qint32>("tempo");
        QTest::newRow("idle at 56 x 255 us") << PivotStd << 14280;
        QTest::newRow("idle just inside") << PivotStd << 14279;
        QTest::newRow("pivot beyond 55") << Pivot9{0, 6, 10, 16, 27, 35, 41, 49, 56} << 2800;
        QTest::newRow("equal pivots") << Pivot9{0, 6, 6, 16, 27, 35, 41, 49, 55} << 2800;
        QTest::newRow("falling pivots") << Pivot9{0, 6, 10, 8, 27, 35, 41, 49, 55} << 2800;
    }
    void modelErrors()
    {
        QFETCH(Pivot9, pivot);
        QFETCH(qint32, tempo);
        const bool valido = tempo == 14279;
        QCOMPARE(CalcolaModello(Modello(pivot, {}), 640, tempo).has_value(), valido);
        // A product beyond 32 bits.
        QVERIFY(!CalcolaModello(Modello(PivotStd, {2000000000, 0, 0, 0, 0, 0, 0, 0, 0}), 1000000, 2800));
    }

    void correctionsAreLimitedAndQuantized_data()
    {
        QTest::addColumn<qint32>("scarto");
        QTest::addColumn<qint32>("massimo");
        QTest::addColumn<qint32>("attesa");
        QTest::newRow("100 us -> 128") << 100 << 1000 << 128;
        QTest::newRow("32 us -> 0 (half to even)") << 32 << 1000 << 0;
        QTest::newRow("96 us -> 128") << 96 << 1000 << 128;
        QTest::newRow("-500 limited to -200 -> -192") << -500 << 200 << -192;
        QTest::newRow("+500 limited to 200 -> 192") << 500 << 200 << 192;
    }
    void correctionsAreLimitedAndQuantized()
    {
        QFETCH(qint32, scarto);
        QFETCH(qint32, massimo);
        QFETCH(qint32, attesa);
        // A deviation of scarto at 100 %: the correction asked is the deviation.
        QCOMPARE(SequenzaTaratura::Correzione(3000 + scarto, 3000, 100, massimo), attesa);
    }

    void pedestalGuardLiftsTheCorrection()
    {
        Banco b;
        b.ctx.TabMsg[3].Valori[16] = 1992;
        b.Live(1500, 0, 800);
        qint32 corr = -128;
        QVERIFY(b.seq.VerificaGuardiaPiedistallo(corr));   // guard off
        QCOMPARE(corr, -128);
        b.ctx.TabMsg[3].Valori[6] = 1;
        QVERIFY(!b.seq.VerificaGuardiaPiedistallo(corr));
        QCOMPARE(corr, 512);                 // (1992 - 1500) / 64 = 7.7 -> 8 steps
        corr = 512;
        QVERIFY(b.seq.VerificaGuardiaPiedistallo(corr));   // 2012 is above the pedestal
    }

    void lowSpeedCountdown()
    {
        Banco b;
        b.seq.profilo.RpmMinimi = 500;
        b.seq.ContaGiriBassi = 10;
        b.Live(2800, 0, 300);
        for (int i = 0; i < 11; ++i)
            QCOMPARE(b.seq.RegolaGiri(), SequenzaTaratura::Completato);   // 10 .. 0 .. -1
        b.Live(2800, 0, 800);                                              // one good reading
        QCOMPARE(b.seq.RegolaGiri(), SequenzaTaratura::Completato);
        QCOMPARE(b.seq.ContaGiriBassi, 10);
        b.Live(2800, 0, 0);
        for (int i = 0; i < 11; ++i)
            QCOMPARE(b.seq.RegolaGiri(), SequenzaTaratura::Completato);
        QCOMPARE(b.seq.RegolaGiri(), SequenzaTaratura::GiriBassi);        // the countdown ran out
        b.Live(2800, 0, 800, false);
        QCOMPARE(b.seq.RegolaGiri(), SequenzaTaratura::MotoreFermo);
    }

    void choicesInTheList()
    {
        Banco b;
        b.vista.seq = nullptr;   // the test answers by hand
        b.ctx.scale.TabIniettori.resize(3);
        b.seq.CaricaSelezioneAlimentazione();
        QCOMPARE(b.vista.voci.size(), 2);
        QVERIFY(b.vista.acceptAbilitato);
        b.seq.Accetta(-1);                   // Accept with nothing selected: still pending
        QCOMPARE(b.seq.SelAlimentazione, -2);
        b.seq.Scegli(1);                     // the second fuel entry stores 8
        QCOMPARE(b.seq.SelAlimentazione, 8);
        QVERIFY(!b.vista.acceptAbilitato);
        b.seq.CaricaSelezioneIniettore();
        QCOMPARE(b.seq.SelIniettore, -2);
        b.seq.Accetta(2);                    // Accept picks the selected entry
        QCOMPARE(b.seq.SelIniettore, 2);
        QCOMPARE(b.seq.SelAlimentazione, 8);

        b.ctx.scale.TabIniettori.resize(1);  // a single type: no choice to make
        b.seq.CaricaSelezioneIniettore();
        QCOMPARE(b.seq.SelIniettore, 0);
    }

    void goAndStopOutsideARun()
    {
        Banco b;
        b.ctx.stato.StatoProgramma = StatoApp::Offline;
        QVERIFY(!b.seq.Go());
        b.ctx.stato.StatoProgramma = StatoApp::Connesso;
        b.seq.StopTaratura = true;
        QVERIFY(b.seq.Go());
        QCOMPARE(b.ctx.stato.AutotuningRichiesto, quint8(1));
        QVERIFY(!b.seq.StopTaratura);
        QCOMPARE(b.seq.profilo.RpmMinimi, 200);
        QCOMPARE(b.seq.profilo.TempTaratura, 50);
        QVERIFY(b.seq.Ferma());   // no run going: the window may close
    }
};

QTEST_MAIN(TstProfilo)
#include "tst_profilo.moc"
