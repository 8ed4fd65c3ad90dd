// The datalog's pieces without an ECU: the recording file and its rows, the
// chart model's bounded series, the thinning, the cursor and the playback.
#include "RegistroProve.h"
#include "FileProva.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "datalog/FormatoLive.h"
#include "datalog/ModelloGrafico.h"
#include "datalog/RegistroLive.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace gascal;
using namespace Qt::StringLiterals;
using G = ModelloGrafico;

namespace {

void Prepara(Contesto &ctx, const QString &cartella)
{
    ctx.TabMsg.resize(7);
    ctx.TabMsg[Contesto::RecLive].Dimensiona(14);
    ctx.TabMsg[Contesto::RecComandi].Dimensiona(4);
    ctx.TabMsg[Contesto::RecProduzione].Dimensiona(7);
    ctx.TabMsg[Contesto::RecProduzione].Valori[0] = 4711;
    ctx.imp.CartellaDati = cartella + u"/Data/"_s;
    ctx.stato.StatoProgramma = StatoApp::Connesso;
}

std::vector<CampioneLive> Campioni(int quanti, const std::function<void(CampioneLive &, int)> &riempi)
{
    std::vector<CampioneLive> c(quanti);
    for (int i = 0; i < quanti; ++i) {
        c[i].Valori = QVector<qint32>(14, 0);
        riempi(c[i], i);
        c[i].Valori[FormatoLive::PosTempoBenzina] = c[i].Valori[FormatoLive::PosGiri] + 1000; // microseconds
    }
    return c;
}

QStringList Righe(const QString &file)
{
    return QString::fromUtf8(Leggi(file)).split(u"\r\n"_s, Qt::SkipEmptyParts);
}

} // namespace

