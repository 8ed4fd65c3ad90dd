// Road samples in this process: curve fitting and deflection, the stability sampler, the sample
// files, the window's model and its explanation, and `gascal-cli samples` through the road cycle.
#include "RegistroProve.h"
#include "BancoVirtuale.h"
#include "Comandi.h"
#include "FileProva.h"
#include "OrologioPasso.h"
#include "SessioneCli.h"
#include "TabelleProva.h"

#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "i18n/Dizionario.h"
#include "i18n/Risorse.h"
#include "interp/CampionatoreStabilita.h"
#include "interp/CurveCampioni.h"
#include "interp/Deflessione.h"
#include "interp/FileCampioni.h"
#include "interp/Interpolazione.h"
#include "interp/MemoIni.h"
#include "interp/SpiegaCampioni.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace gascal;
using namespace Qt::StringLiterals;
using T = TabelleCampioni;

namespace {

// A program state whose message table has the records the window reads.
struct Programma {
    ServiziUiScriptati ui;
    Contesto ctx{ui};
    OrologioPasso orologio;
    QTemporaryDir cartella;

    Programma()
    {
        orologio.Installa();
        ctx.TabMsg.resize(7);
        const int valori[] = {1, 14, 2, 30, 20, 6, 56};
        for (int n = 0; n < 7; ++n)
            ctx.TabMsg[n].Dimensiona(valori[n]);
        ctx.imp.PathApp = cartella.path();
        ctx.imp.CostruisciPercorsi();
    }
    void Live(qint32 tempo, qint32 giri, qint32 quota, qint32 carburante)
    {
        QVector<qint32> &v = ctx.TabMsg[1].Valori;
        v[1] = tempo, v[4] = giri, v[5] = quota, v[6] = 1, v[9] = 65;
        ctx.TabMsg[2].Valori[1] = carburante;
    }
};

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

// The tool's session on the bench's folder and ECU.
struct Strumento {
    BancoVirtuale banco;
    cli::SessioneCli sessione;

    bool Avvia()
    {
        banco.Aggancia(sessione.ctx);
        return sessione.Avvia(banco.Cartella());
    }
    int Campiona(int secondi, int timeoutSec = 10)
    {
        cli::OpzioniCampioni o;
        o.out = banco.Percorso(u"strada.cmp"_s);
        o.secondi = secondi;
        o.stabilitaMs = 1000;
        return cli::ComandoCampioniLive(sessione, timeoutSec, o);
    }
};

// A curve giving exactly the listed rows their values.
Curva CurvaRighe(const QList<QPair<int, qint32>> &righe)
{
    Curva c(100);
    int i = 8;
    for (const auto &[riga, valore] : righe) {
        c[i] = c[i + 1] = {valore, 32 * riga};
        i += 2;
    }
    return c;
}

QVector<qint32> Deflessione56(const Curva &a, const Curva &b, int percentuale = 60)
{
    QVector<qint32> out(56, -999);
    Deflessione::CalcolaDeflessione(a, b, out, percentuale);
    return out;
}

// A deflection with the listed points, zero elsewhere.
QVector<qint32> Punti(const QList<QPair<int, qint32>> &punti)
{
    QVector<qint32> d(56, 0);
    for (const auto &[k, v] : punti)
        d[k] = v;
    return d;
}


} // namespace

class TstCampioni : public QObject
{
    Q_OBJECT
private slots:
    void formatoFile()
    {
        QTemporaryDir dir;
        const QString percorso = dir.filePath(QStringLiteral("prova.cmp"));
        T t;
        t[T::Be1][1] = 0x00020304;
        t[T::Ga2][43] = T::TempoMassimo;
        t[T::BeM][0] = 7;
        QVERIFY(FileCampioni::SalvaCampioni(percorso, t));
        const QByteArray dati = Leggi(percorso);
        // Row 0 first, the eight tables of a row in file order, little-endian.
        QCOMPARE(dati.size(), 1408);
        QCOMPARE(dati.left(4) + dati.mid((1 * 8 + 2) * 4, 4) + dati.right(4), QByteArray::fromHex("0700000004030200fcff0300"));
    }

