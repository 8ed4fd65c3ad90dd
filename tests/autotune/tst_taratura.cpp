// Whole autotuning runs against the in-process virtual ECU on the stepped
// clock (the engine ten times faster, a short-wait profile): a run that
// converges and leaves a line that holds on gas, stops at each phase and
// the restore of records 2 and 3, the engine stalling, the link lost, the
// cycle limit, the idle class.

#include "RegistroProve.h"
#include "BancoVirtuale.h"
#include "ProfiloBreve.h"
#include "VistaProva.h"

#include "autotune/RettaAutotuning.h"
#include "ecu/Blocco.h"
#include "ecu/SequenzeBlocchi.h"
#include "i18n/Risorse.h"

#include <QFileInfo>
#include <QTest>

using namespace gascal;

namespace {

// The injector of the factory contents: "Rail 2 ohm - fast", code 2.
int IndiceIniettore(const Contesto &ctx)
{
    for (int i = 0; i < ctx.scale.TabIniettori.size(); ++i)
        if (ctx.scale.TabIniettori.at(i).Codice == 2)
            return i;
    return 0;
}

struct Prova {
    // The engine ten times faster than the clock, unless the case says otherwise.
    explicit Prova(const QStringList &opzioniEcu = {QStringLiteral("--time-scale"), QStringLiteral("10")})
        : banco(opzioniEcu)
    {
    }

    BancoVirtuale banco;
    VistaProva vista;
    std::unique_ptr<RettaAutotuning> retta;
    std::unique_ptr<SequenzaTaratura> seq;
    bool fermaAllAccettazione = false;
    bool fermaDopoAccetta = false;   // Stop pressed right after Accept

    // Without a profile, the program's built-in one.
    bool Avvia(const QByteArray &profilo = ProfiloBreve())
    {
        if (!profilo.isEmpty())
            banco.ScriviFile(QStringLiteral("ParaTun.txt"), profilo);
        if (!banco.Collega())
            return false;
        Contesto &ctx = *banco.ctx;
        retta = std::make_unique<RettaAutotuning>(ctx);
        seq = std::make_unique<SequenzaTaratura>(ctx, vista, *retta);
        vista.seq = seq.get();
        vista.iniettore = IndiceIniettore(ctx);
        seq->FileSatoTun = banco.Percorso(QStringLiteral("SatoTun.txt"));
        seq->FileParaTun = ctx.imp.FileParaTun;
        seq->Didascalia = QStringLiteral("GasCal");
        // The engine as the installer drives it: the tuning speed for step 4, idle for step 6.
        vista.suPasso = [this](int p) {
            if (p == 4)
                banco.Controllo(QStringLiteral("rpm 2500"));
            else if (p == 6)
                banco.Controllo(QStringLiteral("rpm 800"));
        };
        Accetta();
        return true;
    }
    // The user at the window: every 50 ms, Accept (or Stop) once it is asked for.
    void Accetta()
    {
        banco.Tra(50, [this] {
            if (vista.acceptAbilitato && seq->PassoTaratura == 6) {
                if (fermaAllAccettazione)
                    seq->Ferma();
                else
                    seq->Accetta(-1);
                if (fermaDopoAccetta)
                    banco.Tra(150, [this] { seq->Ferma(); });
            }
            Accetta();
        });
    }
    qint32 Esegui()
    {
        if (!seq->Go())
            return -1;
        banco.ctx->stato.StatoProgramma = StatoApp::Autotuning;
        seq->TaraturaAvvio();
        return seq->UltimoRisultato();
    }
    // A fresh read of record n's data.
    QByteArray Dati(int n)
    {
        SequenzeBlocchi(*banco.ctx).LeggiRecord(n, true);
        return Blocco::CodificaBlocco(banco.ctx->TabMsg[n]);
    }
    qint32 Valore(int n, int k)
    {
        SequenzeBlocchi(*banco.ctx).LeggiRecord(n, true);
        return banco.ctx->Valore(n, k);
    }
    // The petrol time averaged over 1.5 s once the engine settled at rpm.
    double TempoBenzina(int rpm)
    {
        banco.Controllo(QStringLiteral("rpm %1").arg(rpm));
        banco.Passa(1200);
        double somma = 0;
        for (int i = 0; i < 15; ++i) {
            somma += Valore(Contesto::RecLive, 1);
            banco.Passa(100);
        }
        return somma / 15;
    }
};

} // namespace

