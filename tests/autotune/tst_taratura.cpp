// Whole autotuning runs against the in-process virtual ECU on the stepped clock.

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
using namespace Qt::StringLiterals;
using S = SequenzaTaratura;

namespace {

struct Prova {
    // The engine ten times faster than the clock, unless the case says otherwise.
    explicit Prova(const QStringList &opzioniEcu = {u"--time-scale"_s, u"10"_s}) : banco(opzioniEcu) {}

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
            banco.ScriviFile(u"ParaTun.txt"_s, profilo);
        if (!banco.Collega())
            return false;
        Contesto &ctx = *banco.ctx;
        retta = std::make_unique<RettaAutotuning>(ctx);
        seq = std::make_unique<SequenzaTaratura>(ctx, vista, *retta);
        vista.seq = seq.get();
        for (int i = 0; i < ctx.scale.TabIniettori.size(); ++i)
            if (ctx.scale.TabIniettori.at(i).Codice == 2)   // the factory contents' "Rail 2 ohm - fast"
                vista.iniettore = i;
        seq->FileSatoTun = banco.Percorso(u"SatoTun.txt"_s);
        seq->FileParaTun = ctx.imp.FileParaTun;
        seq->Didascalia = u"GasCal"_s;
        // The engine as the installer drives it: the tuning speed for step 4, idle for step 6.
        vista.suPasso = [this](int p) { Giri(p); };
        Accetta();
        return true;
    }
    void Giri(int passo)
    {
        if (passo == 4 || passo == 6)
            banco.Controllo(passo == 4 ? u"rpm 2500"_s : u"rpm 800"_s);
    }
    // The user at the window: every 50 ms, Accept (or Stop) once it is asked for.
    void Accetta()
    {
        banco.Tra(50, [this] {
            if (vista.acceptAbilitato && seq->PassoTaratura == 6) {
                fermaAllAccettazione ? void(seq->Ferma()) : seq->Accetta(-1);
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
    // A fresh read of record n's data, or of its value k.
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
        banco.Controllo(u"rpm %1"_s.arg(rpm));
        banco.Passa(1200);
        double somma = 0;
        for (int i = 0; i < 15; ++i, banco.Passa(100))
            somma += Valore(Contesto::RecLive, 1);
        return somma / 15;
    }
    // How many corrections the injector tare tried, from the log.
    int Correzioni(const QString &fino = {})
    {
        const qsizetype inizio = vista.log.indexOf(u"Tara iniettori"_s);
        const qsizetype fine = fino.isEmpty() ? vista.log.size() : vista.log.indexOf(fino);
        QSet<QString> c;
        for (qsizetype i = inizio + 1; inizio > 0 && i < fine; ++i)
            c.insert(vista.log.at(i).section('#', 7, 7));
        return int(c.size());
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
        QCOMPARE(p.Esegui(), qint32(S::Completato));
        QVERIFY(p.seq->RettaScritta() && p.vista.fine && !p.vista.stati.contains(p.seq->Testo(7)));
        QVERIFY(!QFileInfo::exists(p.banco.ctx->ripristino.PercorsoEcu()));
        QCOMPARE(p.vista.passi, (QList<int>{1, 2, 3, 4, 5, 6}));
        QCOMPARE(p.banco.ctx->stato.ErroreComunicazione, quint8(0));

        // Mode bits cleared, the correction kept, the line anchored on it at idle.
        QCOMPARE(p.Valore(Contesto::RecComandi, 2) & 3, 0);
        const qint32 corr = p.Valore(Contesto::RecComandi, 5);
        QVERIFY2(corr >= 640 && corr <= 960, qPrintable(QString::number(corr)));
        QCOMPARE(p.Valore(Contesto::RecMappa, 10), corr / 64);
        QCOMPARE(p.banco.ctx->retta.Retta[10], corr / 64);

        // The log: caption and temperature, the four titles, CR LF lines.
        const QByteArray log = p.banco.LeggiFile(u"SatoTun.txt"_s);
        QVERIFY(log.startsWith("GasCal - ") && log.contains("\r\nTEMP - 6"));
        for (const char *titolo : {"Campiona minimo\r\n", "Campiona massimo\r\n", "Tara iniettori\r\n",
                                   "Tara al minimo\r\n", "TimerApi_uSec#AuxSample#AuxTBenz#"})
            QVERIFY2(log.contains(titolo), titolo);

        // Back on petrol; on gas the petrol ECU's time then matches within 3 %, idle and tuning speed.
        const double benzMin = p.TempoBenzina(800), benzMax = p.TempoBenzina(2500);
        QCOMPARE(p.banco.Controllo(u"fuel gas"_s), u"ok"_s);
        QVERIFY(p.banco.AttendiFino([&] { return p.Valore(Contesto::RecComandi, 1) == 3; }, 5000));
        const double gasMax = p.TempoBenzina(2500), gasMin = p.TempoBenzina(800);
        const QString misure = u"petrol %1 / %2, gas %3 / %4"_s.arg(benzMin).arg(benzMax).arg(gasMin).arg(gasMax);
        QVERIFY2(qAbs(gasMin - benzMin) <= 0.03 * gasMin && qAbs(gasMax - benzMax) <= 0.03 * gasMax, qPrintable(misure));
        QVERIFY2(benzMax > benzMin * 1.1, qPrintable(misure));   // two different points of the line
    }

    // The built-in profile at the engine's own pace: the same outcome.
    void builtInProfileAtTheEnginesPace()
    {
        Prova p(QStringList{});
        QVERIFY(p.Avvia(QByteArray()));
        const double inizio = p.banco.orologio.Ora_us();
        QCOMPARE(p.Esegui(), qint32(S::Completato));
        QVERIFY(p.seq->RettaScritta() && (p.Valore(Contesto::RecComandi, 2) & 3) == 0);
        QCOMPARE(p.Valore(Contesto::RecMappa, 10), p.Valore(Contesto::RecComandi, 5) / 64);
        QVERIFY2(p.banco.orologio.Ora_us() - inizio > 30e6, qPrintable(QString::number(p.banco.orologio.Ora_us() - inizio)));
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
        const QList<QByteArray> prima{p.Dati(Contesto::RecComandi), p.Dati(Contesto::RecConfig), p.Dati(Contesto::RecMappa)};
        p.fermaAllAccettazione = passo == 7;
        p.vista.suPasso = [&](int k) {
            p.Giri(k);
            if (k == passo)
                p.banco.Tra(300, [&] { p.seq->Ferma(); });
        };
        QCOMPARE(p.Esegui(), qint32(S::Fermato));
        QVERIFY(p.vista.stati.contains(p.seq->Testo(7)));
        // Records 2 and 3 as they were; no line without Accept; on petrol.
        QCOMPARE((QList<QByteArray>{p.Dati(Contesto::RecComandi), p.Dati(Contesto::RecConfig), p.Dati(Contesto::RecMappa)}), prima);
        QVERIFY(p.banco.AttendiFino([&] { return p.Valore(Contesto::RecComandi, 1) == 0; }, 3000));
    }

    // The engine dies on gas; then the ECU is lost for good.
    void engineStallingAndLinkLost()
    {
        Prova p;
        QVERIFY(p.Avvia());
        const QByteArray record3 = p.Dati(Contesto::RecConfig);
        p.vista.suPasso = [&](int k) {
            if (k == 4)
                p.banco.Controllo(u"rpm 2500"_s);
        };
        p.vista.suStato = [&](const QString &t) {
            if (p.seq->PassoTaratura == 5 && t.startsWith(p.seq->Testo(26)))
                p.banco.Controllo(u"key off"_s);
        };
        QCOMPARE(p.Esegui(), qint32(S::MotoreFermo));
        QVERIFY(p.Dati(Contesto::RecConfig) == record3 && (p.Valore(Contesto::RecComandi, 2) & 3) == 0);

        Prova q;
        QVERIFY(q.Avvia());
        q.vista.suPasso = [&](int k) {
            if (k == 3)
                q.banco.Tra(200, [&] { q.banco.ecu.Termina(); });
        };
        QCOMPARE(q.Esegui(), qint32(S::Comunicazione));
        QCOMPARE(q.banco.ctx->stato.ErroreComunicazione, quint8(1));   // the program searches again
        QCOMPARE(q.banco.ctx->stato.StatoProgramma, int(StatoApp::Connesso));
    }

    // Below the tuning speed while settling: the wait starts again.
    void settlingStartsAgainBelowTheTuningSpeed()
    {
        Prova p;
        QVERIFY(p.Avvia());
        double ripresa = 0;
        p.vista.suPasso = [&](int k) {
            if (k == 4)
                p.banco.Tra(1500, [&] {
                    p.banco.Controllo(u"rpm 2500"_s);
                    ripresa = p.banco.orologio.Ora_us();
                });
            else if (k == 5)
                p.seq->Ferma();
        };
        p.Esegui();
        const qsizetype i = p.vista.log.indexOf(u"Campiona massimo"_s);
        QVERIFY(i > 0 && ripresa > 0);
        const double primo = p.vista.log.value(i + 1).section('#', 0, 0).toDouble() * 1000;   // in ms
        QVERIFY2(primo - ripresa >= 600e3, qPrintable(QString::number(primo - ripresa)));
    }

    // Corrections of 64 us cannot reach the need: the fifth batch fails.
    void tooManyCyclesGiveResult5()
    {
        QByteArray profilo = ProfiloBreve();
        profilo.replace("Massima correzione inj us=320", "Massima correzione inj us=64");
        profilo.replace("Max cicli non in tolleranza inj=15", "Max cicli non in tolleranza inj=3");
        Prova p;
        QVERIFY(p.Avvia(profilo));
        QCOMPARE(p.Esegui(), qint32(S::FuoriTolleranza));
        QCOMPARE(p.Correzioni(), 5);   // the start and four corrections
    }

    // An injector opening at 4000 us: the guard lifts the correction and ends both tares.
    void pedestalGuardEndsTheTares()
    {
        QStringList scala = Risorse::CaricaRisorsa(103, u"CONFIGSCALE"_s);
        const qsizetype i = scala.indexOf(u"[InjType_002]"_s);
        QVERIFY(i >= 0 && scala.value(i + 6) == u"1992"_s);
        scala[i + 6] = u"4000"_s;
        Prova p;
        p.banco.ScriviFile(u"ConfigScale.ini"_s, scala.join(u"\r\n"_s).toUtf8());
        QVERIFY(p.Avvia());
        QString finale;
        p.vista.suStato = [&](const QString &t) {
            if (p.seq->PassoTaratura == 6 && t.contains(p.seq->Testo(45)))
                finale = t;
        };
        QCOMPARE(p.Esegui(), qint32(S::Completato));
        QCOMPARE(p.Correzioni(u"Tara al minimo"_s), 2);   // the start and the one lifted correction
        QVERIFY2(finale.startsWith(u"("_s) && finale.contains(p.seq->Testo(31)), qPrintable(finale));
    }

    // Written after the idle sampling from its average speed: class 1 up to 1200 rpm.
    void idleClassFromTheAverageSpeed()
    {
        for (const auto &[giri, classe] : {std::pair{1200, 1}, std::pair{1201, 2}}) {
            Prova p;
            QVERIFY(p.Avvia());
            QCOMPARE(p.banco.Controllo(u"rpm %1"_s.arg(giri)), u"ok"_s);
            p.banco.Passa(300);
            int scritta = -1;
            p.vista.suPasso = [&](int k) {
                if (k == 4) {
                    scritta = p.banco.ctx->Valore(Contesto::RecConfig, 20);
                    p.seq->Ferma();
                }
            };
            QCOMPARE(p.Esegui(), qint32(S::Fermato));
            QCOMPARE(scritta, classe);
        }
    }
};

GASCAL_PROVA(TstTaratura)
#include "tst_taratura.moc"