    // A refused file (size not 1408, impossible time) leaves the tables as they were.
    void fileRifiutati()
    {
        QTemporaryDir dir;
        const T originali = TabelleProva();
        QList<std::pair<QByteArray, QString>> file;
        for (int dimensione : {0, 1407, 1409, 4096})
            file.append({QByteArray(dimensione, '\x11'), QStringLiteral("%1 bytes").arg(dimensione)});
        for (const qint32 impossibile : {std::numeric_limits<qint32>::max(), -1, T::TempoMassimo + 1}) {
            T guasta = originali;
            guasta[T::Be2][17] = impossibile;
            file.append({guasta.Immagine(), QStringLiteral("Be2, row 17 holds %1").arg(impossibile)});
            QVERIFY(!guasta.DaImmagine(guasta.Immagine()));
        }
        for (const auto &[dati, motivo] : file) {
            Scrivi(dir.filePath(QStringLiteral("x.cmp")), dati);
            T t = originali;
            QString errore;
            QVERIFY(!FileCampioni::CaricaCampioni(dir.filePath(QStringLiteral("x.cmp")), t, &errore));
            QCOMPARE(t, originali);
            QVERIFY2(errore.contains(motivo), qPrintable(errore));
        }
        T massima = originali;
        massima[T::GaM][43] = T::TempoMassimo;
        T t;
        QVERIFY(t.DaImmagine(massima.Immagine()));   // the longest time the ECU reports is one
        QCOMPARE(t, massima);
        QString errore;
        // A folder that does not exist: the save fails and says so.
        QVERIFY(!FileCampioni::SalvaCampioni(dir.filePath(QStringLiteral("no/dir/x.cmp")), t, &errore));
        QVERIFY(errore.contains(QStringLiteral("x.cmp")));
    }

    // Memo.ini at start, unreadable: put aside, never written over. (A good one: the window on the engine.)
    void memoIllegibileMessoDaParte()
    {
        Programma p;
        const QDateTime ora(QDate(2026, 12, 8), QTime(15, 36, 0));
        QCOMPARE(MemoIni::Carica(p.ctx, ora), QString());   // none yet
        const QByteArray guasto(1000, '\x22');
        const QString scartato = p.ctx.imp.FileMemoIni + QStringLiteral(".2026-12-08_15-36-00.bad");
        for (const QString &atteso : {scartato, p.ctx.imp.FileMemoIni + QStringLiteral(".2026-12-08_15-36-00-2.bad")}) {
            Scrivi(p.ctx.imp.FileMemoIni, guasto);
            p.ctx.campioni = T{};
            const QString avviso = MemoIni::Carica(p.ctx, ora);
            QVERIFY2(avviso.contains(QStringLiteral("1000 bytes")) && avviso.contains(QDir::toNativeSeparators(atteso)),
                     qPrintable(avviso));
            QCOMPARE(p.ctx.campioni, T{});
            QVERIFY(!QFile::exists(p.ctx.imp.FileMemoIni));
            QCOMPARE(Leggi(atteso), guasto);
        }

        // What the window writes next goes to a new Memo.ini; the old one stays aside.
        Interpolazione modello(p.ctx);
        p.ctx.campioni[T::BeM][5] = 2500;
        QVERIFY(modello.SalvaMemo());
        QCOMPARE(Leggi(scartato), guasto);
        T letta;
        QVERIFY(FileCampioni::CaricaCampioni(p.ctx.imp.FileMemoIni, letta));
        QCOMPARE(letta[T::BeM][5], 2500);
    }

    void testoTabella()
    {
        T t;
        t[T::BeM][0] = 2800;
        t[T::Ga2][43] = 123456;
        const QStringList righe = t.Testo().split(QStringLiteral("\r\n"));
        QCOMPARE(righe.size(), 46); // header, 44 rows, and the empty text after the last CR LF
        QCOMPARE((QStringList{righe[0], righe[1], righe[44], righe[45]}),
                 (QStringList{" id   BeM   Be0   Be1   Be2   GaM   Ga0   Ga1   Ga2", "  0  2800     0     0     0     0     0     0     0",
                              " 43     0     0     0     0     0     0     0123456", ""}));
    }

    void campionamentoSecondoCarburante()
    {
        // Without petrol only gas; while switching neither.
        QVERIFY(!Interpolazione::Campiona(true, 0) && Interpolazione::Campiona(true, 3));

        for (qint32 carburante : {0, 3, 1}) {
            Programma p;
            Interpolazione modello(p.ctx);
            p.Live(6000, 2200, 480, carburante);
            for (int n = 0; n < 80; ++n) {
                p.orologio.Avanza(100000);
                modello.Aggiorna({false, false, 1000});
            }
            QCOMPARE(p.ctx.campioni[T::BeM][15], carburante == 0 ? 6000 : 0);
            QCOMPARE(p.ctx.campioni[T::GaM][15], carburante == 3 ? 6000 : 0);
        }
    }

