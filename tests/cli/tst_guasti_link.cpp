#include "RegistroProve.h"
#include "BancoEcu.h"

#include "ecu/SequenzeBlocchi.h"
#include "mapfile/FileMappa.h"
#include "mapfile/Mappa.h"

#include <QMap>
#include <QTest>

using namespace gascal;
using namespace Qt::StringLiterals;

namespace {

// The four loaded sections' data, saved from the bench's ECU.
QStringList Salva(BancoEcu &b, const QString &nome)
{
    FileMappa::BlocchiCaricati s;
    if (!Mappa(*b.ctx).SalvaMappa(b.Percorso(nome)) || !FileMappa::Leggi(b.LeggiFile(nome), s).isEmpty())
        return {};
    return {s.Blk2.mid(10).chopped(2), s.Blk3.mid(10).chopped(2), s.Blk5.mid(10).chopped(2), s.Map0.mid(10).chopped(2)};
}

// After the ECU restarted on a new line: PrjCom reopens it; the link is up.
void RiapriPorta(Contesto &ctx)
{
    ctx.link.InviaComando(10, ctx.impLink.ListaFirmware.value(0), ctx.impLink.AttesaPipe_usec);
    ctx.link.InviaComando(3, QByteArray(1, '\0'), ctx.impLink.AttesaPipe_usec);
    ctx.stato.StatoProgramma = StatoApp::Connesso;
}

} // namespace

// The link under faults against the real PrjCom and ecusim: found, exact blocks, back to work.
class TstGuastiLink : public QObject
{
    Q_OBJECT

private slots:
    void noiseStillFindsTheEcuAndMapsRoundTripExactly_data()
    {
        QTest::addColumn<QStringList>("opzioni");
        QTest::newRow("one answer in 3 lost") << QStringList{"--drop-every", "3"};
        QTest::newRow("one answer in 3 garbled") << QStringList{"--corrupt-every", "3"};
    }
    void noiseStillFindsTheEcuAndMapsRoundTripExactly()
    {
        QFETCH(QStringList, opzioni);
        BancoEcu pulito, b;
        QVERIFY(pulito.AvviaEcu() && pulito.Avvia() && pulito.Cerca());
        const QStringList riferimento = Salva(pulito, u"rif.var"_s);
        QCOMPARE(riferimento.size(), 4);
        QVERIFY(b.AvviaEcu(opzioni) && b.Avvia());
        QVERIFY2(b.Cerca(5000), "not found within 5 s");
        QCOMPARE(Salva(b, u"a.var"_s), riferimento);

        // Change the configuration, then load the saved map back.
        Contesto &ctx = *b.ctx;
        ctx.code.ValoriDaScrivere.Aggiungi(ctx.Valore(Contesto::RecConfig, 0) + 5, 0, 0);
        QVERIFY(SequenzeBlocchi(ctx).ScriviBlk3());
        QVERIFY(Salva(b, u"b.var"_s) != riferimento);
        QVERIFY(Mappa(ctx).CaricaMappa(b.Percorso(u"a.var"_s)));
        QCOMPARE(Salva(b, u"c.var"_s), riferimento);
        QVERIFY(b.ui.Testi().isEmpty() && ctx.stato.ErroreComunicazione == 0);
    }

    // Every answer after the ECU wait: a late answer is never taken for the next read's.
    void lateAnswersAreNeverTakenForAnotherRecord()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu() && b.Avvia() && b.Cerca());
        Contesto &ctx = *b.ctx;
        QMap<int, QByteArray> risposte;
        const int fissi[] = {Contesto::RecIdentita, Contesto::RecConfig, Contesto::RecBlk5, Contesto::RecProduzione, Contesto::RecMappa};
        for (int n : fissi) {
            QCOMPARE(ctx.tx.Richiedi(ctx.TabMsg.at(n)), 0);
            risposte.insert(n, ctx.tx.RispDati());
        }
        QVERIFY(b.AvviaEcu({u"--delay-ms"_s, u"300"_s}));
        RiapriPorta(ctx);
        int buone = 0;
        for (int giro = 0; giro < 2; ++giro) {
            for (int n : fissi) {
                if (ctx.tx.Richiedi(ctx.TabMsg.at(n)) != 0)
                    continue;
                ++buone;
                QCOMPARE(ctx.tx.RispDati(), risposte.value(n));
            }
        }
        QVERIFY(buone > 0 && b.ui.Testi().isEmpty());
    }

    // The reply after the pipe time-out: Retry gets it; Cancel hands over to the search.
    void replyAfterThePipeTimeOutAsksAndTheLinkComesBack()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu() && b.Avvia() && b.Cerca());
        Contesto &ctx = *b.ctx;
        const QByteArray configurazione = ctx.TabMsg.at(Contesto::RecConfig).Immagine;
        const qint64 attesaPipe = ctx.impLink.AttesaPipe_usec;
        QVERIFY(b.AvviaEcu({u"--delay-ms"_s, u"100"_s}));
        RiapriPorta(ctx);
        ctx.impLink.AttesaPipe_usec = 50000;
        ctx.stato.ErroreComunicazione = 0;
        for (int i = 0; i < 8; ++i)
            b.ui.risposte << ServiziUi::Risposta::Riprova;
        QCOMPARE(ctx.tx.Richiedi(ctx.TabMsg.at(Contesto::RecConfig)), 0);
        QCOMPARE(ctx.tx.RispDati(), configurazione);
        QVERIFY(!b.ui.Testi().isEmpty() && b.ui.Testi().filter(u"Error 007 - Time Out"_s) == b.ui.Testi());
        QCOMPARE(ctx.stato.ErroreComunicazione, quint8(0));

        b.ui.risposte.clear();
        b.ui.mostrati.clear();
        QCOMPARE(ctx.tx.Richiedi(ctx.TabMsg.at(Contesto::RecLive)), 4);
        QCOMPARE(b.ui.Testi(), QStringList{"Error 007 - Time Out"});
        QCOMPARE(ctx.stato.ErroreComunicazione, quint8(1));
        QVERIFY(b.AvviaEcu());
        ctx.impLink.AttesaPipe_usec = attesaPipe;
        QVERIFY(b.Cerca());
        QCOMPARE(ctx.TabMsg.at(Contesto::RecConfig).Immagine, configurazione);
        QCOMPARE(b.ui.Testi(), QStringList{"Error 007 - Time Out"});
    }
};

GASCAL_PROVA(TstGuastiLink)
#include "tst_guasti_link.moc"
