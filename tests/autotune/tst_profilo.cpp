// The tuning profile, the line model, and the sequence's rules that need no ECU.

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
using S = SequenzaTaratura;

namespace {

using Nove = std::array<qint32, 9>;
constexpr Nove PivotStd{0, 6, 10, 16, 27, 35, 41, 49, 55};
constexpr Nove PendenzeStd{0, 360, 600, 960, 1620, 2100, 2460, 2940, 3300};

} // namespace
Q_DECLARE_METATYPE(Nove)
namespace {

ProfiloTaratura::Modello Modello(Nove pivot, Nove pendenze, Nove offset = {})
{
    ProfiloTaratura::Modello m{};
    std::copy(pivot.begin(), pivot.end(), m.begin());
    std::copy(offset.begin(), offset.end(), m.begin() + 9);
    std::copy(pendenze.begin(), pendenze.end(), m.begin() + 18);
    return m;
}

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
        QVector<qint32> &v = ctx.TabMsg[1].Valori;
        v[1] = petrol, v[3] = corr, v[4] = rpm, v[6] = gira ? 1 : 0;
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
        ProfiloTaratura gpl, cng;
        QVERIFY(gpl.ApplicaRighe(righe, false, ".").isEmpty());
        QVERIFY(gpl.RpmMinimi == 800 && gpl.AttesaMinimoMs == 1500.5 && gpl.RpmMassimo == 2500);
        cng.RpmMassimo = 3000;
        QCOMPARE(cng.ApplicaRighe(righe, true, "."), QStringList{"Rpm Massimo"});
        QVERIFY(cng.RpmMinimi == 900 && cng.RpmMassimo == 3000);   // left as it was

        // Bad values are skipped and named in one message; a decimal comma rounds halves to even.
        QTemporaryDir dir;
        QFile f(dir.filePath("ParaTun.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Rpm minimi=abc=1\r\nTemp taratura==\r\nRpm Massimo=2,5=0\r\nNum Campioni minimo=7=7\r\n");
        f.close();
        ServiziUiScriptati ui;
        ProfiloTaratura p;
        p.CaricaProfiloTaratura(f.fileName(), false, ui, ",");
        QCOMPARE(ui.mostrati.size(), 1);
        QVERIFY(ui.mostrati[0].testo.contains("Rpm minimi") && ui.mostrati[0].testo.contains("Temp taratura"));
        QVERIFY(p.RpmMassimo == 2 && p.NumCampioniMinimo == 7 && p.RpmMinimi == 0);
    }

    void modelSectionsAndTheBuiltInProfile()
    {
        ProfiloTaratura p;
        p.ApplicaRighe({"[Profili di taratura CNG]", "x", "0|5|10|15|20|25|30|40|55", "x", "1|2|3|4|5|6|7|8|9", "x",
                        "-1|-2|-3|-4|-5|-6|-7|-8|-9", "[Profili di taratura GPL]", "x", "0|1|2", "x", "", "x", ""},
                       false, ".");
        // Pivots, then offsets, then slopes; a short row leaves its section unread.
        QVERIFY(p.ModelloCng[1] == 5 && p.ModelloCng[9] == -1 && p.ModelloCng[18] == 1);
        QCOMPARE(p.ModelloGpl, ProfiloTaratura::Modello{});
        // The built-in profile: every key in both columns, both models.
        for (bool cng : {false, true}) {
            ProfiloTaratura b;
            QVERIFY(b.ApplicaRighe(ProfiloTaratura::RigheIncorporate(), cng, ".").isEmpty());
            QVERIFY(b.RpmMassimo > 0 && b.NumCampioniCorrInj > 0 && b.TolleranzaMinimo > 0);
            QVERIFY(CalcolaModello(b.ModelloGpl, 768, 2800) && CalcolaModello(b.ModelloCng, 768, 2800));
        }
    }