    void statoDeflessioneEMarcatori()
    {
        Programma p;
        Interpolazione modello(p.ctx);
        p.Live(0, 0, 0, 1); // not sampling
        modello.ChiediDeflessione();
        QVERIFY(!modello.Aggiorna({}).has_value());
        QCOMPARE(modello.Stato(), int(Interpolazione::Niente));

        p.ctx.campioni = TabelleProva();
        QVERIFY(!modello.Aggiorna({}).has_value());
        QCOMPARE(modello.Stato(), int(Interpolazione::Disponibile));
        modello.ChiediDeflessione();
        QCOMPARE(modello.Stato(), int(Interpolazione::Richiesta));
        const auto marcatori = modello.Aggiorna({});
        QVERIFY(marcatori.has_value() && marcatori->size() == 11);
        QCOMPARE(modello.Stato(), int(Interpolazione::Niente));
        QVERIFY(marcatori->at(0) == (Interpolazione::Marcatore{11, 135}) && marcatori->at(10) == (Interpolazione::Marcatore{38, 326}));
        // The next refresh offers the deflection again; erasing takes it away.
        modello.Aggiorna({});
        QCOMPARE(modello.Stato(), int(Interpolazione::Disponibile));
        modello.CancellaGas();
        QCOMPARE(modello.Stato(), int(Interpolazione::Niente));
        QVERIFY(p.ctx.campioni[T::GaM] == T::Tabella{} && p.ctx.campioni[T::BeM][3] == 2100);
        modello.Aggiorna({});
        QCOMPARE(modello.Stato(), int(Interpolazione::Niente));
    }

    // What the window says while it has no correction to show.
    void spiegazioneSenzaCorrezione()
    {
        Dizionario diz;
        diz.ImpostaTesti(Risorse::CaricaRisorsa(Dizionario::NumeroRisorsa(Dizionario::Italiano),
                                                Dizionario::RisorsaDi(Dizionario::Italiano))
                             .mid(2));
        TabelleCampioni t;
        QVector<qint32> deflessione(56, 0);
        QString m = SpiegaCampioni::Motivo(diz, t, deflessione, 2000);
        QVERIFY2(m.contains(QStringLiteral("Righe con campioni a benzina: nessuna")), qPrintable(m));
        QVERIFY(m.contains(QStringLiteral("Righe con campioni a gas: nessuna")));
        QVERIFY(m.contains(QStringLiteral("2000 ms")));

        for (int r : {3, 4, 5, 9})
            t[TabelleCampioni::BeM][r] = 2500 + r;
        t[TabelleCampioni::GaM][12] = 4000;
        m = SpiegaCampioni::Motivo(diz, t, deflessione, 3000);
        QVERIFY2(m.contains(QStringLiteral("benzina: 3-5, 9")), qPrintable(m));
        QVERIFY(m.contains(QStringLiteral("gas: 12")));
        QVERIFY(m.contains(QStringLiteral("3000 ms")));
        // A band table does not count: only the means make a curve.
        t[TabelleCampioni::Ga1][20] = 4100;
        QVERIFY(SpiegaCampioni::Motivo(diz, t, deflessione, 3000).contains(QStringLiteral("gas: 12\n")));

        // Once a correction exists there is nothing to explain.
        deflessione[10] = -128;
        QVERIFY(SpiegaCampioni::Motivo(diz, t, deflessione, 3000).isEmpty());
        t[TabelleCampioni::BeM][0] = 1;
        t[TabelleCampioni::BeM][43] = 1;
        QCOMPARE(SpiegaCampioni::Righe(t[TabelleCampioni::BeM]), QStringLiteral("0, 3-5, 9, 43"));
    }

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
        for (const int scarto : {51, 50}) {
            Banco q;
            q.orologio.Avanza(100000);
            q.c.Passo(Stabile(), 1000);
            for (int n = 1; n < 30; ++n) {
                q.orologio.Avanza(100000);
                if (q.c.Passo(Stabile(5000, 2000, n % 2 ? 320 + scarto : 320 - scarto), 1000))
                    break;
            }
            QVERIFY2(scarto == 51 ? q.tabelle == T{} : q.tabelle[T::Be1][10] == 5000, qPrintable(q.tabelle.Testo()));   // mean ~320
        }
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

