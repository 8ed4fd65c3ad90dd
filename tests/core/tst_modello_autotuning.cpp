// What the autotuning window shows, without the window, on the stepped clock.
#include "RegistroProve.h"
#include "BancoVirtuale.h"
#include "autotune/ModelloAutotuning.h"
#include <QTest>

using namespace gascal;

class TstModelloAutotuning : public QObject
{
    Q_OBJECT
    std::unique_ptr<BancoVirtuale> banco;
    std::unique_ptr<ModelloAutotuning> m;
    QString T(int k) const { return m->Sequenza().Testo(k); }
    const VistaAutotuning &v() const { return m->Vista(); }

private slots:
    void init()
    {
        banco = std::make_unique<BancoVirtuale>();
        QVERIFY(banco->Avvia());
        banco->ctx->stato.StatoProgramma = StatoApp::Connesso;
        banco->ctx->imp.SepDecimale = QStringLiteral(",");
        m = std::make_unique<ModelloAutotuning>(*banco->ctx);
    }
    void cleanup() { m.reset(), banco.reset(); }
    // A run's last text stays, without the prompt, until the window closes; nothing closes it in a run.
    void resultStaysUntilClosed_data()
    {
        QTest::addColumn<int>("invito");
        QTest::newRow("a failure, acknowledged with Stop") << 17;
        QTest::newRow("the line, accepted") << 45;
        QTest::newRow("no prompt") << 0;
    }
    void resultStaysUntilClosed()
    {
        QFETCH(int, invito);
        QCOMPARE(v().stato, T(4));
        // The return to idle says what it waits for instead of "2500 < 1100".
        m->MostraStato(T(28) + QStringLiteral("\r\n2500 < 1100"));
        QCOMPARE(v().stato, T(28) + QLatin1Char('\n')
                     + m->Testo2(2, "Engine speed %1 rpm: waiting until it falls below %2 rpm.").arg(2500).arg(1100));
        QVERIFY(v().stato.contains(QStringLiteral("2500 rpm")));
        m->VisualizzaTempiCampionamentoGas(1000);
        m->ViualizzaLblTempi(true);
        m->MostraCorrezione(QStringLiteral("old"));
        QVERIFY(m->Go(QStringLiteral("GasCal")));
        QVERIFY(!v().tempiVisibili && v().testoGas.isEmpty() && v().correzione.isEmpty() && v().barraGas == 0);
        QVERIFY(!v().go && v().stop && !v().chiudi && !v().accept && !m->Chiudi() && !m->Stop());
        m->MostraStato(QStringLiteral("esito\r\n\r\n") + (invito ? T(invito) : QStringLiteral("fine")));
        m->MostraStato(T(4));
        m->FineTaratura();
        QCOMPARE(v().stato, invito ? QStringLiteral("esito") : QStringLiteral("esito\n\nfine"));
        QVERIFY(v().go && !v().stop && v().chiudi);
        const QString esito = v().stato;
        m->MostraStato(T(4));
        QCOMPARE(v().stato, esito);
        QVERIFY(!m->Chiudi()); // the frame has not ended the run yet
        banco->ctx->stato.AutotuningRichiesto = 0;
        QVERIFY(m->Chiudi() && v().stato == T(4));
        // Offline no run starts.
        banco->ctx->stato.StatoProgramma = StatoApp::Offline;
        QVERIFY(!m->Go(QString()) && v().go && !v().stop);
    }
    // The fuel list, then the injector list; Accept with nothing selected leaves the choice open.
    void listsOfChoices()
    {
        SequenzaTaratura &seq = m->Sequenza();
        seq.CaricaSelezioneAlimentazione();
        QCOMPARE(v().voci, seq.VociAlimentazione());
        QVERIFY(v().voci.size() == 2 && v().riga == -1 && v().accept && v().nomeLista == T(35));
        m->Accetta(-1);
        QCOMPARE(seq.SelAlimentazione, -2);
        m->Scegli(1);
        QVERIFY(seq.SelAlimentazione == 8 && !v().accept);
        const auto &tabella = banco->ctx->scale.TabIniettori;
        QVERIFY(tabella.size() > 2);
        for (int riga : {2, 0, -1}) {
            const int caricamento = v().caricamento;
            banco->ctx->TabMsg[Contesto::RecConfig].Valori[1] = riga < 0 ? 999 : tabella.at(riga).Codice;
            seq.CaricaSelezioneIniettore();
            QVERIFY(v().caricamento == caricamento + 1 && v().voci.size() == tabella.size() && v().nomeLista == T(34));
            QVERIFY(v().voci.last() == tabella.last().Nome && v().riga == riga);
        }
        m->Scegli(3);
        QCOMPARE(seq.SelIniettore, 3);
    }
    void barsAndBlink()
    {
        for (const auto &[tempo, testo, larghezza] : {std::tuple{1234, "1,23", 330}, {4000, "4,00", 1072},
                                                      {20000, "20,00", 2145}, {-10, "-0,01", 0}}) {
            m->VisualizzaTempiCampionamentoBenzina(tempo);
            QCOMPARE(v().testoBenzina, T(42) + QLatin1Char(' ') + QLatin1String(testo));
            QCOMPARE(v().barraBenzina, larghezza);
        }
        m->VisualizzaTempiCampionamentoGas(8000);
        m->MostraCorrezione(QStringLiteral("corr\r\n0,64"));
        QVERIFY(v().testoGas == T(43) + QStringLiteral(" 8,00") && v().barraGas == ModelloAutotuning::LarghezzaBarre);
        QCOMPARE(v().correzione, QStringLiteral("corr 0,64"));
        // The indicator changes at most every 250 ms, and hides on its own.
        int cambi = 0;
        for (int ms = 0; ms < 600; ms += 5) {
            const bool prima = v().lampeggioAcceso;
            m->LampeggioInTaratura(false);
            cambi += v().lampeggioAcceso != prima;
            banco->Passa(5);
        }
        QVERIFY(cambi == 3 && v().lampeggioVisibile);
        m->LampeggioInTaratura(true);
        QVERIFY(!v().lampeggioVisibile);
    }
};

GASCAL_PROVA(TstModelloAutotuning)
#include "tst_modello_autotuning.moc"
