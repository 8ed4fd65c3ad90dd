#include "app/Orologio.h"
#include "app/ServiziUiScriptati.h"
#include "app/StatoApp.h"
#include "link/Collegamento.h"

#include <QTest>

using namespace gascal;
using R = ServiziUi::Risposta;

// The link against a communication process that misbehaves on purpose.
class TstCollegamento : public QObject
{
    Q_OBJECT

    struct Banco {
        ServiziUiScriptati ui;
        StatoApp stato;
        Collegamento link{stato, ui};
        explicit Banco(const char *modo, int statoProgramma = StatoApp::Connesso)
        {
            qputenv("FAKECOM_MODE", modo);
            stato.StatoProgramma = statoProgramma;
            link.OpenPipe(QStringLiteral(FAKECOM_PATH));
        }
    };

private slots:
    void goodReplyIsTakenAtOnce()
    {
        Banco b("echo");
        QByteArray risposta;
        const double t0 = TimerApi_uSec();
        QCOMPARE(b.link.InviaComando(6, QByteArray("\x41\x02", 2), 2000000, &risposta), 0);
        QVERIFY(TimerApi_uSec() - t0 < 500000);
        QCOMPARE(b.link.RispCodice(), 6);
        QCOMPARE(b.link.RispByte4(), 1);
        QCOMPARE(b.link.RispDati(), QByteArray("\x41\x02", 2));
        QCOMPARE(risposta.size(), 10);
        QVERIFY(b.ui.mostrati.isEmpty());
    }

    void timeOutRetryThenCancel()
    {
        Banco b("silent");
        b.ui.risposte << R::Riprova << R::Annulla;
        const double t0 = TimerApi_uSec();
        QByteArray risposta = "x";
        QCOMPARE(b.link.InviaComando(6, {}, 150000, &risposta), 4);
        // Retry starts a whole new period.
        QVERIFY(TimerApi_uSec() - t0 >= 300000);
        QVERIFY(risposta.isEmpty());
        QCOMPARE(b.ui.Testi(), (QStringList{"Error 007 - Time Out", "Error 007 - Time Out"}));
        QCOMPARE(b.ui.mostrati.first().titolo, QStringLiteral("Comunication error "));
        QCOMPARE(b.ui.mostrati.first().pulsanti, ServiziUi::Pulsanti::RiprovaAnnulla);
        QCOMPARE(b.stato.ErroreComunicazione, quint8(1));
    }

    void timeOutOnFailedLinkIsSilentButNotSuccess()
    {
        Banco b("silent");
        b.stato.ErroreComunicazione = 1;
        QCOMPARE(b.link.InviaComando(6, {}, 100000), 4);
        QVERIFY(b.ui.mostrati.isEmpty());
    }

    void malformedRepliesAreReportedOutsideSearch()
    {
        {
            Banco b("short");
            QCOMPARE(b.link.InviaComando(6, "abc", 1000000), 1);
            QCOMPARE(b.ui.Testi(), QStringList{"Error 006 - Comunication error"});
            QCOMPARE(b.ui.mostrati.first().titolo, QStringLiteral("Comunication  error"));
            QCOMPARE(b.link.RispCodice(), -1);
        }
        {
            Banco b("badcode", StatoApp::Ricerca);
            QCOMPARE(b.link.InviaComando(6, "abc", 1000000), 2);
            QVERIFY(b.ui.mostrati.isEmpty()); // searching: silent
            QCOMPARE(b.stato.ErroreComunicazione, quint8(0));
        }
    }

    void lateReplyIsNotTakenForTheNextOne()
    {
        Banco b("late");
        QCOMPARE(b.link.InviaComando(3, QByteArray(1, '\0'), 100000), 4); // cancelled
        AttesaUSec(500000); // the late reply to command 3 arrives meanwhile
        QCOMPARE(b.link.InviaComando(6, "now", 1000000), 0);
        QCOMPARE(b.link.RispCodice(), 6);
        QCOMPARE(b.link.RispDati(), QByteArray("now"));
    }

    void missingProcessShowsAsTimeOut()
    {
        ServiziUiScriptati ui;
        StatoApp stato;
        Collegamento link(stato, ui);
        link.OpenPipe(QStringLiteral("/nonexistent/PrjCom"));
        QCOMPARE(ui.Testi(), QStringList{"Error 005 - Can't create process"});
        QCOMPARE(link.InviaComando(2, QByteArray(1, '\0'), 50000), 4);
        QCOMPARE(ui.Testi().last(), QStringLiteral("Error 007 - Time Out"));
    }

    void closingHandshake()
    {
        {
            Banco b("echo");
            QVERIFY(b.link.ChiudiPipe(1000000));
            QVERIFY(b.ui.mostrati.isEmpty());
        }
        {
            Banco b("silent", StatoApp::Chiusura);
            b.stato.ErroreComunicazione = 1;
            QVERIFY(!b.link.ChiudiPipe(50000));
            QCOMPARE(b.ui.Testi(), QStringList{"Error 010  - Can't close the pipe"});
        }
    }
};

QTEST_GUILESS_MAIN(TstCollegamento)
#include "tst_collegamento.moc"
