// The link against a misbehaving communication process, and the real PrjCom for a wait that sleeps.
#include "RegistroProve.h"
#include "BancoEcu.h"
#include "BancoVirtuale.h"
#include "MisuraCpu.h"
#include "app/Orologio.h"
#include "link/Collegamento.h"
#include "link/MessaggioEcu.h"
#include "link/Transazioni.h"
#include <QCoreApplication>
#include <QTest>
#include <QTimer>

using namespace gascal;
using namespace Qt::StringLiterals;
using R = ServiziUi::Risposta;

namespace {
// The bench started, in this program state, with the ECU's port open.
struct Banco : BancoVirtuale {
    explicit Banco(int stato = StatoApp::Connesso)
    {
        QVERIFY(Avvia() && Invia(3, QByteArray(1, '\0')) == 0);
        ctx->stato.StatoProgramma = stato;
    }
    int Invia(quint8 comando, const QByteArray &dati, qint64 attesa = 1000000, QByteArray *frame = nullptr)
    {
        return ctx->link.InviaComando(comando, dati, attesa, frame);
    }
    const Collegamento &Link() const { return ctx->link; }
};

// A peer that takes every frame, counts it, and never answers.
struct Muto : Trasporto {
    int &scritti;
    explicit Muto(int &n) : scritti(n) {}
    bool Avvia(const QString &, const QStringList &) override { return true; }
    bool Attivo() const override { return true; }
    qint64 IdProcesso() const override { return 1; }
    bool Scrivi(const QByteArray &) override { return ++scritti; }
    qint64 Disponibili() const override { return 0; }
    QByteArray Leggi() override { return {}; }
    void ChiudiIngresso(int) override {}
    void Termina() override {}
};
} // namespace