class TstTaratura : public QObject
{
    Q_OBJECT
private slots:
    void runConvergesAndTheLineHolds()
    {
        Prova p;
        QVERIFY(p.Avvia());
        p.fermaDopoAccetta = true;   // too late: the accepted line is written, and said so
        QCOMPARE(p.Esegui(), qint32(SequenzaTaratura::Completato));
        QVERIFY(p.seq->RettaScritta());
        QVERIFY(!p.vista.stati.contains(p.seq->Testo(7)));
        QVERIFY(!QFileInfo::exists(p.banco.ctx->ripristino.PercorsoEcu()));
        QCOMPARE(p.vista.passi, (QList<int>{1, 2, 3, 4, 5, 6}));
        QVERIFY(p.vista.fine);
        QCOMPARE(p.banco.ctx->stato.ErroreComunicazione, quint8(0));

        // Mode bits cleared, the correction kept, the line anchored on it at idle.
        QCOMPARE(p.Valore(Contesto::RecComandi, 2) & 3, 0);
        const qint32 corr = p.Valore(Contesto::RecComandi, 5);
        QVERIFY2(corr >= 640 && corr <= 960, qPrintable(QString::number(corr)));
        QCOMPARE(p.Valore(Contesto::RecMappa, 10), corr / 64);
        QCOMPARE(p.banco.ctx->retta.Retta[10], corr / 64);

        // The log: caption and temperature, the four titles, CR LF lines.
        const QByteArray log = p.banco.LeggiFile(QStringLiteral("SatoTun.txt"));
        QVERIFY(log.startsWith("GasCal - "));
        QVERIFY(log.contains("\r\nTEMP - 6"));
        for (const char *titolo : {"Campiona minimo\r\n", "Campiona massimo\r\n", "Tara iniettori\r\n",
                                   "Tara al minimo\r\n", "TimerApi_uSec#AuxSample#AuxTBenz#"})
            QVERIFY2(log.contains(titolo), titolo);

        // The engine is back on petrol; on gas the petrol ECU's time is then
        // the petrol time within the profile's 3 %, at idle and at the tuning speed.
        const double benzMin = p.TempoBenzina(800);
        const double benzMax = p.TempoBenzina(2500);
        QCOMPARE(p.banco.Controllo(QStringLiteral("fuel gas")), QStringLiteral("ok"));
        QVERIFY(p.banco.AttendiFino([&] { return p.Valore(Contesto::RecComandi, 1) == 3; }, 5000));
        const double gasMax = p.TempoBenzina(2500);
        const double gasMin = p.TempoBenzina(800);
        const QString misure = QStringLiteral("petrol %1 / %2, gas %3 / %4").arg(benzMin).arg(benzMax).arg(gasMin).arg(gasMax);
        QVERIFY2(qAbs(gasMin - benzMin) <= 0.03 * gasMin, qPrintable(misure));
        QVERIFY2(qAbs(gasMax - benzMax) <= 0.03 * gasMax, qPrintable(misure));
        QVERIFY2(benzMax > benzMin * 1.1, qPrintable(misure));   // two different points of the line
    }

    // The built-in profile with the engine at its own pace, as in a
    // workshop: a minute of settling and sampling, the same outcome.
    void builtInProfileAtTheEnginesPace()
    {
        Prova p(QStringList{});
        QVERIFY(p.Avvia(QByteArray()));
        const double inizio = p.banco.orologio.Ora_us();
        QCOMPARE(p.Esegui(), qint32(SequenzaTaratura::Completato));
        QVERIFY(p.seq->RettaScritta());
        QCOMPARE(p.vista.passi, (QList<int>{1, 2, 3, 4, 5, 6}));
        QCOMPARE(p.Valore(Contesto::RecComandi, 2) & 3, 0);
        const qint32 corr = p.Valore(Contesto::RecComandi, 5);
        QCOMPARE(p.Valore(Contesto::RecMappa, 10), corr / 64);
        const double secondi = (p.banco.orologio.Ora_us() - inizio) / 1e6;
        QVERIFY2(secondi > 30, qPrintable(QString::number(secondi)));
    }

