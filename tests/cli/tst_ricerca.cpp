#include "RegistroProve.h"
#include "BancoEcu.h"
#include "MisuraCpu.h"

#include "app/Orologio.h"
#include "app/TestoByte.h"
#include "mapfile/RicercaEcu.h"

#include <QFile>
#include <QTest>
#include <QTimer>

using namespace gascal;

// The ECU search against the virtual ECU through the real PrjCom.
class TstRicerca : public QObject
{
    Q_OBJECT

private slots:
    void findsTheEcuAndReadsEveryRecord()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu());
        QVERIFY(b.Avvia());
        int aggiornamenti = 0;
        b.ctx->AggiornaFinestre = [&] { ++aggiornamenti; };
        b.ctx->stato.CaricaDefAvvio = 1;
        QVERIFY(b.Cerca());

        const Contesto &ctx = *b.ctx;
        // Every record's image is the ECU's answer, decoded.
        QVERIFY(ctx.TabMsg[0].Immagine.startsWith(HexToStr(QStringLiteral("012828112014")) + "ECU GC-SQ4 LPG"));
        QCOMPARE(ctx.TabMsg[6].Immagine.size(), 62);
        QCOMPARE(ctx.Valore(Contesto::RecProduzione, 0), 1234);
        QCOMPARE(ctx.Valore(Contesto::RecConfig, 0), 35);
        QCOMPARE(ctx.Valore(Contesto::RecBlk5, 8), 55);
        QCOMPARE(ctx.Valore(Contesto::RecLive, 5), 1200);
        QCOMPARE(ctx.stato.CaricaDefAvvio, quint8(0));
        QCOMPARE(ctx.stato.ErroreComunicazione, quint8(0));
        QCOMPARE(aggiornamenti, 1);
    }

    // Nothing to find: the search sleeps between rounds and ends soon after it is told to.
    void searchThatFindsNothingStopsAndDoesNotSpin_data()
    {
        QTest::addColumn<QStringList>("ecu"); // ecusim's options; empty: no ECU
        QTest::newRow("no ECU, exit") << QStringList{};
        QTest::newRow("map read refused, stop") << QStringList{"--refuse", "18"};
    }
    void searchThatFindsNothingStopsAndDoesNotSpin()
    {
        QFETCH(QStringList, ecu);
        BancoEcu b;
        if (ecu.isEmpty())
            QFile::remove(b.Percorso(QStringLiteral("PortCom.ini")));
        else
            QVERIFY(b.AvviaEcu(ecu));
        QVERIFY(b.Avvia());
        b.ctx->stato.ErroreComunicazione = 1;
        double durata = 0;
        bool trovata = true;
        // The program and PrjCom together, against one spinning thread.
        const double rapporto = MisuraCpu::RapportoConGiro([&] {
            const double t0 = TimerApi_uSec();
            if (ecu.isEmpty()) {
                QTimer::singleShot(1500, [&] { b.ctx->stato.UscitaRichiesta = 1; });
                RicercaEcu(*b.ctx).CercaCentralina();
                trovata = b.ctx->stato.StatoProgramma == StatoApp::Connesso;
            } else {
                trovata = b.Cerca(1500);
            }
            durata = (TimerApi_uSec() - t0) / 1e6;
        }, true);
        QVERIFY(!trovata);
        QVERIFY2(durata >= 1.4 && durata < 3, qPrintable(QString::number(durata)));
        QVERIFY2(rapporto < 0.5, qPrintable(QStringLiteral("CPU %1 of a spin").arg(rapporto)));
        QCOMPARE(b.ctx->stato.ErroreComunicazione, quint8(0));
        QCOMPARE(b.ctx->stato.StatoProgramma, int(StatoApp::Ricerca));
    }

    void unprogrammedEcuAsksForAnUpdate()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({QStringLiteral("--unprogrammed")}));
        QVERIFY(b.Avvia());
        QVERIFY(!b.Cerca(5000));
        QCOMPARE(b.ctx->TabMsg[0].Immagine, b.ctx->imp.MsgProva);
        QCOMPARE(b.ctx->stato.LavoroOffline, quint8(0)); // it returned by itself

        RicercaEcu(*b.ctx).VerificaFirmware(b.ctx->imp.FirmwareAtteso, b.ctx->TabMsg[0].Immagine);
        QCOMPARE(b.ui.Testi(), QStringList{RicercaEcu::TestoNonProgrammata()});
        QVERIFY(b.ui.mostrati[0].icona == ServiziUi::Icona::Nessuna && b.ctx->stato.UscitaRichiesta == 0);
        QCOMPARE(b.ctx->stato.MarcatoreAggiornamento, QStringLiteral("Lampeggia"));

        // A stop pressed between two searches ends the next one before it probes.
        b.ctx->stato.LavoroOffline = 1;
        b.ctx->stato.ErroreComunicazione = 1;
        b.ctx->TabMsg[0].Immagine.clear();
        RicercaEcu(*b.ctx).CercaCentralina();
        QVERIFY(b.ctx->TabMsg[0].Immagine.isEmpty());
        QCOMPARE(b.ctx->stato.ErroreComunicazione, quint8(0));
        QCOMPARE(b.ctx->stato.LavoroOffline, quint8(1)); // for the frame to go offline
    }

};

GASCAL_PROVA(TstRicerca)
#include "tst_ricerca.moc"