    void modelLine()
    {
        // Slopes of 60 thousandths: the line rises 6 % per point, the correction held at idle.
        const auto r = CalcolaModello(Modello(PivotStd, PendenzeStd), 640, 1000);
        QVERIFY(r && r->Pivot == PivotStd);
        QCOMPARE(r->Retta[3], 10);                 // 1000 / 255 = 3.92: point 3, not 4
        // Pivots 230.4 -> 230 at point 6, so point 3 is 115 before the shift of 525.
        QCOMPARE(r->Retta[0], 8);                  // 525 / 64 = 8.2
        QCOMPARE(r->Retta[55], 41);                // (2112 + 525) / 64 = 41.2
        // Without slopes the correction only shifts the line.
        const Nove offset{0, 0, 0, 0, 640, 640, 640, 640, 640};
        const auto a = CalcolaModello(Modello(PivotStd, {}, offset), 128, 2800);
        const auto b = CalcolaModello(Modello(PivotStd, {}, offset), 1280, 2800);
        QVERIFY(a && b && a->Retta[10] == 2);
        for (int j = 0; j < 56; ++j)
            QCOMPARE(b->Retta[j] - a->Retta[j], 18);   // (1280 - 128) / 64
    }

    // Models the line cannot come from are refused, not clamped.
    void modelErrors_data()
    {
        QTest::addColumn<Nove>("pivot");
        QTest::addColumn<Nove>("pendenze");
        QTest::addColumn<Nove>("offset");
        QTest::addColumn<qint32>("correzione");
        QTest::addColumn<qint32>("tempo");
        QTest::addColumn<bool>("valido");
        QTest::newRow("idle at 56 x 255 us") << PivotStd << Nove{} << Nove{} << 640 << 14280 << false;
        QTest::newRow("idle just inside") << PivotStd << Nove{} << Nove{} << 640 << 14279 << true;
        QTest::newRow("pivot beyond 55") << Nove{0, 6, 10, 16, 27, 35, 41, 49, 56} << Nove{} << Nove{} << 640 << 2800 << false;
        QTest::newRow("equal pivots") << Nove{0, 6, 6, 16, 27, 35, 41, 49, 55} << Nove{} << Nove{} << 640 << 2800 << false;
        QTest::newRow("falling pivots") << Nove{0, 6, 10, 8, 27, 35, 41, 49, 55} << Nove{} << Nove{} << 640 << 2800 << false;
        // The page refuses these on reload: the model must not make them.
        QTest::newRow("first pivot not 0") << Nove{2, 6, 10, 16, 27, 35, 41, 49, 55} << Nove{} << Nove{} << 640 << 2800 << false;
        QTest::newRow("last pivot not 55") << Nove{0, 6, 10, 16, 27, 35, 41, 49, 54} << Nove{} << Nove{} << 640 << 2800 << false;
        QTest::newRow("beyond 32 bits") << PivotStd << Nove{2000000000} << Nove{} << 1000000 << 2800 << false;
        QTest::newRow("built-in slopes at 1500 us") << PivotStd << PendenzeStd << Nove{} << 1500 << 2800 << true;
        QTest::newRow("at 4000 us point 55 is 231") << PivotStd << PendenzeStd << Nove{} << 4000 << 2800 << false;
        const Nove basso{0, 0, 0, 0, 0, 0, 0, 0, -8192};
        QTest::newRow("offset within a point") << PivotStd << Nove{} << basso << 640 << 2800 << true;
        QTest::newRow("offset shifted past it") << PivotStd << Nove{} << basso << -640 << 2800 << false;
    }
    void modelErrors()
    {
        QFETCH(Nove, pivot);
        QFETCH(Nove, pendenze);
        QFETCH(Nove, offset);
        QFETCH(qint32, correzione);
        QFETCH(qint32, tempo);
        QFETCH(bool, valido);
        QCOMPARE(CalcolaModello(Modello(pivot, pendenze, offset), correzione, tempo).has_value(), valido);
    }