    void stopAtEachPhaseRestores_data()
    {
        QTest::addColumn<int>("passo");
        QTest::newRow("step 1, before the copies") << 1;
        QTest::newRow("step 3, petrol sampling") << 3;
        QTest::newRow("step 5, on gas") << 5;
        QTest::newRow("step 6, awaiting Accept") << 7;
    }
    void stopAtEachPhaseRestores()
    {
        QFETCH(int, passo);
        Prova p;
        QVERIFY(p.Avvia());
        const QByteArray record2 = p.Dati(Contesto::RecComandi);
        const QByteArray record3 = p.Dati(Contesto::RecConfig);
        const QByteArray linea = p.Dati(Contesto::RecMappa);
        if (passo == 7) {
            p.fermaAllAccettazione = true;
        } else {
            const auto vecchio = p.vista.suPasso;
            p.vista.suPasso = [&, vecchio](int k) {
                vecchio(k);
                if (k == passo)
                    p.banco.Tra(300, [&] { p.seq->Ferma(); });
            };
        }
        QCOMPARE(p.Esegui(), qint32(SequenzaTaratura::Fermato));
        QVERIFY(p.vista.stati.contains(p.seq->Testo(7)));
        QCOMPARE(p.Dati(Contesto::RecConfig), record3);
        QCOMPARE(p.Dati(Contesto::RecComandi), record2);
        QCOMPARE(p.Dati(Contesto::RecMappa), linea);   // no line without Accept
        QVERIFY(p.banco.AttendiFino([&] { return p.Valore(Contesto::RecComandi, 1) == 0; }, 3000));   // on petrol
    }

    // The engine falls below the tuning speed while it settles there: the
    // wait starts again, so the first sample comes a whole wait after the
    // speed is back.
    void settlingStartsAgainBelowTheTuningSpeed()
    {
        Prova p;
        QVERIFY(p.Avvia());
        double ripresa = 0;
        p.vista.suPasso = [&](int k) {
            if (k == 4)
                p.banco.Tra(1500, [&] {
                    p.banco.Controllo(QStringLiteral("rpm 2500"));
                    ripresa = p.banco.orologio.Ora_us();
                });
            else if (k == 5)
                p.seq->Ferma();
        };
        p.Esegui();
        const qsizetype i = p.vista.log.indexOf(QStringLiteral("Campiona massimo"));
        QVERIFY(i > 0 && ripresa > 0);
        const double primo = p.vista.log.value(i + 1).section('#', 0, 0).toDouble() * 1000;   // in ms
        QVERIFY2(primo - ripresa >= 600e3, qPrintable(QString::number(primo - ripresa)));
    }

    void engineStallingGivesResult3()
    {
        Prova p;
        QVERIFY(p.Avvia());
        const QByteArray record3 = p.Dati(Contesto::RecConfig);
        // The engine dies once the tare on gas runs (the engagement itself
        // waits for the ECU's confirmation until Stop).
        p.vista.suPasso = [&](int k) {
            if (k == 4)
                p.banco.Controllo(QStringLiteral("rpm 2500"));
        };
        p.vista.suStato = [&](const QString &t) {
            if (p.seq->PassoTaratura == 5 && t.startsWith(p.seq->Testo(26)))
                p.banco.Controllo(QStringLiteral("key off"));
        };
        QCOMPARE(p.Esegui(), qint32(SequenzaTaratura::MotoreFermo));
        QCOMPARE(p.Dati(Contesto::RecConfig), record3);
        QCOMPARE(p.Valore(Contesto::RecComandi, 2) & 3, 0);
    }

    void linkLostSendsTheProgramBackToSearching()
    {
        Prova p;
        QVERIFY(p.Avvia());
        p.vista.suPasso = [&](int k) {
            if (k == 3)
                p.banco.Tra(200, [&] { p.banco.ecu.Termina(); });
        };
        QCOMPARE(p.Esegui(), qint32(SequenzaTaratura::Comunicazione));
        QCOMPARE(p.banco.ctx->stato.ErroreComunicazione, quint8(1));
        QCOMPARE(p.banco.ctx->stato.StatoProgramma, int(StatoApp::Connesso));
    }