class TstCollegamento : public QObject
{
    Q_OBJECT
private slots:
    // Retry starts a new period; on a failed link the time-out is silent; closing tries three times.
    void timeOutRetryCancelAndClose()
    {
        OrologioPasso orologio;
        orologio.Installa();
        ServiziUiScriptati ui;
        StatoApp stato;
        stato.StatoProgramma = StatoApp::Connesso;
        Collegamento link(stato, ui);
        int scritti = 0;
        link.UsaTrasporto(std::make_unique<Muto>(scritti));
        link.OpenPipe(u"muto"_s);
        ui.risposte << R::Riprova << R::Annulla;
        QByteArray risposta = "x";
        QVERIFY(link.InviaComando(6, {}, 150000, &risposta) == 4 && orologio.Ora_us() == 1e6 + 300000 && risposta.isEmpty());
        QCOMPARE(ui.Testi(), (QStringList{"Error 007 - Time Out", "Error 007 - Time Out"}));
        QVERIFY(ui.mostrati[0].pulsanti == ServiziUi::Pulsanti::RiprovaAnnulla && stato.ErroreComunicazione == 1);
        QVERIFY(link.InviaComando(6, {}, 100000) == 4 && ui.mostrati.size() == 2);
        stato.StatoProgramma = StatoApp::Chiusura;
        scritti = 0;
        QVERIFY(!link.ChiudiPipe(50000) && scritti == 3 && ui.Testi().last() == u"Error 010  - Can't close the pipe"_s);
    }
    // A length one more than sent is told outside the search; an unknown reply code not while searching.
    void malformedRepliesAreReportedOutsideSearch()
    {
        Banco corto;
        corto.prjcom->Guasto = [](quint8, QByteArray f) { return f[1] = char(quint8(f[1]) + 1), f; };
        QCOMPARE(corto.Invia(6, MessaggioEcu::Componi(14)), 1);
        QVERIFY(corto.ui.Testi() == QStringList{"Error 006 - Comunication error"} && corto.Link().RispCodice() == -1);
        Banco cercando(StatoApp::Ricerca);
        cercando.prjcom->Guasto = [](quint8, QByteArray f) { return f[2] = 9, f; };
        QCOMPARE(cercando.Invia(6, MessaggioEcu::Componi(14)), 2);
        QVERIFY(cercando.ui.mostrati.isEmpty() && cercando.ctx->stato.ErroreComunicazione == 0);
    }
    // Replies before this request's own are another's (a given-up command 3, another service's answer).
    void repliesToEarlierRequestsAreDropped()
    {
        Banco b;
        QMap<int, QByteArray> vecchie;
        b.prjcom->Guasto = [&vecchie](quint8, const QByteArray &f) { return vecchie[3] = f, QByteArray(); };
        QCOMPARE(b.Invia(3, QByteArray(1, '\0'), 100000), 4); // cancelled
        for (const quint8 servizio : {quint8(33), quint8(14)}) {
            b.prjcom->Guasto = [&vecchie, servizio](quint8, const QByteArray &f) { return vecchie[servizio] = f; };
            b.Invia(6, MessaggioEcu::Componi(servizio));
        }
        for (const auto &[servizio, altro] : {std::pair{quint8(14), 33}, {quint8(33), 14}}) {
            const QByteArray prima = vecchie[3] + vecchie[altro];
            b.prjcom->Guasto = [prima](quint8, const QByteArray &f) { return prima + f; };
            QCOMPARE(b.Invia(6, MessaggioEcu::Componi(servizio)), 0);
            QVERIFY(b.Link().RispCodice() == 6 && quint8(b.Link().RispDati().at(3)) == servizio + 0x40);
        }
        QCOMPARE(b.ui.mostrati.size(), 1); // the cancelled time-out's
    }
    // A silent ECU is asked twice again within the transaction's time.
    void silentEcuIsAskedAgain()
    {
        Banco b;
        int messaggi = 0;
        b.prjcom->Guasto = [&messaggi](quint8 c, const QByteArray &f) { return messaggi += c == 6, f; };
        b.Controllo(u"unplug"_s);
        QVERIFY(b.ctx->tx.LeggiServizio(14) != 0);
        QCOMPARE(messaggi, 1 + Transazioni::Ripetizioni);
    }
    // Told to quit while a transaction waits, the loop still reads the reply and the wait sleeps.
    void waitSleepsEvenAfterTheApplicationWasToldToQuit()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({u"--delay-ms"_s, u"150"_s}) && b.Avvia() && b.Cerca());
        int stato = -1;
        double durata = 0;
        const double rapporto = MisuraCpu::RapportoConGiro([&] {
            QTimer::singleShot(0, [&] {
                QTimer::singleShot(50, qApp, &QCoreApplication::quit);
                const double t0 = TimerApi_uSec();
                stato = b.ctx->link.InviaComando(6, MessaggioEcu::Componi(14), 2000000);
                durata = TimerApi_uSec() - t0;
            });
            QCoreApplication::exec();
        });
        QVERIFY(stato == 0 && quint8(b.ctx->link.RispDati().at(3)) == 14 + 0x40);
        QVERIFY2(durata >= 150000 && durata < 1000000, qPrintable(QString::number(durata)));
        QVERIFY2(rapporto < 0.3, qPrintable(u"CPU %1 of a spin"_s.arg(rapporto)));
    }
    // The process dies at every command 6, while the reply is awaited.
    void deadProcessIsStartedAgainOnceASecondAndToldOnce()
    {
        Banco b;
        b.prjcom->Guasto = [&b](quint8 c, const QByteArray &f) {
            if (c == 6)
                b.Tra(1, [&b] { b.prjcom->Uccidi(); });
            return f;
        };
        const qint64 primo = b.Link().IdProcesso();
        double t0 = b.orologio.Ora_us();
        QCOMPARE(b.Invia(6, MessaggioEcu::Componi(14), 3000000), 4);
        QCOMPARE(b.orologio.Ora_us() - t0, 1000.0); // a dead process is not waited for
        // No "Error 007": nothing timed out.
        QVERIFY(b.ctx->stato.ErroreComunicazione == 1 && b.ui.mostrati.isEmpty());
        // The next transaction starts it again and tells the user.
        QVERIFY(b.Invia(2, QByteArray(1, '\0')) == 0 && b.Link().IdProcesso() != primo);
        QCOMPARE(b.ui.Testi(), QStringList{Collegamento::TestoRiavvio()});
        // It dies again at once: the next start waits for its second, untold.
        t0 = b.orologio.Ora_us();
        QVERIFY(b.Invia(6, MessaggioEcu::Componi(14), 3000000) == 4 && b.Invia(2, QByteArray(1, '\0'), 3000000) == 0);
        QVERIFY(b.orologio.Ora_us() - t0 >= Collegamento::IntervalloRiavvio_usec - 2 * b.prjcom->Viaggio_us);
        QVERIFY(b.Link().Riavvii() == 2 && b.ui.mostrati.size() == 1);
        // Closing is no death: nothing is started again.
        QVERIFY(b.ctx->link.ChiudiPipe(1000000) && !b.Link().ProcessoAttivo());
        QVERIFY(b.Invia(2, QByteArray(1, '\0'), 50000) == 4 && b.Link().Riavvii() == 2 && b.ui.mostrati.size() == 1);
    }
    void missingProcess()
    {
        ServiziUiScriptati ui;
        StatoApp stato;
        Collegamento link(stato, ui);
        link.OpenPipe(u"/nonexistent/PrjCom"_s);
        QCOMPARE(ui.Testi(), QStringList{"Error 005 - Can't create process"});
        QCOMPARE(link.InviaComando(2, QByteArray(1, '\0'), 50000), 4); // shown as a time-out
        QCOMPARE(ui.Testi().last(), u"Error 007 - Time Out"_s);
    }
};

GASCAL_PROVA(TstCollegamento)
#include "tst_collegamento.moc"
