// The frame's connection state machine against the real communication
// process and ecusim: connecting, losing and regaining the link, working
// offline, and closing.
#include "RegistroProve.h"
#include "ProgrammaProva.h"

#include "app/TestoByte.h"
#include "ui/main/FrmWait.h"

#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using gascal::StatoApp;

class TstFrameConnessione : public QObject
{
    Q_OBJECT
private slots:
    void connetteERiconnetteDopoPerditaDelLink();
    void chiusuraDuranteTransazioneAlTickSuccessivo();
    void offlineCaricaDefinizioniEScartaOperazioni();
    void centralinaNonProgrammataSegnalataUnaVolta();
};

void TstFrameConnessione::centralinaNonProgrammataSegnalataUnaVolta()
{
    ProgrammaProva p;
    QCOMPARE(p.AvviaEcu({QStringLiteral("--unprogrammed")}), QString());
    QVERIFY(p.AvviaProgramma());
    // The search finds the boot loader again and again; the box comes once
    // and the update button keeps blinking.
    QTRY_COMPARE_WITH_TIMEOUT(p.ctx.stato.MarcatoreAggiornamento, QStringLiteral("Lampeggia"), 5000);
    QTest::qWait(1500);
    QCOMPARE(p.ui.mostrati.size(), 1);
    QVERIFY(p.ui.mostrati[0].testo.contains(QStringLiteral("non programmata")));
    QCOMPARE(p.ctx.stato.MarcatoreAggiornamento, QStringLiteral("Lampeggia"));
    // The wait window's stop still takes the program offline.
    p.frame->Attesa()->CmdStop->click();
    QVERIFY(p.AttendiStato(StatoApp::Offline, 3000));
    QVERIFY(p.frame->windowTitle().endsWith(QStringLiteral("  - [OFFLINE]")));
}

void TstFrameConnessione::connetteERiconnetteDopoPerditaDelLink()
{
    ProgrammaProva p;
    QCOMPARE(p.AvviaEcu(), QString());
    QVERIFY(p.AvviaProgramma());
    // The first tick searches, with the wait window showing its activity.
    QTRY_VERIFY_WITH_TIMEOUT(p.frame->Attesa()->isVisible(), 2000);
    QVERIFY(p.AttendiStato(StatoApp::Connesso));
    QCOMPARE(p.ctx.stato.ErroreComunicazione, quint8(0));
    QVERIFY(!p.ctx.TabMsg.at(0).Immagine.isEmpty());
    // Polling keeps the live record fresh: its image is re-read.
    p.ctx.TabMsg[1].Immagine.clear();
    QTRY_VERIFY_WITH_TIMEOUT(!p.ctx.TabMsg.at(1).Immagine.isEmpty(), 2000);
    QVERIFY(!p.frame->Attesa()->AttivitaVisibile());

    // The ECU goes away: the failed poll marks the link and the search starts
    // again. The search blocks its tick, so the new ECU is started from
    // inside it once the wait window shows the search.
    QString avvio = QStringLiteral("not started");
    bool cercava = false;
    p.Quando([&] { return p.ctx.stato.StatoProgramma == StatoApp::Ricerca
                          && p.frame->Attesa()->AttivitaVisibile(); },
             [&] {
                 cercava = true;
                 QTest::qWait(500);
                 avvio = p.AvviaEcu();
             });
    p.FermaEcu();
    // A new ECU on the same line is found without any help.
    QTRY_VERIFY_WITH_TIMEOUT(cercava, 15000);
    QVERIFY(p.AttendiStato(StatoApp::Connesso, 20000));
    QCOMPARE(avvio, QString());
    QVERIFY(!p.frame->Chiuso());
}

