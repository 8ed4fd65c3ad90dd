// The stepped clock that the time-driven tests stand on: the order in which
// it runs what falls due, where its waits end, the process-wide clock it
// replaces and gives back, and the simulator's timers on it.
#include "RegistroProve.h"
#include "OrologioPasso.h"
#include "SimTimer.h"

#include "app/Orologio.h"

#include <QTest>

using namespace gascal;

class TstOrologio : public QObject
{
    Q_OBJECT
private slots:
    void waitsEndWhereTheyShould_data()
    {
        QTest::addColumn<double>("fine");        // the wait's deadline, µs from now
        QTest::addColumn<double>("evento");      // when the condition comes true; < 0 never
        QTest::addColumn<bool>("esito");
        QTest::addColumn<double>("ora");         // where the clock stands after the wait
        QTest::newRow("nothing comes: the deadline") << 600e6 << -1.0 << false << 600e6;
        QTest::newRow("it comes before") << 600e6 << 2500.0 << true << 2500.0;
        QTest::newRow("it comes on the deadline") << 1000.0 << 1000.0 << true << 1000.0;
        QTest::newRow("it comes after") << 1000.0 << 1001.0 << false << 1000.0;
        QTest::newRow("a deadline already past") << -5.0 << 0.0 << false << 0.0;
    }
    void waitsEndWhereTheyShould()
    {
        QFETCH(double, fine);
        QFETCH(double, evento);
        QFETCH(bool, esito);
        QFETCH(double, ora);
        OrologioPasso o(1e6);
        bool pronto = false;
        if (evento >= 0)
            o.Tra(evento, [&] { pronto = true; });
        QCOMPARE(o.Attendi(1e6 + fine, [&] { return pronto; }), esito);
        QCOMPARE(o.Ora_us(), 1e6 + ora);
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
        const quint64 annullata = o.Programma(200, [&] { fatte << QStringLiteral("x"); });
        o.Annulla(annullata);
        o.Avanza(250);
        QCOMPARE(fatte, (QStringList{"a", "b", "b2"}));
        QCOMPARE(o.Ora_us(), 250.0);
        o.Avanza(50);
        QCOMPARE(fatte.last(), QStringLiteral("c"));
    }

    // Queued signals and posted events reach the waiting code without any
    // time passing, as in the real wait.
    void pendingEventsAreDeliveredInTheWait()
    {
        OrologioPasso o(0);
        bool arrivato = false;
        QMetaObject::invokeMethod(this, [&] { arrivato = true; }, Qt::QueuedConnection);
        QVERIFY(o.Attendi(1e6, [&] { return arrivato; }));
        QCOMPARE(o.Ora_us(), 0.0);
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
                AttesaUSec(600e6);   // ten minutes, at once
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
    void simulatorTimersOnTheSteppedClock_data()
    {
        QTest::addColumn<bool>("singolo");
        QTest::addColumn<int>("fermaDopo");   // the action stops the timer at this call; 0 never
        QTest::addColumn<QList<double>>("attesi");
        QTest::newRow("repeating") << false << 0 << QList<double>{50, 100, 150, 200, 250};
        QTest::newRow("single shot") << true << 0 << QList<double>{50};
        QTest::newRow("stopped by its own action") << false << 2 << QList<double>{50, 100};
    }
    void simulatorTimersOnTheSteppedClock()
    {
        QFETCH(bool, singolo);
        QFETCH(int, fermaDopo);
        QFETCH(QList<double>, attesi);
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
};

GASCAL_PROVA(TstOrologio)
#include "tst_orologio.moc"