class TstDatalog : public QObject
{
    Q_OBJECT

private slots:
    void recordingWritesEveryReadAndStopsWhenTheLinkGoes()
    {
        QTemporaryDir dir;
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        Prepara(ctx, dir.path());
        RegistroLive reg;
        QVERIFY(reg.Lettura(ctx, 1000)); // before recording: history only
        QVERIFY(reg.Avvia(ctx, QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))));
        QCOMPARE(reg.Percorso(), QDir(dir.path()).filePath(u"Data/logs/20260304-050607_4711.csv"_s));
        for (int i = 0; i < 5; ++i) {
            ctx.TabMsg[Contesto::RecLive].Valori[FormatoLive::PosGiri] = 800 + i;
            ctx.TabMsg[Contesto::RecComandi].Valori[1] = i < 3 ? 0 : 3;
            QVERIFY(reg.Lettura(ctx, 1000 + (i + 1) * 50000.0));
            // Each row is on disk as soon as it is taken.
            QCOMPARE(Righe(reg.Percorso()).size(), i + 2);
        }
        const QStringList righe = Righe(reg.Percorso());
        QCOMPARE(righe.first(), FormatoLive::Intestazione(14));
        QVERIFY(righe.first().endsWith(",manifold_pressure_mbar,fuel_state,fuel,valve"_L1));
        // Time from the first recorded row; the live values; the fuel in use.
        QCOMPARE(righe.at(1), u"0,0,0,0,0,800,0,0,0,0,0,0,0,0,0,0,petrol,closed"_s);
        QCOMPARE(righe.at(5), u"200,0,0,0,0,804,0,0,0,0,0,0,0,0,0,3,gas,closed"_s);

        QVERIFY(!reg.ControllaCollegamento(ctx));
        ctx.stato.ErroreComunicazione = 1;
        QVERIFY(reg.ControllaCollegamento(ctx));
        QVERIFY(!reg.Registrando());
        QVERIFY(reg.Lettura(ctx, 400000));
        QCOMPARE(Righe(reg.Percorso()).size(), 6);
        QCOMPARE(reg.Totale(), 7);
    }

    void historyIsBoundedAndHandsOutOnlyNewReads()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        Prepara(ctx, QDir::tempPath());
        RegistroLive reg;
        qint64 letti = 0;
        for (int i = 0; i < 3; ++i)
            reg.Lettura(ctx, i * 50000.0);
        QCOMPARE(reg.Dal(letti, &letti).size(), std::size_t(3));
        QCOMPARE(reg.Dal(letti, &letti).size(), std::size_t(0));
        for (qsizetype i = 0; i < RegistroLive::MaxCampioni + 10; ++i)
            reg.Lettura(ctx, 1e6 + i * 50000.0);
        // A reader that fell behind gets what is still held, not a gap filler.
        QCOMPARE(qsizetype(reg.Dal(letti, &letti).size()), RegistroLive::MaxCampioni);
        QCOMPARE(letti, reg.Totale());
    }

    void modelTakesEveryRowAndBoundsItsSeries()
    {
        G m;
        // Batches of uneven size, as the 100 ms refresh finds them; gas from
        // read 5 to 10 of every ten.
        int t = 0;
        for (int lotto : {1, 7, 2, 3, 500, 0, 4})
            m.Aggiungi(Campioni(lotto, [&](CampioneLive &c, int) {
                c.Tempo_ms = t;
                c.Valori[FormatoLive::PosGiri] = 1000 + t / 50;
                c.Carburante = (t / 50) % 10 < 5 ? 0 : 3;
                t += 50;
            }));
        QCOMPARE(m.Righe(), 517);
        QCOMPARE(m.Punti(), 517);
        double v = 0;
        // The cursor reads the last value not after t, in the shown units.
        QVERIFY(m.ValoreA(G::Giri, 0.149, v));
        QCOMPARE(v, 1002.0);
        QVERIFY(m.ValoreA(G::TempoBenzina, 0.150, v));
        QCOMPARE(v, 2.003);
        QVERIFY(m.ValoreA(G::Carburante, 0.25, v));
        QCOMPARE(v, 1.0);
        const auto fasce = m.FasceGas(0, 1.0);
        QVERIFY(fasce.size() >= 2);
        QCOMPARE(fasce.front(), std::make_pair(0.25, 0.5));

        G piccolo(100);
        piccolo.Aggiungi(Campioni(250, [](CampioneLive &c, int i) { c.Tempo_ms = i * 50; }));
        QCOMPARE(piccolo.Righe(), 250);
        QCOMPARE(piccolo.Punti(), 100);
        QCOMPARE(piccolo.Inizio(), 7.5);
    }

    void thinningKeepsPeaksAndReachesTheEdges()
    {
        G m;
        m.Aggiungi(Campioni(12000, [](CampioneLive &c, int i) {
            c.Tempo_ms = i * 50;
            c.Valori[FormatoLive::PosGiri] = i == 7777 ? 6500 : 800;
        }));
        const QVector<QPointF> p = m.Finestra(G::Giri, 100, 500, 400);
        QVERIFY(p.size() <= 402);
        QVERIFY(p.first().x() <= 100 && p.last().x() >= 500);
        double massimo = 0;
        for (int i = 0; i < p.size(); ++i) {
            massimo = std::max(massimo, p.at(i).y());
            QVERIFY(i == 0 || p.at(i).x() >= p.at(i - 1).x());
        }
        QCOMPARE(massimo, 6500.0);
    }

    void playbackReadsRecordingsAndRefusesOtherFiles()
    {
        QTemporaryDir dir;
        const QByteArray intestazione = FormatoLive::Intestazione(14).toUtf8() + "\r\n";
        const QByteArray gas = "0,3000,4000,0,0,2500,1200,1,0,0,45,0,0,0,980,3,gas,open\r\n";
        const QByteArray benzina = "50,3100,4100,0,0,2600,1210,1,0,0,46,0,0,0,990,0,petrol,closed\r\n";
        const QString buono = dir.filePath(u"a.csv"_s), rotto = dir.filePath(u"b.csv"_s), altro = dir.filePath(u"c.csv"_s);
        Scrivi(buono, intestazione + gas + benzina + "100,31"); // the last row cut by a crash is skipped
        Scrivi(rotto, intestazione + gas + "x,y\r\n" + benzina);
        Scrivi(altro, "a,b\r\n1,2\r\n");
        G m;
        QCOMPARE(m.CaricaCsv(buono), QString());
        QCOMPARE(m.Righe(), 2);
        for (const auto &[serie, t, atteso] : {std::tuple{G::TempoGas, 0.0, 3.0}, {G::PressioneGas, 0.05, 1.21},
                                               {G::PressioneCollettore, 0.05, 0.99}, {G::Carburante, 0.0, 1.0}}) {
            double v = 0;
            QVERIFY(m.ValoreA(serie, t, v));
            QCOMPARE(v, atteso);
        }
        QVERIFY(m.CaricaCsv(rotto).contains("line 3"_L1));
        QCOMPARE(m.Punti(), 0);
        QVERIFY(!m.CaricaCsv(altro).isEmpty());
        QVERIFY(!m.CaricaCsv(dir.filePath(u"none.csv"_s)).isEmpty());
    }
};

GASCAL_PROVA(TstDatalog)
#include "tst_datalog.moc"
