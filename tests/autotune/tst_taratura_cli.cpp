// `gascal-cli autotune` run in this process against the in-process virtual
// ECU on the stepped clock, the engine driven as the printed steps ask: an
// accepted run, choices refused before anything is written, and every way a
// run can end without the user's Accept (the cable pulled, the power cut,
// PrjCom killed, the line refused) leaving the ECU as it was before. The
// signals need the real process: cli.tst_autotune_cli.

#include "RegistroProve.h"
#include "BancoVirtuale.h"
#include "Comandi.h"
#include "ProfiloBreve.h"
#include "SessioneCli.h"
#include "UscitaCatturata.h"

#include <QDir>
#include <QTest>

using namespace gascal;

namespace {

struct Strumento {
    explicit Strumento(const QStringList &opzioniEcu = {})
        : banco(QStringList{QStringLiteral("--time-scale"), QStringLiteral("10")} + opzioniEcu)
    {
    }
    BancoVirtuale banco;
    cli::SessioneCli sessione;
    PrjComInterno *prjcom = nullptr;
    QString out, err;

    bool Avvia()
    {
        prjcom = &banco.Aggancia(sessione.ctx);
        banco.ScriviFile(QStringLiteral("breve.txt"), ProfiloBreve());
        return sessione.Avvia(banco.Cartella());
    }
    // The command with the short profile; `suRiga` sees each printed line
    // within 50 ms of stepped time, after the engine was driven for it.
    int Esegui(cli::OpzioniAutotune o, const std::function<void(const QString &)> &suRiga = {})
    {
        if (o.profilo.isEmpty())
            o.profilo = banco.Percorso(QStringLiteral("breve.txt"));
        UscitaCatturata cattura;
        quint64 prossimo = 0;
        std::function<void()> guarda = [&] {
            for (const QString &riga : cattura.NuoveRighe()) {
                if (riga == QLatin1String("step 4"))
                    banco.Controllo(QStringLiteral("rpm 2500"));
                else if (riga == QLatin1String("step 6"))
                    banco.Controllo(QStringLiteral("rpm 800"));
                if (suRiga)
                    suRiga(riga);
            }
            prossimo = banco.orologio.Tra(50000, guarda);
        };
        prossimo = banco.orologio.Tra(50000, guarda);
        const int esito = cli::ComandoAutotune(sessione, 20, o);
        banco.orologio.Annulla(prossimo);
        cattura.Fine();
        out = cattura.out;
        err = cattura.err;
        return esito;
    }
    // What a run may change: records 2 (fuel, mode, correction), 3, 4 and 6.
    QStringList Foto()
    {
        QStringList f;
        for (int k : {0, 2, 5})
            f << QString::number(banco.ValoreEcu(2, k));
        for (int n : {3, 4, 6})
            f << banco.Controllo(QStringLiteral("block %1").arg(n));
        return f;
    }
    QStringList Giornali() const
    {
        return QDir(banco.Percorso(QStringLiteral("Data"))).entryList({QStringLiteral("restore_*")});
    }
};

cli::OpzioniAutotune Gpl(bool accetta = false)
{
    cli::OpzioniAutotune o;
    o.accetta = accetta;
    return o;
}

} // namespace

class TstTaraturaCli : public QObject
{
    Q_OBJECT
private slots:
    void acceptedRunEndsWithResult0()
    {
        Strumento s;
        QVERIFY(s.Avvia());
        QCOMPARE(s.Esegui(Gpl(true)), 0);
        QVERIFY2(s.out.contains(QStringLiteral("injector: Rail 2 ohm - fast (the ECU's)\n")), qPrintable(s.out));
        for (int k = 1; k <= 6; ++k)
            QVERIFY(s.out.contains(QStringLiteral("step %1\n").arg(k)));
        QVERIFY(s.out.contains(QStringLiteral("Tara al minimo\n")));
        QVERIFY2(s.out.contains(QStringLiteral("result 0: gas correction ")), qPrintable(s.err));
        QVERIFY(s.banco.Controllo(QStringLiteral("state")).contains(QStringLiteral("tuning=0")));
        QVERIFY(s.Giornali().isEmpty());
    }

