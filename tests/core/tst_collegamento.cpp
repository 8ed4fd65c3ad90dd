#include "RegistroProve.h"
#include "MisuraCpu.h"
#include "app/Orologio.h"
#include "app/ServiziUiScriptati.h"
#include "app/StatoApp.h"
#include "link/Collegamento.h"
#include "link/MessaggioEcu.h"

#include <QCoreApplication>
#include <QTest>
#include <QTimer>

using namespace gascal;
using namespace Qt::StringLiterals;
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
        QCOMPARE(b.link.InviaComando(6, "ab", 2000000, &risposta), 0);
        QVERIFY(TimerApi_uSec() - t0 < 500000);
        QCOMPARE(b.link.RispCodice(), 6);
        QCOMPARE(b.link.RispByte4(), 1);
        QCOMPARE(b.link.RispDati(), QByteArray("ab"));
        QCOMPARE(risposta.size(), 10);
        QVERIFY(b.ui.mostrati.isEmpty());
    }

    // Retry starts a whole new period; on a link already failed the
    // time-out is silent, but no success.
    void timeOutRetryThenCancel()
    {
        Banco b("silent");
        b.ui.risposte << R::Riprova << R::Annulla;
        const double t0 = TimerApi_uSec();
        QByteArray risposta = "x";
        QCOMPARE(b.link.InviaComando(6, {}, 150000, &risposta), 4);
        QVERIFY(TimerApi_uSec() - t0 >= 300000);
        QVERIFY(risposta.isEmpty());
        QCOMPARE(b.ui.Testi(), (QStringList{"Error 007 - Time Out", "Error 007 - Time Out"}));
        QCOMPARE(b.ui.mostrati.first().pulsanti, ServiziUi::Pulsanti::RiprovaAnnulla);
        QCOMPARE(b.stato.ErroreComunicazione, quint8(1));
        QCOMPARE(b.link.InviaComando(6, {}, 100000), 4);
        QCOMPARE(b.ui.mostrati.size(), 2);
    }

    void malformedRepliesAreReportedOutsideSearch()
    {
        Banco corto("short");
        QCOMPARE(corto.link.InviaComando(6, "abc", 1000000), 1);
        QCOMPARE(corto.ui.Testi(), QStringList{"Error 006 - Comunication error"});
        QCOMPARE(corto.link.RispCodice(), -1);
        Banco cercando("badcode", StatoApp::Ricerca);
        QCOMPARE(cercando.link.InviaComando(6, "abc", 1000000), 2);
        QVERIFY(cercando.ui.mostrati.isEmpty());
        QCOMPARE(cercando.stato.ErroreComunicazione, quint8(0));
    }

    void repliesToEarlierRequestsAreDropped()
    {
        {
            // The reply to a given-up command 3 comes while command 6 waits:
            // it is not command 6's, whatever the order.
            Banco b("late");
            QCOMPARE(b.link.InviaComando(3, QByteArray(1, '\0'), 100000), 4); // cancelled
            QCOMPARE(b.link.InviaComando(6, "now", 1000000), 0);
            QCOMPARE(b.link.RispCodice(), 6);
            QCOMPARE(b.link.RispDati(), QByteArray("now"));
        }
        // A late ECU answer names another service, or refuses another one.
        Banco b("stale");
        for (quint8 servizio : {quint8(0x21), quint8(0x11), quint8(0xC0)}) {
            QCOMPARE(b.link.InviaComando(6, MessaggioEcu::Componi(servizio), 1000000), 0);
            QCOMPARE(b.link.RispCodice(), 6);
            QCOMPARE(quint8(b.link.RispDati().at(3)), quint8(servizio + 0x40));
        }
        QVERIFY(b.ui.mostrati.isEmpty());
    }

    void waitSleepsEvenAfterTheApplicationWasToldToQuit()
    {
        // Told to quit while a transaction waits, the event loop must still
        // read the reply, and the wait must still sleep until it comes.
        Banco b("slow");
        int stato = -1;
        double durata = 0;
        const double rapporto = MisuraCpu::RapportoConGiro([&] {
            QTimer::singleShot(0, [&] {
                QTimer::singleShot(50, qApp, &QCoreApplication::quit);
                const double t0 = TimerApi_uSec();
                stato = b.link.InviaComando(6, "x", 2000000);
                durata = TimerApi_uSec() - t0;
            });
            QCoreApplication::exec();
        });
        QCOMPARE(stato, 0);
        QCOMPARE(b.link.RispDati(), QByteArray("x"));
        QVERIFY2(durata < 1000000, qPrintable(QString::number(durata)));
        QVERIFY2(rapporto < 0.3, qPrintable(u"CPU %1 of a spin"_s.arg(rapporto)));
    }

    void deadProcessIsStartedAgainOnceASecondAndToldOnce()
    {
        // "crash" dies at every command 6.
        Banco b("crash");
        const qint64 primo = b.link.IdProcesso();
        double t0 = TimerApi_uSec();
        QCOMPARE(b.link.InviaComando(6, "x", 3000000), 4);
        QVERIFY2(TimerApi_uSec() - t0 < 1000000, "a dead process is not waited for");
        QCOMPARE(b.stato.ErroreComunicazione, quint8(1));
        QVERIFY(b.ui.mostrati.isEmpty()); // no "Error 007": nothing timed out
        // The next transaction starts it again and tells the user.
        QCOMPARE(b.link.InviaComando(2, QByteArray(1, '\0'), 1000000), 0);
        QVERIFY(b.link.IdProcesso() != primo);
        QCOMPARE(b.ui.Testi(), QStringList{Collegamento::TestoRiavvio()});
        t0 = TimerApi_uSec();
        // It dies again at once: the next start waits for its second, untold
        // (counted from the start before, less the time its reply took).
        QCOMPARE(b.link.InviaComando(6, "x", 3000000), 4);
        QCOMPARE(b.link.InviaComando(2, QByteArray(1, '\0'), 3000000), 0);
        QVERIFY2(TimerApi_uSec() - t0 >= 0.8 * Collegamento::IntervalloRiavvio_usec,
                 qPrintable(QString::number(TimerApi_uSec() - t0)));
        QCOMPARE(b.link.Riavvii(), 2);
        QCOMPARE(b.ui.mostrati.size(), 1);
        // Closing is no death: nothing is started again.
        QVERIFY(b.link.ChiudiPipe(1000000));
        QTRY_VERIFY(!b.link.ProcessoAttivo());
        QCOMPARE(b.link.InviaComando(2, QByteArray(1, '\0'), 50000), 4);
        QCOMPARE(b.link.Riavvii(), 2);
    }

    void missingProcessAndClosing()
    {
        ServiziUiScriptati ui;
        StatoApp stato;
        Collegamento link(stato, ui);
        link.OpenPipe(u"/nonexistent/PrjCom"_s);
        QCOMPARE(ui.Testi(), QStringList{"Error 005 - Can't create process"});
        QCOMPARE(link.InviaComando(2, QByteArray(1, '\0'), 50000), 4); // shown as a time-out
        QCOMPARE(ui.Testi().last(), u"Error 007 - Time Out"_s);

        Banco b("echo");
        QVERIFY(b.link.ChiudiPipe(1000000));
        QVERIFY(b.ui.mostrati.isEmpty());
        Banco muto("silent", StatoApp::Chiusura);
        muto.stato.ErroreComunicazione = 1;
        QVERIFY(!muto.link.ChiudiPipe(50000));
        QCOMPARE(muto.ui.Testi(), QStringList{"Error 010  - Can't close the pipe"});
    }
};

GASCAL_PROVA(TstCollegamento)
#include "tst_collegamento.moc"
