// The stability sampler on the stepped clock.
#include "RegistroProve.h"
#include "OrologioPasso.h"

#include "interp/CampionatoreStabilita.h"

#include <QTest>

using namespace gascal;
using T = TabelleCampioni;

namespace {

LetturaCampione Stabile(qint32 tempo = 5000, qint32 giri = 2000, qint32 quota = 320, qint32 carburante = 0)
{
    LetturaCampione v;
    v.tempoBenzina = tempo, v.giri = giri, v.quota = quota, v.stato = 1, v.temperatura = 65, v.carburante = carburante;
    return v;
}

// Sampler, tables and clock of one case; the clock moves 100 ms a step.
struct Banco {
    T tabelle;
    OrologioPasso orologio;
    CampionatoreStabilita c{tabelle};

    Banco() { orologio.Installa(); }

    // Steps until a sample is stored: how many steps, -1 for none within `massimo`.
    int FinoACampione(const LetturaCampione &v, int stabilitaMs = 1000, int massimo = 100)
    {
        for (int n = 1; n <= massimo; ++n) {
            orologio.Avanza(100000);
            if (c.Passo(v, stabilitaMs))
                return n;
        }
        return -1;
    }
};

} // namespace

class TstCampionatore : public QObject
{
    Q_OBJECT
private slots:
    void finestraDiventaCampione()
    {
        Banco b;
        // The window opens at the first step; the first stable step past 1000 ms stores its mean.
        QCOMPARE(b.FinoACampione(Stabile(5000, 2000, 320)), 12);
        QVERIFY(b.tabelle[T::Be1][10] == 5000 && b.tabelle[T::BeM][10] == 5000 && !b.c.FinestraAperta());
        // Means round halves to even: 5000 and 5001 give 5000.
        Banco m;
        m.c.Passo(Stabile(5000), 100);
        m.orologio.Avanza(50000);
        m.c.Passo(Stabile(5001), 100);
        m.orologio.Avanza(100000);
        QVERIFY(m.c.Passo(Stabile(5003), 100));
        QCOMPARE(m.tabelle[T::Be1][10], 5000); // 10001 / 2 = 5000.5 -> 5000
    }

    void instabilitaRiapreLaFinestra()
    {
        // Transient, stopped, below 300 or above 5000 rpm, a cold reducer.
        for (const auto &cambia : std::initializer_list<std::function<void(LetturaCampione &)>>{
                 [](auto &v) { v.stato = 1 | 4; }, [](auto &v) { v.stato = 0; }, [](auto &v) { v.giri = 299; },
                 [](auto &v) { v.giri = 5001; }, [](auto &v) { v.temperatura = 49; }}) {
            Banco x;
            LetturaCampione v = Stabile();
            cambia(v);
            QCOMPARE(x.FinoACampione(v, 1000, 50), -1);
        }
        // The row quantity may wander 50 from the window's first reading, not 51.
        Banco q;
        q.orologio.Avanza(100000);
        q.c.Passo(Stabile(5000, 2000, 320), 1000);
        for (int n = 0; n < 30; ++n) {
            q.orologio.Avanza(100000);
            QVERIFY(!q.c.Passo(Stabile(5000, 2000, n % 2 ? 371 : 320), 1000));
        }
        QCOMPARE(q.tabelle, T{});
        Banco r;
        r.orologio.Avanza(100000);
        r.c.Passo(Stabile(5000, 2000, 320), 1000);
        int passi = 0;
        while (passi < 30) {
            r.orologio.Avanza(100000);
            ++passi;
            if (r.c.Passo(Stabile(5000, 2000, passi % 2 ? 370 : 270), 1000))
                break;
        }
        QVERIFY(passi < 30);
        QCOMPARE(r.tabelle[T::Be1][10], 5000); // (320 + 370 + 270...) / n ~ 320
    }

    void attesaDopoCambioCarburante()
    {
        Banco b;
        b.FinoACampione(Stabile(5000, 2000, 320, 0));
        // On gas: nothing for 4 s after the change, then the next window.
        const double cambio = b.orologio.Ora_us() + 100000;
        const int passi = b.FinoACampione(Stabile(5200, 2000, 320, 3));
        const double dopo = b.orologio.Ora_us() - cambio;
        QVERIFY2(passi > 0 && dopo > 4e6 && dopo <= 5.2e6, qPrintable(QString::number(dopo)));
        QVERIFY(b.tabelle[T::Ga1][10] == 5200 && b.tabelle[T::Be1][10] == 5000);
        // Every change restarts the hold-off, also back to petrol.
        for (const auto &[passo, attesa] : {std::pair{1e5, true}, {3.95e6, true}, {1e5, false}}) {
            b.orologio.Avanza(passo);
            b.c.Passo(Stabile(5000, 2000, 320, 0), 1000);
            QCOMPARE(b.c.AttesaInCorso(), attesa);
        }
    }

    void rigaFasciaCarburante()
    {
        // 43.75 -> 44 -> 43; 0.5 -> 0; 1.5 -> 2; below the first row.
        for (const auto &[quota, riga] : {std::pair{1400, 43}, {16, 0}, {48, 2}, {-40, 0}})
            QCOMPARE(CampionatoreStabilita::RigaDi(quota), riga);
        for (const auto &[giri, fascia] : {std::pair{1499, 0}, {1500, 1}, {2999, 1}, {3000, 2}})
            QCOMPARE(CampionatoreStabilita::FasciaDi(giri), fascia);

        T t;
        CampionatoreStabilita c(t);
        c.MemorizzaCampione(1101, 1000, 1400, 0);
        QCOMPARE(t[T::Be0][43], 1101); // the first sample of a cell as it is
        c.MemorizzaCampione(1000, 1000, 1400, 0);
        QVERIFY(t[T::Be0][43] == 1050 && t[T::BeM][43] == 1050); // 2101 / 2 = 1050.5 -> 1050
        c.MemorizzaCampione(1051, 3000, 1400, 0);
        QVERIFY(t[T::Be2][43] == 1051 && t[T::BeM][43] == 1050); // (1050 + 1051) / 2 = 1050.5 -> 1050
        c.MemorizzaCampione(1100, 1500, 1400, 0);
        QCOMPARE(t[T::BeM][43], 1067); // 3201 / 3 = 1067
        // Any fuel code other than 0 is gas.
        c.MemorizzaCampione(900, 2000, 100, 1);
        QVERIFY(t[T::Ga1][3] == 900 && t[T::GaM][3] == 900 && t[T::BeM][3] == 0);
    }
};

GASCAL_PROVA(TstCampionatore)
#include "tst_campionatore.moc"