    // Each row spoils one line of the built-in profile: the loader skips it, Go refuses.
    void valuesOutsideTheirRangesAreRefused_data()
    {
        QTest::addColumn<QString>("chiave");   // a key, a row of the LPG model, or a section to drop
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
        QTest::newRow("no CNG model") << "[Profili di taratura CNG]" << "[Profili]" << "[Profili di taratura CNG] is missing";
    }
    void valuesOutsideTheirRangesAreRefused()
    {
        QFETCH(QString, chiave);
        QFETCH(QString, valore);
        QFETCH(QString, motivo);
        QStringList righe = ProfiloTaratura::RigheIncorporate();
        const QStringList righeModello{"pivots", "slopes", "offsets"};
        const qsizetype riga = righeModello.contains(chiave)
            ? righe.indexOf("[Profili di taratura GPL]") + 2 + 2 * righeModello.indexOf(chiave)
            : righe.indexOf(QRegularExpression(QRegularExpression::escape(chiave) + "(=.*)?"));   // a whole line
        if (!chiave.isEmpty()) {
            QVERIFY(riga > 0);
            righe[riga] = righeModello.contains(chiave) || chiave.startsWith('[') ? valore : chiave + "=" + valore;
        }
        const QString rifiuto = ControlloProfilo::RifiutoRighe(righe, "/p/ParaTun.txt", ".");
        QVERIFY2(motivo.isEmpty() ? rifiuto.isEmpty() : rifiuto.startsWith("Tuning profile /p/ParaTun.txt: ") && rifiuto.contains(motivo),
                 qPrintable(rifiuto));
        if (motivo.isEmpty() || chiave.startsWith('['))
            return;
        QCOMPARE(rifiuto.count('\n'), 1);   // that line alone

        // The loader keeps what it had for the refused line and names it.
        ProfiloTaratura p;
        p.RpmMinimi = 11;
        p.AttesaMinimoMs = 13;
        const QStringList saltate = p.ApplicaRighe(righe, false, ".") + p.ApplicaRighe(righe, true, ".");
        QVERIFY2(saltate.join("\n").contains(motivo.section(", ", -1)), qPrintable(saltate.join("\n")));
        if (chiave == "Rpm minimi")
            QCOMPARE(p.RpmMinimi, 500);       // the CNG column was good
        if (chiave == "Attesa minimo ms")
            QCOMPARE(p.AttesaMinimoMs, 5000.0);
        if (righeModello.contains(chiave))
            QCOMPARE(p.ModelloGpl, ProfiloTaratura::Modello{});   // the section was refused whole
    }

