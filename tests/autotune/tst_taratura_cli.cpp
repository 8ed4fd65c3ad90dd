// `gascal-cli autotune` in-process on the virtual ECU; the signals in cli.tst_autotune_cli.

#include "RegistroProve.h"
#include "BancoVirtuale.h"
#include "Comandi.h"
#include "ProfiloBreve.h"
#include "SessioneCli.h"
#include "UscitaCatturata.h"

#include <QDir>
#include <QTest>

using namespace gascal;
using namespace Qt::StringLiterals;

class TstTaraturaCli : public QObject
{
    Q_OBJECT
private slots:
    // Every row but the first ends with the ECU as before and no journal.
    void runs_data()
    {
        QTest::addColumn<QString>("momento");   // a printed line: "step N" or a status text
        QTest::addColumn<QString>("guasto");    // what happens then, and for how many ms
        QTest::addColumn<int>("codice");
        QTest::addColumn<QString>("errore");    // on standard error
        const QString tara = u"Injector tare on gas: settling"_s;
        const QString minimo = u"Release the accelerator and let the engine idle."_s;
        const QString esito = u"result 4: "_s, tornata = u"the ECU is back as it was before the autotuning"_s;
        QTest::newRow("accepted") << QString() << "" << 0 << "";
        QTest::newRow("unknown injector") << QString() << "injector" << 2 << "--injector: unknown injector 'none such'";
        QTest::newRow("bad profile") << QString() << "profile" << 1
            << "breve.txt: the autotuning does not start, nothing was written to the ECU.\n"
               "LPG column, Rpm Massimo: -2500 is outside 0..7000 rpm";
        QTest::newRow("cable pulled at step 3") << "step 3" << "unplug 3000" << 1 << esito;
        QTest::newRow("cable pulled on gas") << tara << "unplug 3000" << 1 << esito;
        QTest::newRow("cable pulled at step 6") << minimo << "unplug 3000" << 1 << esito;
        // Back only after the run's own restore gave up: put back once it answers.
        QTest::newRow("cable out for 12 s at step 3") << "step 3" << "unplug 12000" << 1 << tornata;
        QTest::newRow("power cut while switching to gas") << "Switching to gas..." << "power 2000" << 1 << esito;
        QTest::newRow("power cut on gas") << tara << "power 2000" << 1 << esito;
        QTest::newRow("power cut at step 6") << minimo << "power 2000" << 1 << esito;
        QTest::newRow("PrjCom killed on gas") << tara << "prjcom" << 1 << tornata;
        QTest::newRow("line download refused after Accept") << QString() << "refuse50" << 1 << esito;
    }
    void runs()
    {
        QFETCH(QString, momento);
        QFETCH(QString, guasto);
        QFETCH(int, codice);
        QFETCH(QString, errore);
        BancoVirtuale banco(QStringList{u"--time-scale"_s, u"10"_s}
                            + (guasto == "refuse50"_L1 ? QStringList{u"--refuse"_s, u"50"_s} : QStringList{}));
        banco.orologio.Limite_us = banco.orologio.Ora_us() + 600e6;   // a run takes a minute or two
        cli::SessioneCli sessione;
        PrjComInterno &prjcom = banco.Aggancia(sessione.ctx);
        QVERIFY(sessione.Avvia(banco.Cartella()));
        const auto foto = [&] {
            QStringList f;
            for (int k : {0, 2, 5})
                f << QString::number(banco.ValoreEcu(2, k));
            for (int n : {3, 4, 6})
                f << banco.Controllo(u"block %1"_s.arg(n));
            return f;
        };
        const QStringList prima = foto();
        QByteArray profilo = ProfiloBreve();
        if (guasto == "profile"_L1)
            profilo.replace("Rpm Massimo=2500=2500", "Rpm Massimo=-2500=2500");
        banco.ScriviFile(u"breve.txt"_s, profilo);
        cli::OpzioniAutotune o;
        o.profilo = banco.Percorso(u"breve.txt"_s);
        o.accetta = codice == 0 || guasto == "refuse50"_L1;
        o.iniettore = guasto == "injector"_L1 ? u"none such"_s : QString();

        // The printed lines as they come: the engine driven as asked, the fault at its moment.
        bool fatto = momento.isEmpty();
        UscitaCatturata cattura;
        quint64 prossimo = 0;
        std::function<void()> guarda = [&] {
            for (const QString &riga : cattura.NuoveRighe()) {
                if (riga == "step 4"_L1 || riga == "step 6"_L1)
                    banco.Controllo(riga == "step 4"_L1 ? u"rpm 2500"_s : u"rpm 800"_s);
                if (fatto || !riga.startsWith(momento))
                    continue;
                fatto = true;
                const bool cavo = guasto.startsWith("unplug"_L1);
                if (guasto == "prjcom"_L1) {
                    prjcom.Uccidi();
                    continue;
                }
                banco.Controllo(cavo ? u"unplug"_s : u"power off"_s);
                banco.Tra(guasto.section(QLatin1Char(' '), 1).toInt(), [&banco, cavo] {
                    banco.Controllo(cavo ? u"plug"_s : u"power on"_s);
                });
            }
            prossimo = banco.orologio.Tra(50000, guarda);
        };
        prossimo = banco.orologio.Tra(50000, guarda);
        const int esito = cli::ComandoAutotune(sessione, 20, o);
        banco.orologio.Annulla(prossimo);
        cattura.Fine();

        QCOMPARE(esito, codice);
        QVERIFY2(fatto && cattura.err.contains(errore), qPrintable(cattura.out + cattura.err));
        QCOMPARE(cattura.out.contains(u"step 1\n"_s), !errore.contains("--injector"_L1) && !errore.contains("Rpm"_L1));
        banco.Passa(300);
        if (codice == 0) {
            for (const char *riga : {"injector: Rail 2 ohm - fast (the ECU's)\n", "step 6\n", "Tara al minimo\n", "result 0: gas correction "})
                QVERIFY2(cattura.out.contains(QLatin1String(riga)), riga);
            QVERIFY(foto() != prima);
        } else {
            QVERIFY(!cattura.out.contains(u"result 0"_s));
            QCOMPARE(foto(), prima);
        }
        QVERIFY2(QDir(banco.Percorso(u"Data"_s)).entryList({u"restore_*"_s}).isEmpty(), qPrintable(cattura.err));
        QVERIFY(banco.Controllo(u"state"_s).contains(u"tuning=0"_s));
    }
};

GASCAL_PROVA(TstTaraturaCli)
#include "tst_taratura_cli.moc"
