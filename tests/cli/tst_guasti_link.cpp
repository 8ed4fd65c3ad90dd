#include "RegistroProve.h"
#include "BancoEcu.h"

#include "app/Orologio.h"
#include "app/TestoByte.h"
#include "ecu/SequenzeBlocchi.h"
#include "mapfile/Mappa.h"

#include <QMap>
#include <QTest>

using namespace gascal;

namespace {

// The data of the four sections a map load writes, without the answer
// header and the checksum (a save sets the pedestal guard in [BLK_3] and
// leaves its checksum as the ECU sent it).
QMap<QByteArray, QByteArray> Blocchi(const QByteArray &testo)
{
    QMap<QByteArray, QByteArray> blocchi;
    const QList<QByteArray> righe = testo.split('\n');
    for (qsizetype i = 0; i + 1 < righe.size(); ++i) {
        const QByteArray nome = righe[i].trimmed();
        const QByteArray riga = righe[i + 1].trimmed();
        if (nome == "[BLK_2]" || nome == "[BLK_3]" || nome == "[BLK_5]" || nome == "[MAP_0]")
            blocchi.insert(nome, riga.mid(10, riga.size() - 12));
    }
    return blocchi;
}

// After the ECU was started again on a new line: PrjCom opens it anew
// (whether the probe is answered in time or not).
void RiapriPorta(Contesto &ctx)
{
    ctx.link.InviaComando(10, ctx.impLink.ListaFirmware.value(0), ctx.impLink.AttesaPipe_usec);
    ctx.link.InviaComando(3, QByteArray(1, '\0'), ctx.impLink.AttesaPipe_usec);
}

QByteArray Salva(BancoEcu &b, const QString &nome)
{
    return Mappa(*b.ctx).SalvaMappa(b.Percorso(nome)) ? b.LeggiFile(nome) : QByteArray();
}

// Records whose answers do not change while the engine runs: identity,
// configuration, block 5, production data, calibration map.
const int Fissi[] = {Contesto::RecIdentita, Contesto::RecConfig, Contesto::RecBlk5,
                     Contesto::RecProduzione, Contesto::RecMappa};

} // namespace

// The link under faults, against the real PrjCom and ecusim: one answer in
// three lost or garbled, answers later than the ECU wait or than the pipe
// time-out. The program must find the ECU, keep every block exact, say what
// it has to say, and get back to a working link.
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
        BancoEcu pulito;
        QVERIFY(pulito.AvviaEcu() && pulito.Avvia() && pulito.Cerca());
        const auto riferimento = Blocchi(Salva(pulito, QStringLiteral("rif.var")));
        QCOMPARE(riferimento.size(), 4);

        BancoEcu b;
        QVERIFY(b.AvviaEcu(opzioni));
        QVERIFY(b.Avvia());
        QVERIFY2(b.Cerca(5000), "not found within 5 s");
        Contesto &ctx = *b.ctx;
        const QByteArray salvata = Salva(b, QStringLiteral("a.var"));
        QCOMPARE(Blocchi(salvata), riferimento);

        // Change the configuration, then load the saved map back.
        ctx.code.ValoriDaScrivere.Aggiungi(ctx.Valore(Contesto::RecConfig, 0) + 5, 0, 0);
        QVERIFY(SequenzeBlocchi(ctx).ScriviBlk3());
        QVERIFY(Blocchi(Salva(b, QStringLiteral("b.var"))) != riferimento);
        QVERIFY(Mappa(ctx).CaricaMappa(b.Percorso(QStringLiteral("a.var"))));
        QCOMPARE(Blocchi(Salva(b, QStringLiteral("c.var"))), riferimento);
        QCOMPARE(b.ui.Testi(), QStringList());
        QCOMPARE(ctx.stato.ErroreComunicazione, quint8(0));
    }

    void lateAnswersAreNeverTakenForAnotherRecord()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu() && b.Avvia() && b.Cerca());
        Contesto &ctx = *b.ctx;
        QMap<int, QByteArray> risposte;
        for (int n : Fissi) {
            QCOMPARE(ctx.tx.Richiedi(ctx.TabMsg.at(n)), 0);
            risposte.insert(n, ctx.tx.RispDati());
        }

        // Every answer now comes after the ECU wait, while the next read waits.
        QVERIFY(b.AvviaEcu({QStringLiteral("--delay-ms"), QStringLiteral("300")}));
        RiapriPorta(ctx);
        ctx.stato.StatoProgramma = StatoApp::Connesso;
        int buone = 0;
        for (int giro = 0; giro < 2; ++giro) {
            for (int n : Fissi) {
                if (ctx.tx.Richiedi(ctx.TabMsg.at(n)) != 0)
                    continue;
                ++buone;
                QCOMPARE(ctx.tx.RispDati(), risposte.value(n));
            }
        }
        QVERIFY(buone > 0);
        QCOMPARE(b.ui.Testi(), QStringList()); // silence from the ECU is no time-out of the pipe
    }

    void replyAfterThePipeTimeOutAsksAndTheLinkComesBack()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu() && b.Avvia() && b.Cerca());
        Contesto &ctx = *b.ctx;
        const QByteArray configurazione = ctx.TabMsg.at(Contesto::RecConfig).Immagine;
        const qint64 attesaPipe = ctx.impLink.AttesaPipe_usec;

        // PrjCom's reply comes 100 ms after the request, the program waits 50 ms.
        QVERIFY(b.AvviaEcu({QStringLiteral("--delay-ms"), QStringLiteral("100")}));
        RiapriPorta(ctx);
        ctx.impLink.AttesaPipe_usec = 50000;
        ctx.stato.StatoProgramma = StatoApp::Connesso;
        ctx.stato.ErroreComunicazione = 0;
        for (int i = 0; i < 8; ++i)
            b.ui.risposte << ServiziUi::Risposta::Riprova;
        QCOMPARE(ctx.tx.Richiedi(ctx.TabMsg.at(Contesto::RecConfig)), 0);
        QCOMPARE(ctx.tx.RispDati(), configurazione);
        QVERIFY(!b.ui.Testi().isEmpty());
        QCOMPARE(b.ui.Testi().filter(QStringLiteral("Error 007 - Time Out")), b.ui.Testi());
        QCOMPARE(ctx.stato.ErroreComunicazione, quint8(0));

        // Cancel: the link is marked failed, and the search takes over.
        b.ui.risposte.clear();
        b.ui.mostrati.clear();
        QCOMPARE(ctx.tx.Richiedi(ctx.TabMsg.at(Contesto::RecLive)), 4);
        QCOMPARE(b.ui.Testi(), QStringList{"Error 007 - Time Out"});
        QCOMPARE(ctx.stato.ErroreComunicazione, quint8(1));
        // The late reply to the cancelled read is not the search's.
        QVERIFY(b.AvviaEcu());
        ctx.impLink.AttesaPipe_usec = attesaPipe;
        QVERIFY(b.Cerca());
        QCOMPARE(ctx.TabMsg.at(Contesto::RecConfig).Immagine, configurazione);
        QCOMPARE(b.ui.Testi(), QStringList{"Error 007 - Time Out"});
    }
};

GASCAL_PROVA(TstGuastiLink)
#include "tst_guasti_link.moc"