void TstFrameConnessione::chiusuraDuranteTransazioneAlTickSuccessivo()
{
    ProgrammaProva p;
    // Slow answers: most of the time a poll is waiting for its reply.
    QCOMPARE(p.AvviaEcu({QStringLiteral("--delay-ms"), QStringLiteral("150")}), QString());
    QVERIFY(p.AvviaProgramma());
    QVERIFY(p.AttendiStato(StatoApp::Connesso, 30000));
    QTest::qWait(120);

    bool chiusoSubito = true;
    QTimer::singleShot(40, p.frame.get(), [&] {
        p.frame->close(); // the close box
        chiusoSubito = p.frame->Chiuso();
    });
    QTRY_COMPARE_WITH_TIMEOUT(p.ctx.stato.UscitaRichiesta, quint8(1), 2000);
    QVERIFY(!chiusoSubito);
    QTRY_VERIFY_WITH_TIMEOUT(p.frame->Chiuso(), 5000);
    QCOMPARE(p.ctx.stato.StatoProgramma, int(StatoApp::Chiusura));
    QVERIFY(!p.frame->isVisible());
    // The communication process accepted the stop request and ended.
    QTRY_VERIFY_WITH_TIMEOUT(!p.ctx.link.ProcessoAttivo(), 3000);
    QVERIFY(!p.ui.Testi().join(QLatin1Char('\n')).contains(QStringLiteral("Error 010")));
}

void TstFrameConnessione::offlineCaricaDefinizioniEScartaOperazioni()
{
    ProgrammaProva p;
    // A definition file of our own for the LPG defaults.
    const QString blk3 = QStringLiteral("4102206101020304050607080910111213141516171819202122232425262728FF");
    QFile def(p.Percorso(QStringLiteral("def.xar")));
    QVERIFY(def.open(QIODevice::WriteOnly));
    def.write("[INFO]\r\ntest\r\n[BLK_3]\r\n" + blk3.toLatin1() + "\r\n");
    def.close();

    // No ECU on the line: the search runs until the user stops it.
    bool goNascosto = false;
    p.Quando([&] { return p.frame && p.frame->Attesa() && p.frame->Attesa()->CmdStop->isVisible()
                          && p.ctx.stato.StatoProgramma == StatoApp::Ricerca; },
             [&] {
                 goNascosto = p.frame->Attesa()->CmdGo->isHidden();
                 QTest::mouseClick(p.frame->Attesa()->CmdStop, Qt::LeftButton);
             });
    QVERIFY(p.AvviaProgramma());
    QVERIFY(p.AttendiStato(StatoApp::Offline, 10000));
    QVERIFY(goNascosto);
    QVERIFY(p.frame->windowTitle().endsWith(QStringLiteral("  - [OFFLINE]")));
    QTRY_VERIFY_WITH_TIMEOUT(p.frame->Attesa()->CmdGo->isVisible(), 2000);
    QVERIFY(!p.frame->Attesa()->AttivitaVisibile());

    // The start-up definition file is loaded once, without the ECU.
    QTRY_COMPARE_WITH_TIMEOUT(p.ctx.TabMsg.at(3).Immagine, gascal::HexToStr(blk3), 2000);
    QCOMPARE(p.ctx.stato.CaricaDefAvvio, quint8(0));
    QCOMPARE(p.ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna);

    // Any other operation is dropped silently.
    const int boxPrima = p.ui.mostrati.size();
    p.ctx.stato.RichiediOperazione(gascal::Operazione::ScriviConfig);
    QTRY_COMPARE_WITH_TIMEOUT(p.ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna, 1000);
    QCOMPARE(p.ui.mostrati.size(), boxPrima);
    QCOMPARE(p.ctx.stato.StatoProgramma, int(StatoApp::Offline));

    // Go searches again (stopped once more from inside the search).
    QString titoloInRicerca;
    p.Quando([&] { return p.ctx.stato.StatoProgramma == StatoApp::Ricerca; },
             [&] {
                 titoloInRicerca = p.frame->windowTitle();
                 QTest::mouseClick(p.frame->Attesa()->CmdStop, Qt::LeftButton);
             });
    QTest::mouseClick(p.frame->Attesa()->CmdGo, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!titoloInRicerca.isEmpty(), 5000);
    QVERIFY(p.AttendiStato(StatoApp::Offline, 10000));
    QVERIFY(!titoloInRicerca.contains(QStringLiteral("[OFFLINE]")));
}

GASCAL_PROVA(TstFrameConnessione)
#include "tst_frame_connessione.moc"
