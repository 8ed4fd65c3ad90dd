// The datalog's pieces without an ECU: the recording file and its rows, the
// chart model's bounded series, the thinning, the cursor and the playback.
#include "RegistroProve.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "datalog/FormatoLive.h"
#include "datalog/ModelloGrafico.h"
#include "datalog/RegistroLive.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace gascal;

namespace {

void Prepara(Contesto &ctx, const QString &cartella)
{
    ctx.TabMsg.resize(7);
    ctx.TabMsg[Contesto::RecLive].Dimensiona(14);
    ctx.TabMsg[Contesto::RecComandi].Dimensiona(4);
    ctx.TabMsg[Contesto::RecProduzione].Dimensiona(7);
    ctx.TabMsg[Contesto::RecProduzione].Valori[0] = 4711;
    ctx.imp.CartellaDati = cartella + QStringLiteral("/Data/");
    ctx.stato.StatoProgramma = StatoApp::Connesso;
    ctx.stato.ErroreComunicazione = 0;
}

CampioneLive Campione(double t_ms, qint32 giri, qint32 carburante)
{
    CampioneLive c;
    c.Tempo_ms = t_ms;
    c.Valori = QVector<qint32>(14, 0);
    c.Valori[FormatoLive::PosGiri] = giri;
    c.Valori[FormatoLive::PosTempoBenzina] = giri + 1000; // microseconds
    c.Carburante = carburante;
    return c;
}

QStringList Righe(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
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
        QCOMPARE(reg.Percorso(), QDir(dir.path()).filePath(QStringLiteral("Data/logs/20260304-050607_4711.csv")));

        for (int i = 0; i < 5; ++i) {
            ctx.TabMsg[Contesto::RecLive].Valori[FormatoLive::PosGiri] = 800 + i;
            ctx.TabMsg[Contesto::RecComandi].Valori[1] = i < 3 ? 0 : 3;
            QVERIFY(reg.Lettura(ctx, 1000 + (i + 1) * 50000.0));
            // Each row is on disk as soon as it is taken.
            QCOMPARE(Righe(reg.Percorso()).size(), i + 2);
        }
        const QStringList righe = Righe(reg.Percorso());
        QCOMPARE(righe.first(), FormatoLive::Intestazione(14));
        QVERIFY(righe.first().endsWith(QLatin1String(",manifold_pressure_mbar,fuel_state,fuel,valve")));
        // Time from the first recorded row; the live values; the fuel in use.
        QCOMPARE(righe.at(1), QStringLiteral("0,0,0,0,0,800,0,0,0,0,0,0,0,0,0,0,petrol,closed"));
        QCOMPARE(righe.at(5), QStringLiteral("200,0,0,0,0,804,0,0,0,0,0,0,0,0,0,3,gas,closed"));

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
        const auto nuovi = reg.Dal(letti, &letti);
        QCOMPARE(qsizetype(nuovi.size()), RegistroLive::MaxCampioni);
        QCOMPARE(letti, reg.Totale());
    }

    void modelTakesEveryRowAndBoundsItsSeries()
    {
        ModelloGrafico m;
        // Batches of uneven size, as the 100 ms refresh finds them.
        int t = 0;
        for (int lotto : {1, 7, 2, 3, 500, 0, 4})
        {
            std::vector<CampioneLive> c;
            for (int i = 0; i < lotto; ++i, t += 50)
                c.push_back(Campione(t, 1000 + t / 50, (t / 50) % 10 < 5 ? 0 : 3));
            m.Aggiungi(c);
        }
        QCOMPARE(m.Righe(), 517);
        QCOMPARE(m.Punti(), 517);
        double v = 0;
        // The cursor reads the last value not after t, in the shown units.
        QVERIFY(m.ValoreA(ModelloGrafico::Giri, 0.149, v));
        QCOMPARE(v, 1002.0);
        QVERIFY(m.ValoreA(ModelloGrafico::TempoBenzina, 0.150, v));
        QCOMPARE(v, 2.003);
        QVERIFY(m.ValoreA(ModelloGrafico::Carburante, 0.25, v));
        QCOMPARE(v, 1.0);
        // Gas from read 5 to 10 of every ten: spans of 0.25 s.
        const auto fasce = m.FasceGas(0, 1.0);
        QVERIFY(fasce.size() >= 2);
        QCOMPARE(fasce.front().first, 0.25);
        QCOMPARE(fasce.front().second, 0.5);

        ModelloGrafico piccolo(100);
        std::vector<CampioneLive> c;
        for (int i = 0; i < 250; ++i)
            c.push_back(Campione(i * 50, i, 0));
        piccolo.Aggiungi(c);
        QCOMPARE(piccolo.Righe(), 250);
        QCOMPARE(piccolo.Punti(), 100);
        QCOMPARE(piccolo.Inizio(), 7.5);
    }