    void cicloStradale()
    {
        Strumento s;
        QVERIFY(s.Avvia());
        // 37 steps of 2.5 s once the tool samples: petrol, the switch, gas, idle.
        s.banco.Tra(4000, [&s] { s.banco.Controllo(u"road 2.5"_s); });
        QCOMPARE(s.Campiona(37 * 5 / 2 + 6), 0);

        T t;
        QVERIFY(FileCampioni::CaricaCampioni(s.banco.Percorso(u"strada.cmp"_s), t));
        QVERIFY2(Righe(t[T::BeM]) >= 14 && Righe(t[T::GaM]) >= 14, qPrintable(t.Testo()));
        // All three speed bands were driven on both fuels.
        for (int k : {T::Be0, T::Be1, T::Be2, T::Ga0, T::Ga1, T::Ga2})
            QVERIFY2(Righe(t[k]) >= 4, T::Nomi[k]);

        // On gas the car's ECU trims the mixture: the samples propose corrections.
        Contesto analisi(s.banco.ui);
        analisi.campioni = t;
        Interpolazione modello(analisi);
        modello.ImpostaFileMemo({});
        modello.Calcola(false);
        QVERIFY2(modello.Marcatori().size() >= 2, qPrintable(QString::number(modello.Marcatori().size())));
    }

    void cablePulledKeepsTheSamplesAndPutsTheEcuBack()
    {
        Strumento s;
        QVERIFY(s.Avvia());
        const qint32 sensore = s.banco.ValoreEcu(Contesto::RecConfig, 25);
        const qint32 abilitazioni = s.banco.ValoreEcu(Contesto::RecConfig, 12);
        QVERIFY(sensore != 0 && (abilitazioni & 1));
        // Half a second into the interpolation mode, the cable out for three.
        bool staccato = false;
        std::function<void()> guarda = [&] {
            if (s.banco.ValoreEcu(Contesto::RecConfig, 25) != 0)
                return s.banco.Tra(100, guarda);
            s.banco.Tra(500, [&] {
                staccato = s.banco.Controllo(u"unplug"_s) == "ok"_L1;
                s.banco.Tra(3000, [&] { s.banco.Controllo(u"plug"_s); });
            });
        };
        s.banco.Tra(100, guarda);
        QCOMPARE(s.Campiona(60, 20), 1);
        QVERIFY(staccato);
        QCOMPARE(s.banco.ValoreEcu(Contesto::RecConfig, 25), sensore);
        QCOMPARE(s.banco.ValoreEcu(Contesto::RecConfig, 12), abilitazioni);
        QVERIFY(QFileInfo::exists(s.banco.Percorso(u"strada.cmp"_s)));
        QVERIFY(QDir(s.banco.Percorso(u"Data"_s)).entryList({u"restore_*"_s}).isEmpty());
    }

    void pochiPuntiEVuoti()
    {
        CurveCampioni curve;
        Curva c;
        T::Tabella t{};
        for (int r : {1, 3, 5, 7, 9, 11, 13, 15})
            t[r] = 1000 + r;
        t[20] = -5; // negative rows are no samples either
        curve.CurvaCampioni(t, c, true);
        QVERIFY(c.size() == 100 && curve.Punti().size() == 8);
        QCOMPARE(int(std::count(c.begin(), c.end(), Punto{})), 100);

        // The ninth row makes a curve; gaps keep each point's own row.
        t[17] = 2000;
        curve.CurvaCampioni(t, c, true);
        QCOMPARE(curve.Punti().size(), size_t(9));
        QVERIFY(curve.Punti()[1] == (Punto{1003, 96}) && curve.Punti()[8] == (Punto{2000, 544}));
        // The ends are trimmed whatever the fit gave.
        QCOMPARE(int(std::count(c.begin(), c.begin() + 8, Punto{}) + std::count(c.end() - 8, c.end(), Punto{})), 16);
        // With the B-spline of order 14, nine points give a zero interior.
        curve.CurvaCampioni(t, c, false);
        QCOMPARE(int(std::count(c.begin(), c.end(), Punto{})), 100);
    }

