// The tuning profile and the line model, and the rules of the sequence that
// need no ECU: corrections, the pedestal guard, the low-speed countdown and
// the choices in the list.

#include "RegistroProve.h"
#include "OrologioPasso.h"
#include "VistaProva.h"

#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "autotune/CalcolaModello.h"
#include "autotune/ControlloProfilo.h"
#include "autotune/ProfiloTaratura.h"
#include "autotune/RettaAutotuning.h"
#include "autotune/SequenzaTaratura.h"

#include <QRegularExpression>
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
        // The page refuses these on reload: the model must not make them.
        QTest::newRow("first pivot not 0") << Pivot9{2, 6, 10, 16, 27, 35, 41, 49, 55} << 2800;
        QTest::newRow("last pivot not 55") << Pivot9{0, 6, 10, 16, 27, 35, 41, 49, 54} << 2800;
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

    void modelLineMustFitThePoints()
    {
        // Points beyond what a point holds (-128..127 steps) are refused, not
        // clamped: the built-in slopes at a 4000 us correction put point 55 at 231.
        const Pivot9 pendenze{0, 360, 600, 960, 1620, 2100, 2460, 2940, 3300};
        QVERIFY(CalcolaModello(Modello(PivotStd, pendenze), 1500, 2800));
        QVERIFY(!CalcolaModello(Modello(PivotStd, pendenze), 4000, 2800));
        // An offset within a point's range, shifted by the anchor past it.
        const Pivot9 offset{0, 0, 0, 0, 0, 0, 0, 0, -8192};
        QVERIFY(CalcolaModello(Modello(PivotStd, {}, offset), 640, 2800));
        QVERIFY(!CalcolaModello(Modello(PivotStd, {}, offset), -640, 2800));
    }

    // Each row spoils one line of the built-in profile; the loader skips it
    // and names it, and the autotuning refuses to start, naming the profile,
    // the key and its range.
    void valuesOutsideTheirRangesAreRefused_data()
    {
        QTest::addColumn<QString>("chiave");   // a key, or the row of the LPG model
        QTest::addColumn<QString>("valore");
        QTest::addColumn<QString>("motivo");   // empty: accepted
        QTest::newRow("built-in as it is") << "" << "" << "";
        QTest::newRow("lowest speed") << "Rpm minimi" << "5005500=500" << "LPG column, Rpm minimi: 5005500 is outside 0..1500 rpm";
        QTest::newRow("negative speed") << "Rpm Massimo" << "2500=-2500" << "CNG column, Rpm Massimo: -2500 is outside 0..7000 rpm";
        QTest::newRow("endless wait") << "Attesa minimo ms" << "1e20=5000" << "Attesa minimo ms: 1e+20 is outside 0..600000 ms";
        QTest::newRow("percent") << "Step di Correzione inj %" << "170=70" << "Step di Correzione inj %: 170 is outside 0..100 %";
        QTest::newRow("count") << "Num Campioni corr inj" << "-1=20" << "Num Campioni corr inj: -1 is outside 0..10000";
        QTest::newRow("beyond 32 bits") << "Cicli in tolleranza inj" << "3e9=2" << "3000000000 is outside 0..1000";
        QTest::newRow("highest speed kept") << "Rpm Massimo" << "7000=0" << "";
        QTest::newRow("offsets") << "offsets" << "0|0|0|0|0|0|0|0|99999"
                                 << "[Profili di taratura GPL] offsets 0|0|0|0|0|0|0|0|99999: 99999 is outside -8192..8128 us";
        QTest::newRow("negative offsets") << "offsets" << "-99999|0|0|0|0|0|0|0|0" << "-99999 is outside -8192..8128 us";
        QTest::newRow("slopes") << "slopes" << "0|2147483647|0|0|0|0|0|0|0" << "2147483647 is outside -10000..10000";
        QTest::newRow("first pivot") << "pivots" << "1|6|10|16|27|35|41|49|55"
                                     << "pivots 1|6|10|16|27|35|41|49|55: the first pivot must be 0, the last 55";
        QTest::newRow("last pivot") << "pivots" << "0|6|10|16|27|35|41|49|50" << "the first pivot must be 0, the last 55";
        QTest::newRow("close pivots kept") << "pivots" << "0|1|2|3|4|5|6|7|55" << "";
    }
    void valuesOutsideTheirRangesAreRefused()
    {
        QFETCH(QString, chiave);
        QFETCH(QString, valore);
        QFETCH(QString, motivo);
        QStringList righe = ProfiloTaratura::RigheIncorporate();
        const qsizetype gpl = righe.indexOf("[Profili di taratura GPL]");
        const QStringList righeModello{"pivots", "slopes", "offsets"};
        const qsizetype riga = righeModello.contains(chiave)
            ? gpl + 2 + 2 * righeModello.indexOf(chiave)
            : righe.indexOf(QRegularExpression(QRegularExpression::escape(chiave) + "=.*"));   // a whole line
        if (!chiave.isEmpty()) {
            QVERIFY(riga > 0);
            righe[riga] = righeModello.contains(chiave) ? valore : chiave + "=" + valore;
        }

        const QString rifiuto = ControlloProfilo::RifiutoRighe(righe, "/p/ParaTun.txt", ".");
        if (motivo.isEmpty()) {
            QVERIFY2(rifiuto.isEmpty(), qPrintable(rifiuto));
            return;
        }
        QVERIFY2(rifiuto.startsWith("Tuning profile /p/ParaTun.txt: ") && rifiuto.contains(motivo), qPrintable(rifiuto));
        QCOMPARE(rifiuto.count('\n'), 1);   // that line alone

        // The loader keeps what it had for the refused line and names it.
        ProfiloTaratura p;
        p.RpmMinimi = 11;
        p.RpmMassimo = 12;
        p.AttesaMinimoMs = 13;
        QStringList saltate = p.ApplicaRighe(righe, false, ".");
        saltate += p.ApplicaRighe(righe, true, ".");
        QVERIFY2(saltate.join("\n").contains(motivo.section(", ", -1)), qPrintable(saltate.join("\n")));
        if (chiave == "Rpm minimi")
            QCOMPARE(p.RpmMinimi, 500);       // the CNG column was good
        if (chiave == "Attesa minimo ms")
            QCOMPARE(p.AttesaMinimoMs, 5000.0);
        if (righeModello.contains(chiave))
            QCOMPARE(p.ModelloGpl, ProfiloTaratura::Modello{});   // the section was refused whole
    }

    void aProfileWithoutModelIsRefused()
    {
        QStringList righe = ProfiloTaratura::RigheIncorporate();
        righe.remove(righe.indexOf("[Profili di taratura CNG]"), 7);
        const QString rifiuto = ControlloProfilo::RifiutoRighe(righe, "x.txt", ".");
        QVERIFY2(rifiuto.contains("[Profili di taratura CNG] is missing"), qPrintable(rifiuto));
    }

    void goRefusesABadProfileBeforeAnyWrite()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("ParaTun.txt");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QStringList righe = ProfiloTaratura::RigheIncorporate();
        righe.replaceInStrings(QRegularExpression("^Rpm minimi=.*"), "Rpm minimi=5005500=500");
        f.write(righe.join("\r\n").toLatin1());
        f.close();
        Banco b;
        b.ctx.stato.StatoProgramma = StatoApp::Connesso;
        b.ctx.TabMsg[2].Valori[0] = 3;   // on gas, unconfirmed: Go would write the service bit
        b.seq.FileParaTun = file;
        QVERIFY(!b.seq.Go());
        QCOMPARE(b.ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna);
        QCOMPARE(b.ctx.stato.AutotuningRichiesto, quint8(0));
        QCOMPARE(b.ui.mostrati.size(), 1);
        const QString testo = b.ui.mostrati[0].testo;
        QVERIFY2(testo.contains(file) && testo.contains("Rpm minimi: 5005500 is outside 0..1500 rpm"), qPrintable(testo));
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

        // On gas but not confirmed yet: the service bit is written first.
        Banco g;
        OrologioPasso orologio;
        orologio.Installa();
        g.ctx.stato.StatoProgramma = StatoApp::Connesso;
        g.ctx.TabMsg[2].Valori[0] = 3;
        QVERIFY(g.seq.Go());
        QCOMPARE(g.ctx.stato.OperazioneRichiesta, gascal::Operazione::ScriviComandi);
        QVector<qint32> comandi(6, 0);
        g.ctx.code.ValoriDaScrivere2.Applica(comandi);
        QCOMPARE(comandi[2], 8);
    }
};

GASCAL_PROVA(TstProfilo)
#include "tst_profilo.moc"
