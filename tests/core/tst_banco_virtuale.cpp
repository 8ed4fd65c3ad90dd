// The stepped clock that the time-driven tests stand on (the order in which
// it runs what falls due, where its waits end, the process-wide clock it
// replaces and gives back, the simulator's timers on it), and the program's
// search and write sequences on the bench built on it.
#include "RegistroProve.h"
#include "BancoVirtuale.h"
#include "SimTimer.h"

#include "app/Orologio.h"
#include "ecu/SequenzeBlocchi.h"
#include "link/MessaggioEcu.h"

#include <QTest>

using namespace gascal;

class TstBancoVirtuale : public QObject
{
    Q_OBJECT
private slots:
    // The deadline and the moment the condition comes true (< 0 never), in
    // µs from now; the outcome, and where the clock stands after the wait.
    void waitsEndWhereTheyShould()
    {
        const struct { const char *nome; double fine, evento; bool esito; double ora; } casi[] = {
            {"nothing comes: the deadline", 600e6, -1.0, false, 600e6}, {"it comes before", 600e6, 2500.0, true, 2500.0},
            {"it comes on the deadline", 1000.0, 1000.0, true, 1000.0}, {"it comes after", 1000.0, 1001.0, false, 1000.0},
            {"a deadline already past", -5.0, 0.0, false, 0.0}};
        for (const auto &c : casi) {
            OrologioPasso o(1e6);
            bool pronto = false;
            if (c.evento >= 0)
                o.Tra(c.evento, [&] { pronto = true; });
            QVERIFY2(o.Attendi(1e6 + c.fine, [&] { return pronto; }) == c.esito, c.nome);
            QVERIFY2(o.Ora_us() == 1e6 + c.ora, c.nome);
        }
        // Queued signals and posted events reach the waiting code without any
        // time passing, as in the real wait.
        OrologioPasso o(0);
        bool arrivato = false;
        QMetaObject::invokeMethod(this, [&] { arrivato = true; }, Qt::QueuedConnection);
        QVERIFY(o.Attendi(1e6, [&] { return arrivato; }));
        QCOMPARE(o.Ora_us(), 0.0);
    }

    void actionsRunInTimeThenArrivalOrder()
    {
        OrologioPasso o(0);
        QStringList fatte;
        o.Programma(300, [&] { fatte << QStringLiteral("c"); });
        o.Programma(100, [&] { fatte << QStringLiteral("a"); });
        o.Programma(100, [&] {
            fatte << QStringLiteral("b");
            // What an action schedules for now runs in the same wait.
            o.Tra(0, [&] { fatte << QStringLiteral("b2"); });
        });
        o.Annulla(o.Programma(200, [&] { fatte << QStringLiteral("x"); }));
        o.Avanza(250);
        QCOMPARE(fatte, (QStringList{"a", "b", "b2"}));
        QCOMPARE(o.Ora_us(), 250.0);
        o.Avanza(50);
        QCOMPARE(fatte.last(), QStringLiteral("c"));
    }

    void installedClockIsTheProgramsUntilItGoes()
    {
        Orologio *reale = &Orologio::Corrente();
        {
            OrologioPasso esterno(5e6);
            esterno.Installa();
            QCOMPARE(TimerApi_uSec(), 5e6);
            {
                OrologioPasso interno(7e6);
                interno.Installa();
                AttesaUSec(600e6); // ten minutes, at once
                QCOMPARE(TimerApi_uSec(), 7e6 + 600e6);
                QVERIFY(!AttendiCondizione(TimerApi_uSec() + 1000, [] { return false; }));
                QCOMPARE(interno.Ora_us(), 7e6 + 600e6 + 1000);
            }
            QCOMPARE(&Orologio::Corrente(), static_cast<Orologio *>(&esterno));
            QCOMPARE(TimerApi_uSec(), 5e6);
        }
        QCOMPARE(&Orologio::Corrente(), reale);
    }

    // The engine's tick, the road cycle's steps and the demo's pause are
    // SimTimers: on a virtual clock they must keep their pace exactly.
    // Repeating, single shot, stopped by its own action at its second call.
    void simulatorTimersOnTheSteppedClock()
    {
        for (const auto &[singolo, fermaDopo, attesi] : {std::tuple{false, 0, QList<double>{50, 100, 150, 200, 250}},
                                                         {true, 0, QList<double>{50}}, {false, 2, QList<double>{50, 100}}}) {
            OrologioPasso o(0);
            QList<double> chiamate;
            SimTimer *t = nullptr;
            SimTimer timer([&] {
                chiamate << o.Ora_us() / 1000;
                if (chiamate.size() == fermaDopo)
                    t->stop();
            }, &o);
            t = &timer;
            timer.setInterval(50);
            timer.setSingleShot(singolo);
            timer.start();
            QVERIFY(timer.isActive());
            o.Avanza(270e3);
            QCOMPARE(chiamate, attesi);
            QCOMPARE(timer.isActive(), !singolo && fermaDopo == 0);
            // A restart counts its interval from now.
            chiamate.clear();
            timer.setSingleShot(true);
            timer.start();
            o.Avanza(100e3);
            QCOMPARE(chiamate, QList<double>{320});
        }
    }

    // The search chooses the line for the firmware before it opens the port.
    // Every write sequence answers well, except when the switch back to the
    // kept mode gets a reply one byte short: the communication process is
    // left in mode 2, and the caller must know it.
    void searchAndSequences()
    {
        BancoVirtuale b;
        QList<quint8> comandi;
        b.prjcom->Guasto = [&comandi](quint8 comando, const QByteArray &frame) { return comandi << comando, frame; };
        QVERIFY(b.Collega());
        QCOMPARE(comandi.mid(comandi.indexOf(10), 2), (QList<quint8>{10, 3}));
        Contesto &ctx = *b.ctx;
        ctx.stato.StatoProgramma = StatoApp::Operazione;
        for (int sequenza = 0; sequenza < 5; ++sequenza) {
            const auto esegui = [&] {
                ctx.code.ValoriDaScrivere.Aggiungi(5, 0, 0);
                ctx.code.ValoriDaScrivere2.Aggiungi(5, 0, 0);
                ctx.code.DatiMap0 = MessaggioEcu::DatiRisposta(ctx.TabMsg[Contesto::RecMappa].Immagine);
                ctx.code.DatiBlk5 = MessaggioEcu::DatiRisposta(ctx.TabMsg[Contesto::RecBlk5].Immagine);
                SequenzeBlocchi seq(ctx);
                switch (sequenza) {
                case 0: return seq.ScriviBlk2();
                case 1: return seq.ScriviBlk3();
                case 2: return seq.ScriviMappe();
                case 3: return seq.InviaEMemorizza(MessaggioEcu::Componi(MessaggioEcu::ServScriviBlk5, ctx.code.DatiBlk5));
                default: return seq.CommutaStato();
                }
            };
            b.prjcom->Guasto = {};
            QVERIFY2(esegui(), qPrintable(QString::number(sequenza)));
            int cambiModo = 0;
            b.prjcom->Guasto = [&cambiModo](quint8 comando, const QByteArray &frame) {
                return comando == 4 && ++cambiModo % 2 == 0 ? frame.chopped(1) : frame;
            };
            QVERIFY2(!esegui(), qPrintable(QString::number(sequenza)));
            // The mode switch at the start went through; only the restore failed.
            QCOMPARE(cambiModo, 2);
            QCOMPARE(ctx.link.RispCodice(), -1);
        }
    }
};

GASCAL_PROVA(TstBancoVirtuale)
#include "tst_banco_virtuale.moc"