    // No coordinate wraps past 32 bits, in the curve or in its deflection.
    void valoriEstremiSenzaTraboccare()
    {
        T::Tabella t{};
        for (int r = 3; r < 40; ++r)
            t[r] = std::numeric_limits<qint32>::max() - (r % 2);
        CurveCampioni curve;
        Curva c;
        for (const bool bezier : {false, true}) {
            curve.OrdineSpline = 14;
            curve.CurvaCampioni(t, c, bezier);
            for (const Punto &p : c)
                QVERIFY2(p.X >= 0 && p.Y >= 0, qPrintable(QStringLiteral("%1, %2").arg(p.X).arg(p.Y)));
            QVERIFY(c[50].X > std::numeric_limits<qint32>::max() / 2);
        }
        const qint32 massimo = std::numeric_limits<qint32>::max();
        const QVector<qint32> d = Deflessione56(CurvaRighe({{5, 2000}, {6, 3000}}), CurvaRighe({{5, massimo}, {6, massimo}}), 1000);
        QVERIFY(*std::min_element(d.begin(), d.end()) >= 0);
        QCOMPARE(d[8], massimo);   // 10 x (max - 2000), held at the limit
    }

    void curveDiRiferimento()
    {
        T::Tabella nove{};
        int i = 0;
        for (int r : {2, 4, 5, 7, 9, 10, 12, 14, 15})
            nove[r] = 1000 + 500 * i++;
        CurveCampioni curve;
        Curva c, benzina, gas;
        curve.CurvaCampioni(nove, c, true);
        QCOMPARE((QList<Punto>{c[8], c[20], c[50], c[91]}), (QList<Punto>{{1324, 102}, {1807, 151}, {3020, 280}, {4676, 455}}));

        const T tabelle = TabelleProva();
        curve.CurvaCampioni(tabelle[T::BeM], benzina, false);
        curve.CurvaCampioni(tabelle[T::GaM], gas, false);
        QCOMPARE((QList<Punto>{benzina[8], benzina[30], benzina[50], benzina[91], gas[50], gas[91]}),
                 (QList<Punto>{{2908, 157}, {5315, 254}, {7588, 339}, {12337, 515}, {8040, 339}, {13009, 515}}));
        const QVector<qint32> righe = Deflessione::ValoriRighe(benzina);
        QCOMPARE(righe, (QVector<qint32>{0, 0, 0, 0, 0, 2908, 3639, 4526, 5315, 6226, 7022, 7928, 8721, 9624, 10526, 11333, 12200}
                         + QVector<qint32>(44 - 17, 0)));
        QCOMPARE(Deflessione56(benzina, gas), Punti({{11, 135}, {14, 160}, {18, 186}, {21, 209}, {24, 233}, {27, 254},
                                                     {31, 280}, {34, 327}, {35, 376}, {37, 399}, {38, 326}}));

        curve.CurvaCampioni(tabelle[T::BeM], benzina, true);
        curve.CurvaCampioni(tabelle[T::GaM], gas, true);
        QCOMPARE((QList<Punto>{benzina[8], benzina[30], gas[91]}), (QList<Punto>{{2586, 135}, {4998, 241}, {13648, 537}}));
        QCOMPARE(Deflessione56(benzina, gas), Punti({{12, 138}, {15, 163}, {18, 184}, {21, 206}, {24, 232}, {28, 258},
                                                     {31, 280}, {33, 351}, {34, 303}, {35, 377}, {37, 398}, {38, 329}}));
    }

    void deflessioneRighe()
    {
        // 1.5 and 2.5 both round to 2 (halves to even).
        for (const auto &[x, punto] : {std::pair{10240, 40}, {10241, 33}, {384, 2}, {640, 2}, {21759, 55}, {21760, 56}})
            QCOMPARE(Deflessione::PuntoDi(x), punto);
        // 10240 -> point 40, 10241 -> 33 (60.6 -> 60, truncated to zero); 21760 is past point 55.
        QCOMPARE(Deflessione56(CurvaRighe({{10, 10240}, {11, 10241}, {12, 21760}}), CurvaRighe({{10, 10341}, {11, 10141}, {12, 22760}})),
                 Punti({{40, 60}, {33, -60}}));
        // Two rows on one point: the mean truncated toward zero, then the percentage.
        const Curva c = CurvaRighe({{4, 1000}, {5, 1010}});
        QCOMPARE(Deflessione56(c, CurvaRighe({{4, 1003}, {5, 1012}}), 100)[4], 2);  // (3 + 2) / 2 = 2.5 -> 2
        QCOMPARE(Deflessione56(c, CurvaRighe({{4, 997}, {5, 1008}}), 100)[4], -2);  // (-3 - 2) / 2 = -2.5 -> -2
        // A row without a gas value, or without a petrol one, counts nothing.
        QCOMPARE(Deflessione56(CurvaRighe({{6, 2000}}), CurvaRighe({{7, 2000}})), QVector<qint32>(56, 0));
    }
};

GASCAL_PROVA(TstCampioni)
#include "tst_campioni.moc"
