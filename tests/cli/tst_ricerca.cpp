#include "RegistroProve.h"
#include "BancoEcu.h"
#include "MisuraCpu.h"

#include "app/Orologio.h"
#include "app/TestoByte.h"
#include "mapfile/Identita.h"
#include "mapfile/RicercaEcu.h"

#include <QDir>
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
        const QByteArray identita = ctx.TabMsg[0].Immagine;
        QVERIFY(identita.startsWith(HexToStr(QStringLiteral("012828112014")) + "ECU GC-SQ4 LPG"));
        QCOMPARE(Identita::FormatVersione(identita), QStringLiteral("01.28 - 28/11/2014"));
        QCOMPARE(Identita::TerzaParola(identita), QByteArray("GC-SQ4"));
        QCOMPARE(Identita::IdCodice(identita), 2014);
        // Every record's image is the ECU's answer, decoded.
        QCOMPARE(ctx.TabMsg[6].Immagine.size(), 62);
        QCOMPARE(ctx.Valore(Contesto::RecProduzione, 0), 1234);
        QCOMPARE(ctx.Valore(Contesto::RecConfig, 0), 35);
        QCOMPARE(ctx.Valore(Contesto::RecBlk5, 8), 55);
        QCOMPARE(ctx.Valore(Contesto::RecLive, 5), 1200);
        QCOMPARE(ctx.stato.CaricaDefAvvio, quint8(0));
        QCOMPARE(ctx.stato.ErroreComunicazione, quint8(0));
        QCOMPARE(aggiornamenti, 1);

        RicercaEcu(*b.ctx).VerificaFirmware(ctx.imp.FirmwareAtteso, identita);
        QVERIFY(b.ui.mostrati.isEmpty());
        QCOMPARE(ctx.stato.UscitaRichiesta, quint8(0));
    }

    void scansEveryPortWithoutPortCom()
    {
        // The ECU on port 7 only; ports 0..6 do not exist.
        BancoEcu b;
        QFile::remove(b.Percorso(QStringLiteral("PortCom.ini")));
        b.ScriviFile(QStringLiteral("PrjCom.ini"), "7=" + b.Link().toLocal8Bit() + "\n");
        QVERIFY(b.AvviaEcu());
        QVERIFY(b.Avvia());
        QVERIFY(b.Cerca(20000));
        QCOMPARE(b.ctx->link.Risposta().RispByte5, 7); // the port PrjCom has open
    }

    void stopsWhenAskedAndDoesNotSpin()
    {
        // No ECU at all: every port is missing; the search sleeps while it
        // waits and ends soon after it is told to.
        BancoEcu b;
        QFile::remove(b.Percorso(QStringLiteral("PortCom.ini")));
        QVERIFY(b.Avvia());
        b.ctx->stato.ErroreComunicazione = 1;
        double durata = 0;
        // The program and PrjCom together, against one spinning thread.
        const double rapporto = MisuraCpu::RapportoConGiro([&] {
            QTimer::singleShot(1500, [&] { b.ctx->stato.UscitaRichiesta = 1; });
            const double t0 = TimerApi_uSec();
            RicercaEcu(*b.ctx).CercaCentralina();
            durata = (TimerApi_uSec() - t0) / 1e6;
        }, true);
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
        QVERIFY(b.ui.Testi()[0].contains(QStringLiteral("non programmata")));
        QCOMPARE(b.ctx->stato.MarcatoreAggiornamento, QStringLiteral("Lampeggia"));

        // The next search finds it again: no second box while the button blinks.
        QVERIFY(!b.Cerca(5000));
        RicercaEcu(*b.ctx).VerificaFirmware(b.ctx->imp.FirmwareAtteso, b.ctx->TabMsg[0].Immagine);
        QCOMPARE(b.ui.mostrati.size(), 1);
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

    void newerFirmwareClosesTheProgram()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({QStringLiteral("--identity"),
                            QStringLiteral("013001062015") + QString::fromLatin1(QByteArray(" ECU GC-SQ4 LPG").toHex())}));
        QVERIFY(b.Avvia());
        QVERIFY(b.Cerca());
        const QByteArray identita = b.ctx->TabMsg[0].Immagine;
        QCOMPARE(Identita::FormatVersione(identita), QStringLiteral("01.30 - 01/06/2015"));
        RicercaEcu(*b.ctx).VerificaFirmware(b.ctx->imp.FirmwareAtteso, identita);
        QCOMPARE(b.ctx->stato.UscitaRichiesta, quint8(1));
        QCOMPARE(b.ui.mostrati.size(), 1);
        QCOMPARE(b.ui.mostrati[0].testo, b.ctx->diz.Testo(4) + "\r\n" + b.ctx->diz.Testo(5));
    }

    void ecuThatRefusesAReadIsNotTakenAsFound()
    {
        // Probes answered, the map read refused: the search goes on until
        // stopped, retrying at a calm pace (every attempt is answered at once).
        BancoEcu b;
        QVERIFY(b.AvviaEcu({QStringLiteral("--refuse"), QStringLiteral("18")}));
        QVERIFY(b.Avvia());
        bool trovata = true;
        const double rapporto = MisuraCpu::RapportoConGiro([&] { trovata = b.Cerca(1500); }, true);
        QVERIFY(!trovata);
        QVERIFY2(rapporto < 0.5, qPrintable(QStringLiteral("CPU %1 of a spin").arg(rapporto)));
        QCOMPARE(b.ctx->stato.StatoProgramma, int(StatoApp::Ricerca));
    }
};

GASCAL_PROVA(TstRicerca)
#include "tst_ricerca.moc"
