// The datalog and the chart window against the driven virtual ECU: a
// recording holds one row per poll that follows the engine, the chart takes
// every read, and a lost link ends the recording with a complete file.
#include "RegistroProve.h"
#include "ProgrammaProva.h"

#include "datalog/FormatoLive.h"
#include "ui/main/ControlliDatalog.h"
#include "ui/main/FrmGrafico.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <algorithm>

using namespace gascal;

namespace {

struct Csv {
    QStringList intestazione;
    QList<QList<qint64>> righe;
    int Colonna(const char *nome) const { return int(intestazione.indexOf(QLatin1String(nome))); }
};

Csv Leggi(const QString &percorso)
{
    Csv csv;
    QFile f(percorso);
    if (!f.open(QIODevice::ReadOnly))
        return csv;
    const QStringList righe = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    csv.intestazione = righe.value(0).split(QLatin1Char(','));
    for (qsizetype i = 1; i < righe.size(); ++i) {
        QList<qint64> valori;
        for (const QString &campo : righe.at(i).split(QLatin1Char(',')))
            valori << campo.toLongLong();
        csv.righe << valori;
    }
    return csv;
}

} // namespace

class TstDatalogEcu : public QObject
{
    Q_OBJECT

private slots:
    void recordingFollowsADrivenEngine()
    {
        ProgrammaProva p;
        QCOMPARE(p.AvviaEcu(), QString());
        QVERIFY(p.AvviaProgramma());
        QVERIFY(p.AttendiStato(StatoApp::Connesso));
        ControlliDatalog &d = *p.frame->Datalog();
        QVERIFY(!d.CmdRegistra->toolTip().isEmpty());
        d.CmdGrafico->trigger();
        FrmGrafico &grafico = *d.Grafico();
        QVERIFY(grafico.isVisible());

        QTRY_COMPARE_WITH_TIMEOUT(p.ctx.Valore(Contesto::RecLive, FormatoLive::PosGiri), 800, 5000);
        d.CmdRegistra->trigger();
        QVERIFY(d.Registro().Registrando());
        QVERIFY(d.CmdRegistra->isChecked());
        const QString file = d.Registro().Percorso();
        QVERIFY(file.contains(QLatin1String("/Data/logs/")));
        QElapsedTimer durata;
        durata.start();

        QTest::qWait(1500);
        QCOMPARE(p.banco.Controllo(QStringLiteral("rpm 3000")), QStringLiteral("ok"));
        QCOMPARE(p.banco.Controllo(QStringLiteral("fuel gas")), QStringLiteral("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(p.ctx.Valore(Contesto::RecComandi, 1) == 3, 15000);
        QTest::qWait(1000);
        d.CmdRegistra->trigger();
        const qint64 trascorsi = durata.elapsed();
        QVERIFY(!d.Registro().Registrando());

        const Csv csv = Leggi(file);
        QCOMPARE(csv.intestazione.join(QLatin1Char(',')),
                 FormatoLive::Intestazione(p.ctx.TabMsg.at(Contesto::RecLive).NumeroVariabili()));
        const int cTempo = csv.Colonna("time_ms"), cGiri = csv.Colonna("engine_speed_rpm"),
                  cGas = csv.Colonna("gas_injection_us"), cFuel = csv.Colonna("fuel_state");
        // One row per 50 ms poll: never more, and not much fewer (a loaded
        // machine may delay a few ticks).
        QVERIFY2(csv.righe.size() <= trascorsi / 50 + 2 && csv.righe.size() >= trascorsi / 50 / 2,
                 qPrintable(QStringLiteral("%1 rows in %2 ms").arg(csv.righe.size()).arg(trascorsi)));
        QList<qint64> passi;
        for (qsizetype i = 1; i < csv.righe.size(); ++i)
            passi << csv.righe.at(i).at(cTempo) - csv.righe.at(i - 1).at(cTempo);
        std::sort(passi.begin(), passi.end());
        QVERIFY(passi.first() > 0);
        QVERIFY2(passi.at(passi.size() / 2) >= 40 && passi.at(passi.size() / 2) <= 75,
                 qPrintable(QStringLiteral("median step %1 ms").arg(passi.at(passi.size() / 2))));

        // Idle on petrol, then the engine climbing to 3000 rpm, then gas with a
        // gas time: the rows follow the drive in order.
        bool salito = false;
        for (const auto &r : csv.righe) {
            QCOMPARE(r.size(), csv.intestazione.size());
            salito = salito || r.at(cGiri) != 800;
            QVERIFY2(r.at(cFuel) != 3 || salito, "gas before the engine was revved");
            QVERIFY(r.at(cGiri) >= 800 && r.at(cGiri) <= 3000);
            QVERIFY(!salito || r.at(cGiri) > 800);
        }
        QCOMPARE(csv.righe.first().at(cGiri), 800);
        QCOMPARE(csv.righe.first().at(cFuel), 0);
        QCOMPARE(csv.righe.last().at(cGiri), 3000);
        QCOMPARE(csv.righe.last().at(cFuel), 3);
        QVERIFY(csv.righe.last().at(cGas) > 0);

        // The chart took every read the frame made, recorded or not, over
        // many refreshes (the last one taken here, with no poll between).
        grafico.Aggiorna();
        QCOMPARE(grafico.Modello().Righe(), d.Registro().Totale());
        QVERIFY(grafico.Modello().Righe() >= csv.righe.size());
        double giri = 0;
        QVERIFY(grafico.Modello().ValoreA(ModelloGrafico::Giri, grafico.Modello().Fine(), giri));
        QCOMPARE(giri, 3000.0);
        QVERIFY(grafico.TestoCursore(grafico.Modello().Fine()).contains(QLatin1String("on gas")));

        // Paused, the reads are still taken; playback of the recording.
        grafico.Pausa(true);
        const qint64 prima = grafico.Modello().Righe();
        QTRY_VERIFY_WITH_TIMEOUT(grafico.Modello().Righe() > prima + 5, 3000);
        QVERIFY(grafico.ApriRegistrazione(file));
        QCOMPARE(grafico.Modello().Righe(), csv.righe.size());
        grafico.TornaLive();
        QVERIFY(!grafico.Riproduzione());

        // A lost link ends a recording by itself; the file stays complete.
        d.CmdRegistra->trigger();
        QVERIFY(d.Registro().Registrando());
        const QString secondo = d.Registro().Percorso();
        QTest::qWait(500);
        // The frame then searches inside its tick; the check runs from the
        // search's own waits, and going offline ends the search.
        bool fermata = false, pulsante = true;
        p.Quando([&] { return !d.Registro().Registrando(); }, [&] {
            fermata = true;
            pulsante = d.CmdRegistra->isChecked();
            p.ctx.stato.LavoroOffline = 1;
        });
        p.FermaEcu();
        QTRY_VERIFY_WITH_TIMEOUT(fermata, 15000);
        QVERIFY(!pulsante);
        const Csv fine = Leggi(secondo);
        QVERIFY(!fine.righe.isEmpty());
        for (const auto &r : fine.righe)
            QCOMPARE(r.size(), fine.intestazione.size());
    }

    void recordingNeedsTheEcu()
    {
        ProgrammaProva p;
        QVERIFY(p.AvviaProgramma()); // no ECU: the frame keeps searching
        ControlliDatalog &d = *p.frame->Datalog();
        const int mostrati = int(p.ui.mostrati.size());
        d.CmdRegistra_Click();
        QVERIFY(!d.Registro().Registrando());
        QVERIFY(!d.CmdRegistra->isChecked());
        QCOMPARE(int(p.ui.mostrati.size()), mostrati + 1);
    }
};

GASCAL_PROVA(TstDatalogEcu)
#include "tst_datalog_ecu.moc"