    // Go refuses a bad profile before any write; offline it does not start.
    void goBeforeARun()
    {
        QTemporaryDir dir;
        QFile f(dir.filePath("ParaTun.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(ProfiloTaratura::RigheIncorporate()
                    .replaceInStrings(QRegularExpression("^Rpm minimi=.*"), "Rpm minimi=5005500=500")
                    .join("\r\n").toLatin1());
        f.close();
        OrologioPasso orologio;
        orologio.Installa();
        for (const bool buono : {false, true}) {
            Banco b;
            b.ctx.stato.StatoProgramma = StatoApp::Connesso;
            b.ctx.TabMsg[2].Valori[0] = 3;   // on gas, unconfirmed
            b.seq.FileParaTun = buono ? QString() : f.fileName();
            b.seq.StopTaratura = true;
            QCOMPARE(b.seq.Go(), buono);
            QCOMPARE(b.ctx.stato.OperazioneRichiesta, buono ? gascal::Operazione::ScriviComandi : gascal::Operazione::Nessuna);
            QCOMPARE(b.ctx.stato.AutotuningRichiesto, quint8(buono ? 1 : 0));
            if (!buono) {
                QCOMPARE(b.ui.mostrati.size(), 1);
                QVERIFY2(b.ui.mostrati[0].testo.contains(f.fileName())
                             && b.ui.mostrati[0].testo.contains("Rpm minimi: 5005500 is outside 0..1500 rpm"),
                         qPrintable(b.ui.mostrati[0].testo));
                continue;
            }
            QVector<qint32> comandi(6, 0);
            b.ctx.code.ValoriDaScrivere2.Applica(comandi);
            QCOMPARE(comandi[2], 8);
            QVERIFY(!b.seq.StopTaratura && b.seq.profilo.RpmMinimi == 200 && b.seq.profilo.TempTaratura == 50);
            QVERIFY(b.seq.Ferma());   // no run going: the window may close
            b.ctx.stato.StatoProgramma = StatoApp::Offline;
            QVERIFY(!b.seq.Go());
        }
    }

    // Deviation at 100 %: the correction, limited and quantized to 64 us.
    void correctionsAreLimitedAndQuantized()
    {
        const qint32 casi[][3] = {{100, 1000, 128}, {32, 1000, 0}, {96, 1000, 128}, {-500, 200, -192}, {500, 200, 192}};
        for (const auto &[scarto, massimo, attesa] : casi)
            QCOMPARE(S::Correzione(3000 + scarto, 3000, 100, massimo), attesa);
    }

    void pedestalGuardLiftsTheCorrection()
    {
        Banco b;
        b.ctx.TabMsg[3].Valori[16] = 1992;
        b.Live(1500, 0, 800);
        qint32 corr = -128;
        QVERIFY(b.seq.VerificaGuardiaPiedistallo(corr) && corr == -128);   // guard off
        b.ctx.TabMsg[3].Valori[6] = 1;
        QVERIFY(!b.seq.VerificaGuardiaPiedistallo(corr));
        QCOMPARE(corr, 512);                 // (1992 - 1500) / 64 = 7.7 -> 8 steps
        QVERIFY(b.seq.VerificaGuardiaPiedistallo(corr));   // 2012 is above the pedestal
    }

    void lowSpeedCountdown()
    {
        Banco b;
        b.seq.profilo.RpmMinimi = 500;
        b.seq.ContaGiriBassi = 10;
        for (const int giri : {300, 0}) {
            b.Live(2800, 0, giri);
            for (int i = 0; i < 11; ++i)
                QCOMPARE(b.seq.RegolaGiri(), S::Completato);   // 10 .. 0 .. -1
            b.Live(2800, 0, 800);                               // one good reading starts again
            QCOMPARE(b.seq.RegolaGiri(), S::Completato);
            QCOMPARE(b.seq.ContaGiriBassi, 10);
        }
        b.Live(2800, 0, 0);
        for (int i = 0; i < 11; ++i)
            b.seq.RegolaGiri();
        QCOMPARE(b.seq.RegolaGiri(), S::GiriBassi);        // the countdown ran out
        b.Live(2800, 0, 800, false);
        QCOMPARE(b.seq.RegolaGiri(), S::MotoreFermo);
    }

    void choicesInTheList()
    {
        Banco b;
        b.vista.seq = nullptr;   // the test answers by hand
        b.ctx.scale.TabIniettori.resize(3);
        b.seq.CaricaSelezioneAlimentazione();
        QVERIFY(b.vista.voci.size() == 2 && b.vista.acceptAbilitato);
        b.seq.Accetta(-1);                   // Accept with nothing selected: still pending
        QCOMPARE(b.seq.SelAlimentazione, -2);
        b.seq.Scegli(1);                     // the second fuel entry stores 8
        QVERIFY(b.seq.SelAlimentazione == 8 && !b.vista.acceptAbilitato);
        b.seq.CaricaSelezioneIniettore();
        QCOMPARE(b.seq.SelIniettore, -2);
        b.seq.Accetta(2);                    // Accept picks the selected entry
        QVERIFY(b.seq.SelIniettore == 2 && b.seq.SelAlimentazione == 8);
        b.ctx.scale.TabIniettori.resize(1);  // a single type: no choice to make
        b.seq.CaricaSelezioneIniettore();
        QCOMPARE(b.seq.SelIniettore, 0);
    }
};

GASCAL_PROVA(TstProfilo)
#include "tst_profilo.moc"
