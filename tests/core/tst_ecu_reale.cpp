#include "RegistroProve.h"
#include "BancoEcu.h"

#include "app/Orologio.h"
#include "app/TestoByte.h"
#include "ecu/Definizioni.h"
#include "ecu/SequenzeBlocchi.h"
#include "link/MessaggioEcu.h"

#include <QTest>

using namespace gascal;

// The link, the message table and the write sequences against the real
// communication process and the virtual ECU.
class TstEcuReale : public QObject
{
    Q_OBJECT

    // Opens port 0 as the search does, so that record reads can follow.
    static bool ApriPorta(Contesto &ctx)
    {
        const qint64 t = ctx.impLink.AttesaPipe_usec;
        return ctx.link.InviaComando(2, QByteArray(1, '\0'), t) == 0
            && ctx.link.InviaComando(10, ctx.impLink.ListaFirmware.value(0), t) == 0
            && ctx.link.InviaComando(3, QByteArray(1, '\0'), t) == 0 && ctx.link.RispByte4() == 1;
    }

    static bool LeggiTutto(Contesto &ctx)
    {
        SequenzeBlocchi seq(ctx);
        for (int n = 0; n < ctx.TabMsg.size(); ++n)
            if (seq.LeggiRecord(n, true) != 0)
                return false;
        return true;
    }

    // A bench with the ECU started, the program started and every record read.
    static bool Connetti(BancoEcu &banco, const QStringList &opzioni = {}, bool controllo = false)
    {
        return banco.AvviaEcu(opzioni, controllo) && banco.Avvia() && ApriPorta(*banco.ctx)
            && LeggiTutto(*banco.ctx);
    }

private slots:
    void startUpExchangesItsFirstCommand()
    {
        BancoEcu banco;
        QVERIFY(banco.AvviaEcu());
        QVERIFY(banco.Avvia());
        QCOMPARE(banco.ctx->link.RispCodice(), 2);
        QVERIFY(banco.ctx->link.ProcessoAttivo());
        QCOMPARE(banco.ctx->TabMsg.size(), 7);
        QCOMPARE(banco.ctx->imp.FirmwareAtteso.left(6), HexToStr(QStringLiteral("012828112014")));
        QVERIFY(banco.ui.mostrati.isEmpty());
        QVERIFY(banco.ctx->link.ChiudiPipe(banco.ctx->impLink.AttesaPipe_usec));
    }

    void startUpWithoutFirmwareEndsWithAMessage()
    {
        BancoEcu banco;
        banco.ScriviFile(QStringLiteral("SetCom.ini"), "[AttesaPipe_usec]\r\n1000\r\n");
        QVERIFY(!banco.Avvia());
        QCOMPARE(banco.ui.mostrati.size(), 1);
        QVERIFY(!banco.ctx->link.ProcessoAttivo()); // nothing started
    }

    void probeAndRecordReads()
    {
        BancoEcu banco;
        QVERIFY(banco.AvviaEcu());
        QVERIFY(banco.Avvia());
        Contesto &ctx = *banco.ctx;
        QVERIFY(ApriPorta(ctx));
        QByteArray grezza;
        QCOMPARE(ctx.link.InviaComando(3, QByteArray(1, '\0'), ctx.impLink.AttesaPipe_usec, &grezza), 0);
        QVERIFY(grezza.right(6) != ctx.imp.MsgProva); // programmed
        QVERIFY(LeggiTutto(ctx));
        // The engine speed needs the factor of the configuration: read again.
        QCOMPARE(SequenzeBlocchi(ctx).LeggiRecord(Contesto::RecLive, true), 0);
        // Engineering values that make sense: an engine at idle.
        QVERIFY(ctx.Valore(Contesto::RecLive, 4) > 500 && ctx.Valore(Contesto::RecLive, 4) < 1200);
        QCOMPARE(ctx.TabMsg[Contesto::RecMappa].NumeroVariabili(), 56);
    }

    void unprogrammedEcuEchoesTheProbe()
    {
        BancoEcu banco;
        QVERIFY(banco.AvviaEcu({QStringLiteral("--unprogrammed")}));
        QVERIFY(banco.Avvia());
        Contesto &ctx = *banco.ctx;
        QByteArray grezza;
        ctx.link.InviaComando(10, ctx.impLink.ListaFirmware.value(0), ctx.impLink.AttesaPipe_usec);
        QCOMPARE(ctx.link.InviaComando(3, QByteArray(1, '\0'), ctx.impLink.AttesaPipe_usec, &grezza), 0);
        QCOMPARE(grezza.right(6), ctx.imp.MsgProva);
    }

    void missingPortIsAnsweredAtOnce()
    {
        BancoEcu banco;
        QVERIFY(banco.Avvia()); // no ECU: the link points nowhere
        Contesto &ctx = *banco.ctx;
        QElapsedTimer t;
        t.start();
        QCOMPARE(ctx.link.InviaComando(3, QByteArray(1, '\0'), ctx.impLink.AttesaPipe_usec), 0);
        QVERIFY(t.elapsed() < 200);
        QVERIFY(ctx.link.RispByte4() != 1);
        QVERIFY(banco.ui.mostrati.isEmpty());
    }