    void thinningKeepsPeaksAndReachesTheEdges()
    {
        ModelloGrafico m;
        std::vector<CampioneLive> c;
        for (int i = 0; i < 12000; ++i)
            c.push_back(Campione(i * 50, i == 7777 ? 6500 : 800, 0));
        m.Aggiungi(c);
        const QVector<QPointF> p = m.Finestra(ModelloGrafico::Giri, 100, 500, 400);
        QVERIFY(p.size() <= 402);
        QVERIFY(p.first().x() <= 100 && p.last().x() >= 500);
        double massimo = 0;
        for (int i = 0; i < p.size(); ++i) {
            massimo = std::max(massimo, p.at(i).y());
            if (i > 0)
                QVERIFY(p.at(i).x() >= p.at(i - 1).x());
        }
        QCOMPARE(massimo, 6500.0);
    }

    void playbackReadsRecordingsAndRefusesOtherFiles()
    {
        QTemporaryDir dir;
        auto scrivi = [&](const QString &nome, const QByteArray &testo) {
            QFile f(dir.filePath(nome));
            f.open(QIODevice::WriteOnly);
            f.write(testo);
            return f.fileName();
        };
        const QByteArray intestazione = FormatoLive::Intestazione(14).toUtf8() + "\r\n";
        // The last row cut by a crash is skipped.
        const QString buono = scrivi(QStringLiteral("a.csv"), intestazione
            + "0,3000,4000,0,0,2500,1200,1,0,0,45,0,0,0,980,3,gas,open\r\n"
              "50,3100,4100,0,0,2600,1210,1,0,0,46,0,0,0,990,0,petrol,closed\r\n"
              "100,31");
        ModelloGrafico m;
        QCOMPARE(m.CaricaCsv(buono), QString());
        QCOMPARE(m.Righe(), 2);
        double v = 0;
        QVERIFY(m.ValoreA(ModelloGrafico::TempoGas, 0, v));
        QCOMPARE(v, 3.0);
        QVERIFY(m.ValoreA(ModelloGrafico::PressioneGas, 0.05, v));
        QCOMPARE(v, 1.21);
        QVERIFY(m.ValoreA(ModelloGrafico::PressioneCollettore, 0.05, v));
        QCOMPARE(v, 0.99);
        QVERIFY(m.ValoreA(ModelloGrafico::Carburante, 0, v));
        QCOMPARE(v, 1.0);

        const QString rotto = scrivi(QStringLiteral("b.csv"), intestazione
            + "0,3000,4000,0,0,2500,1200,1,0,0,45,0,0,0,980,3,gas,open\r\nx,y\r\n"
              "50,3100,4100,0,0,2600,1210,1,0,0,46,0,0,0,990,0,petrol,closed\r\n");
        QVERIFY(m.CaricaCsv(rotto).contains(QLatin1String("line 3")));
        QCOMPARE(m.Punti(), 0);
        QVERIFY(!m.CaricaCsv(scrivi(QStringLiteral("c.csv"), "a,b\r\n1,2\r\n")).isEmpty());
        QVERIFY(!m.CaricaCsv(dir.filePath(QStringLiteral("none.csv"))).isEmpty());
    }
};

GASCAL_PROVA(TstDatalog)
#include "tst_datalog.moc"
