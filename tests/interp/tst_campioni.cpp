// Sample files, the table text, the window's model and the interpolation mode's writes.
#include "RegistroProve.h"
#include "FileProva.h"
#include "OrologioPasso.h"
#include "TabelleProva.h"

#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "interp/FileCampioni.h"
#include "interp/Interpolazione.h"
#include "interp/MemoIni.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace gascal;
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
        T letta;
        QVERIFY(FileCampioni::CaricaCampioni(percorso, letta));
        QCOMPARE(letta, t);
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
        t = originali;
        QString errore;
        QVERIFY(!FileCampioni::CaricaCampioni(dir.filePath(QStringLiteral("manca.cmp")), t, &errore));
        QVERIFY(!errore.isEmpty());
        QCOMPARE(t, originali);
        // A folder that does not exist: the save fails and says so.
        QVERIFY(!FileCampioni::SalvaCampioni(dir.filePath(QStringLiteral("no/dir/x.cmp")), t, &errore));
        QVERIFY(errore.contains(QStringLiteral("x.cmp")));
    }

    // Memo.ini at start: read when good; put aside, never written over, when not.
    void memoIllegibileMessoDaParte()
    {
        Programma p;
        const QDateTime ora(QDate(2026, 12, 8), QTime(15, 36, 0));
        QCOMPARE(MemoIni::Carica(p.ctx, ora), QString());   // none yet
        QVERIFY(FileCampioni::SalvaCampioni(p.ctx.imp.FileMemoIni, TabelleProva()));
        QCOMPARE(MemoIni::Carica(p.ctx, ora), QString());
        QCOMPARE(p.ctx.campioni, TabelleProva());

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
        QVERIFY(Interpolazione::Campiona(false, 0) && !Interpolazione::Campiona(true, 0) && Interpolazione::Campiona(true, 3));
        QVERIFY(!Interpolazione::Campiona(false, 1));

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
};

GASCAL_PROVA(TstCampioni)
#include "tst_campioni.moc"
