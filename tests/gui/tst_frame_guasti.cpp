// The frame when the communication process dies under it: the process is
// started again, the user is told once, and the ECU is found again.
#include "ProgrammaProva.h"

#include "link/Collegamento.h"

#include <QTest>

#include <csignal>

using gascal::StatoApp;

class TstFrameGuasti : public QObject
{
    Q_OBJECT
private slots:
    void prjComKilledIsStartedAgainAndTheEcuFoundAgain()
    {
        ProgrammaProva p;
        QCOMPARE(p.AvviaEcu(), QString());
        QVERIFY(p.AvviaProgramma());
        QVERIFY(p.AttendiStato(StatoApp::Connesso));
        const qint64 primo = p.ctx.link.IdProcesso();
        QVERIFY(primo > 0);

        ::kill(pid_t(primo), SIGKILL);
        // The poll that was waiting fails at once, the search starts the
        // process again and reconnects.
        QTRY_COMPARE_WITH_TIMEOUT(p.ctx.link.Riavvii(), 1, 10000);
        QVERIFY(p.AttendiStato(StatoApp::Connesso, 20000));
        QVERIFY(p.ctx.link.IdProcesso() != primo);
        QCOMPARE(p.ui.Testi(), QStringList{gascal::Collegamento::TestoRiavvio()});
        // Polling goes on through the new process.
        p.ctx.TabMsg[1].Immagine.clear();
        QTRY_VERIFY_WITH_TIMEOUT(!p.ctx.TabMsg.at(1).Immagine.isEmpty(), 3000);

        // A second death, once the link had worked again, is told again.
        ::kill(pid_t(p.ctx.link.IdProcesso()), SIGKILL);
        QTRY_COMPARE_WITH_TIMEOUT(p.ctx.link.Riavvii(), 2, 10000);
        QVERIFY(p.AttendiStato(StatoApp::Connesso, 20000));
        QCOMPARE(p.ui.Testi().size(), 2);
        QVERIFY(!p.frame->Chiuso());
    }
};

QTEST_MAIN(TstFrameGuasti)
#include "tst_frame_guasti.moc"