    void readModifyWriteOfTheConfiguration()
    {
        BancoEcu banco;
        QVERIFY(Connetti(banco));
        Contesto &ctx = *banco.ctx;
        ctx.stato.StatoProgramma = StatoApp::Connesso;
        const QVector<qint32> prima = ctx.TabMsg[Contesto::RecConfig].Valori;
        const qint32 modoPrima = ctx.link.RispByte6();
        const qint32 scala = ctx.TabMsg[Contesto::RecConfig].Scala[1];
        const qint32 nuovo = prima[1] / scala < 100 ? prima[1] + scala : prima[1] - scala;
        ctx.code.ValoriDaScrivere.Aggiungi(nuovo, 1, 0);
        QVERIFY(SequenzeBlocchi(ctx).ScriviBlk3());
        QVERIFY(ctx.code.ValoriDaScrivere.Vuota());
        QCOMPARE(ctx.link.RispByte6(), modoPrima);
        // The ECU's own value, read back by a fresh request.
        ctx.TabMsg[Contesto::RecConfig].Valori[1] = -1;
        QCOMPARE(SequenzeBlocchi(ctx).LeggiRecord(Contesto::RecConfig, true), 0);
        QVector<qint32> atteso = prima;
        atteso[1] = nuovo;
        QCOMPARE(ctx.TabMsg[Contesto::RecConfig].Valori, atteso);
    }

    void failedWriteKeepsTheQueueAndRestoresTheMode()
    {
        BancoEcu banco;
        QVERIFY(Connetti(banco, {QStringLiteral("--refuse"), QStringLiteral("17")}));
        Contesto &ctx = *banco.ctx;
        ctx.stato.StatoProgramma = StatoApp::Connesso;
        const qint32 modoPrima = ctx.link.RispByte6();
        ctx.code.ValoriDaScrivere.Aggiungi(1, 4, 8);
        QVERIFY(!SequenzeBlocchi(ctx).ScriviBlk3());
        QVERIFY(!ctx.code.ValoriDaScrivere.Vuota());
        QCOMPARE(ctx.link.RispByte6(), modoPrima);
    }

    void mapAndBlock5Write()
    {
        BancoEcu banco;
        QVERIFY(Connetti(banco));
        Contesto &ctx = *banco.ctx;
        MsgRecord mappa = ctx.TabMsg[Contesto::RecMappa];
        for (qint32 &v : mappa.Valori)
            v = (v + 3) % 200;
        ctx.code.DatiMap0 = Blocco::CodificaBlocco(mappa);
        ctx.code.DatiBlk5 = Blocco::CodificaBlocco(ctx.TabMsg[Contesto::RecBlk5]);
        QVERIFY(SequenzeBlocchi(ctx).ScriviMappe());
        QVERIFY(ctx.code.DatiMap0.isEmpty());
        QVERIFY(!ctx.code.DatiBlk5.isEmpty());
        QCOMPARE(ctx.TabMsg[Contesto::RecMappa].Valori, mappa.Valori);
    }

    void fuelToggleSwitchesTheEcuToGasAndBack()
    {
        BancoEcu banco;
        QVERIFY(Connetti(banco, {}, true));
        Contesto &ctx = *banco.ctx;
        QCOMPARE(banco.Controllo(QStringLiteral("rpm 2500")), QStringLiteral("ok"));
        QCOMPARE(banco.Controllo(QStringLiteral("temp 60")), QStringLiteral("ok"));
        ctx.stato.StatoProgramma = StatoApp::Connesso;
        SequenzeBlocchi seq(ctx);
        auto carburante = [&](qint32 atteso) {
            for (int i = 0; i < 60; ++i) {
                if (seq.LeggiRecord(Contesto::RecComandi, true) == 0
                    && ctx.Valore(Contesto::RecComandi, 1) == atteso)
                    return true;
                AttesaUSec(250000);
            }
            return false;
        };
        QVERIFY(carburante(0));
        QVERIFY(seq.CommutaStato());
        QVERIFY2(carburante(3), qPrintable(banco.Controllo(QStringLiteral("state"))));
        // The request bit is put back: the toggle is a pulse.
        QCOMPARE(ctx.Valore(Contesto::RecComandi, 2) & 1, 0);
        QVERIFY(seq.CommutaStato());
        QVERIFY(carburante(0));
    }

    void definitionFilesDecodeToTheEcuValues()
    {
        BancoEcu banco;
        QVERIFY(banco.AvviaEcu());
        QVERIFY(banco.Avvia());
        Contesto &ctx = *banco.ctx;
        if (!QFile::exists(ctx.imp.FileDefGpl))
            QSKIP("no def.xar in the program folder");
        QVERIFY(Definizioni::CaricaDefinizioni(ctx, ctx.imp.FileDefGpl));
        const TabellaMessaggi daFile = ctx.TabMsg;
        QVERIFY(ApriPorta(ctx));
        QVERIFY(LeggiTutto(ctx));
        for (int n : {Contesto::RecComandi, Contesto::RecConfig, Contesto::RecBlk5, Contesto::RecMappa})
            QCOMPARE(daFile[n].Valori, ctx.TabMsg[n].Valori);
    }
};

GASCAL_PROVA(TstEcuReale)
#include "tst_ecu_reale.moc"