    // Every row ends without a line written: the ECU must hold again what
    // it held before (records 2, 3, 4 and 6), and no journal may be left.
    void endedRunsPutTheEcuBack_data()
    {
        QTest::addColumn<QString>("momento");   // a printed line: "step N" or a status text
        QTest::addColumn<QString>("guasto");
        QTest::addColumn<int>("codice");
        QTest::addColumn<QString>("errore");
        const QString gas = QStringLiteral("Switching to gas...");
        const QString tara = QStringLiteral("Injector tare on gas: settling");
        const QString minimo = QStringLiteral("Release the accelerator and let the engine idle.");
        const QString esito = QStringLiteral("result ");
        QTest::newRow("unknown injector") << QString() << "injector" << 2 << "--injector: unknown injector 'none such'";
        QTest::newRow("bad profile") << QString() << "profile" << 1
                                     << "LPG column, Rpm Massimo: -2500 is outside 0..7000 rpm";
        QTest::newRow("cable pulled at step 3") << "step 3" << "unplug 3000" << 1 << esito;
        QTest::newRow("cable pulled on gas") << tara << "unplug 3000" << 1 << esito;
        QTest::newRow("cable pulled at step 6") << minimo << "unplug 3000" << 1 << esito;
        // Back only after the run's own restore gave up: put back once it answers.
        QTest::newRow("cable out for 12 s at step 3") << "step 3" << "unplug 12000" << 1
                                                      << "the ECU is back as it was before the autotuning";
        QTest::newRow("power cut while switching to gas") << gas << "power 2000" << 1 << esito;
        QTest::newRow("power cut on gas") << tara << "power 2000" << 1 << esito;
        QTest::newRow("power cut at step 6") << minimo << "power 2000" << 1 << esito;
        QTest::newRow("PrjCom killed on gas") << tara << "prjcom" << 1 << "the ECU is back as it was before";
        QTest::newRow("line download refused after Accept") << QString() << "refuse50" << 1 << esito;
    }
    void endedRunsPutTheEcuBack()
    {
        QFETCH(QString, momento);
        QFETCH(QString, guasto);
        QFETCH(int, codice);
        QFETCH(QString, errore);
        const bool rifiuta = guasto == QLatin1String("refuse50");
        Strumento s(rifiuta ? QStringList{QStringLiteral("--refuse"), QStringLiteral("50")} : QStringList{});
        QVERIFY(s.Avvia());
        const QStringList prima = s.Foto();
        cli::OpzioniAutotune o = Gpl(rifiuta);
        if (guasto == QLatin1String("injector"))
            o.iniettore = QStringLiteral("none such");
        if (guasto == QLatin1String("profile")) {
            s.banco.ScriviFile(QStringLiteral("cattivo.txt"),
                               ProfiloBreve().replace("Rpm Massimo=2500=2500", "Rpm Massimo=-2500=2500"));
            o.profilo = s.banco.Percorso(QStringLiteral("cattivo.txt"));
        }
        bool fatto = momento.isEmpty();
        const int esito = s.Esegui(o, [&](const QString &riga) {
            if (fatto || !riga.startsWith(momento))
                return;
            fatto = true;
            if (guasto == QLatin1String("prjcom")) {
                s.prjcom->Uccidi();
                return;
            }
            const bool cavo = guasto.startsWith(QLatin1String("unplug"));
            s.banco.Controllo(cavo ? QStringLiteral("unplug") : QStringLiteral("power off"));
            s.banco.Tra(guasto.section(QLatin1Char(' '), 1).toInt(), [&s, cavo] {
                s.banco.Controllo(cavo ? QStringLiteral("plug") : QStringLiteral("power on"));
            });
        });
        QCOMPARE(esito, codice);
        QVERIFY2(fatto, qPrintable(s.out));
        QVERIFY2(s.err.contains(errore), qPrintable(s.err));
        QVERIFY(!s.out.contains(QStringLiteral("result 0")));
        QCOMPARE(s.out.contains(QStringLiteral("step 1\n")), codice == 1 && guasto != QLatin1String("profile"));
        s.banco.Passa(300);
        QCOMPARE(s.Foto(), prima);
        QVERIFY2(s.Giornali().isEmpty(), qPrintable(s.err));
        QVERIFY(s.banco.Controllo(QStringLiteral("state")).contains(QStringLiteral("tuning=0")));
    }
};

GASCAL_PROVA(TstTaraturaCli)
#include "tst_taratura_cli.moc"