    // Four corrections of at most 64 us cannot bring the start from the
    // injector table (1472 us) to the installation's need: with three
    // out-of-tolerance cycles allowed, the fifth batch fails.
    void tooManyCyclesGiveResult5()
    {
        QByteArray profilo = ProfiloBreve();
        profilo.replace("Massima correzione inj us=320", "Massima correzione inj us=64");
        profilo.replace("Max cicli non in tolleranza inj=15", "Max cicli non in tolleranza inj=3");
        Prova p;
        QVERIFY(p.Avvia(profilo));
        QCOMPARE(p.Esegui(), qint32(SequenzaTaratura::FuoriTolleranza));
        const qsizetype inizio = p.vista.log.indexOf(QStringLiteral("Tara iniettori"));
        QVERIFY(inizio > 0);
        QSet<QString> correzioni;
        for (qsizetype i = inizio + 1; i < p.vista.log.size(); ++i)
            correzioni.insert(p.vista.log.at(i).section('#', 7, 7));
        QCOMPARE(correzioni.size(), 5);   // the start and four corrections
    }

    // An injector whose minimum opening (4000 us) lies above what the first
    // corrections would leave: the guard lifts the correction, and that write
    // ends the injector tare at once and the idle tare with text 31.
    void pedestalGuardEndsTheTares()
    {
        QStringList scala = Risorse::CaricaRisorsa(103, QStringLiteral("CONFIGSCALE"));
        const qsizetype i = scala.indexOf(QStringLiteral("[InjType_002]"));
        QVERIFY(i >= 0 && scala.value(i + 6) == QStringLiteral("1992"));
        scala[i + 6] = QStringLiteral("4000");
        Prova p;
        p.banco.ScriviFile(QStringLiteral("ConfigScale.ini"), scala.join(QStringLiteral("\r\n")).toUtf8());
        QVERIFY(p.Avvia());
        QString finale;
        p.vista.suStato = [&](const QString &t) {
            if (p.seq->PassoTaratura == 6 && t.contains(p.seq->Testo(45)))
                finale = t;
        };
        QCOMPARE(p.Esegui(), qint32(SequenzaTaratura::Completato));
        const qsizetype inizio = p.vista.log.indexOf(QStringLiteral("Tara iniettori"));
        const qsizetype minimo = p.vista.log.indexOf(QStringLiteral("Tara al minimo"));
        QVERIFY(inizio > 0 && minimo > inizio);
        QSet<QString> correzioni;
        for (qsizetype k = inizio + 1; k < minimo; ++k)
            correzioni.insert(p.vista.log.at(k).section('#', 7, 7));
        QCOMPARE(correzioni.size(), 2);   // the start and the one lifted correction
        QVERIFY2(finale.contains(p.seq->Testo(31)), qPrintable(finale));
        QVERIFY(finale.startsWith(QStringLiteral("(")));
    }

    void idleClassFromTheAverageSpeed_data()
    {
        QTest::addColumn<int>("giri");
        QTest::addColumn<int>("classe");
        QTest::newRow("1200 rpm") << 1200 << 1;
        QTest::newRow("1201 rpm") << 1201 << 2;
    }
    void idleClassFromTheAverageSpeed()
    {
        QFETCH(int, giri);
        QFETCH(int, classe);
        Prova p;
        QVERIFY(p.Avvia());
        QCOMPARE(p.banco.Controllo(QStringLiteral("rpm %1").arg(giri)), QStringLiteral("ok"));
        p.banco.Passa(300);
        int scritta = -1;
        p.vista.suPasso = [&](int k) {
            if (k == 4) {
                scritta = p.banco.ctx->Valore(Contesto::RecConfig, 20);
                p.seq->Ferma();
            }
        };
        QCOMPARE(p.Esegui(), qint32(SequenzaTaratura::Fermato));
        QCOMPARE(scritta, classe);
    }
};

GASCAL_PROVA(TstTaratura)
#include "tst_taratura.moc"
