// The live bar, the datalog and the chart in the frame on the in-process bench, the ECU driven like a car.
#include "RegistroProve.h"
#include "FileProva.h"
#include "ProgrammaVirtuale.h"
#include "datalog/FormatoLive.h"
#include "ui/common/Immagine.h"
#include "ui/main/ControlliDatalog.h"
#include "ui/main/FrmBar.h"
#include "ui/main/FrmGrafico.h"
#include <QAction>
#include <QElapsedTimer>

using namespace gascal;

namespace {
// A recording's rows, each cut at its commas; row 0 is the header.
QList<QStringList> Righe(const QString &percorso)
{
    QList<QStringList> righe;
    for (const QString &r : QString::fromUtf8(Leggi(percorso)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        righe << r.split(QLatin1Char(','));
    return righe;
}
} // namespace

class TstDatalogEcu : public QObject
{
    Q_OBJECT
private slots:
    void barraRegistrazioneEGrafico()
    {
        ProgrammaVirtuale p;
        QVERIFY(p.Connetti());
        FrmBar &bar = *p.frame->Barra();
        // The engine moves with the stepped clock; the frame polls it in real time.
        const auto guida = [&p](const char *comando, double ms = 3000) {
            QCOMPARE(p.banco.Controllo(QLatin1String(comando)), QStringLiteral("ok"));
            p.banco.Passa(ms);
        };
        p.banco.Passa(1000);
        QTRY_COMPARE_WITH_TIMEOUT(bar.LblRpmVal->text().trimmed(), QStringLiteral("800 (rpm)"), 3000);
        ControlliDatalog &d = *p.frame->Datalog();
        d.CmdGrafico->trigger();
        FrmGrafico &grafico = *d.Grafico();
        QVERIFY(grafico.isVisible());
        d.CmdRegistra->trigger();
        QVERIFY(d.Registro().Registrando() && d.CmdRegistra->isChecked());
        const QString file = d.Registro().Percorso();
        QElapsedTimer durata;
        durata.start();
        QTest::qWait(400);
        // Revving up, and the fuel follows the switch to gas.
        guida("rpm 3000");
        guida("fuel gas", 15000);
        QTRY_COMPARE_WITH_TIMEOUT(bar.LblRpmVal->text().trimmed(), QStringLiteral("3000 (rpm)"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!bar.LblTempoGasVal->text().contains(QStringLiteral("- -")), 5000);
        QVERIFY(bar.ImgGasOn->isVisibleTo(&bar));
        QTest::qWait(300);
        d.CmdRegistra->trigger();
        const qint64 trascorsi = durata.elapsed();
        QVERIFY(!d.Registro().Registrando());
        const QList<QStringList> csv = Righe(file);
        QCOMPARE(csv.value(0).join(QLatin1Char(',')),
                 FormatoLive::Intestazione(p.ctx.TabMsg.at(Contesto::RecLive).NumeroVariabili()));
        const auto colonna = [&csv](const char *nome) { return csv.value(0).indexOf(QLatin1String(nome)); };
        const auto cGiri = colonna("engine_speed_rpm"), cGas = colonna("gas_injection_us"), cFuel = colonna("fuel_state");
        // One row per 50 ms poll: never more, not much fewer (a loaded machine delays ticks).
        const qint64 righe = csv.size() - 1;
        QVERIFY2(righe <= trascorsi / 50 + 2 && righe >= trascorsi / 50 / 2,
                 qPrintable(QStringLiteral("%1 rows in %2 ms").arg(righe).arg(trascorsi)));
        for (const QStringList &r : csv)
            QCOMPARE(r.size(), csv.first().size());
        QCOMPARE((QStringList{csv.at(1).at(cGiri), csv.at(1).at(cFuel), csv.last().at(cGiri), csv.last().at(cFuel)}),
                 (QStringList{QStringLiteral("800"), QStringLiteral("0"), QStringLiteral("3000"), QStringLiteral("3")}));
        QVERIFY(csv.last().at(cGas).toInt() > 0);
        // The chart took every read the frame made, recorded or not.
        grafico.Aggiorna();
        QCOMPARE(grafico.Modello().Righe(), d.Registro().Totale());
        QVERIFY(grafico.Modello().Righe() >= righe);
        double giri = 0;
        QVERIFY(grafico.Modello().ValoreA(ModelloGrafico::Giri, grafico.Modello().Fine(), giri) && giri == 3000);
        QVERIFY(grafico.TestoCursore(grafico.Modello().Fine()).contains(QLatin1String("on gas")));
        // Paused, the reads are still taken; playback of the recording.
        grafico.Pausa(true);
        const qint64 prima = grafico.Modello().Righe();
        QTRY_VERIFY_WITH_TIMEOUT(grafico.Modello().Righe() > prima + 5, 3000);
        QVERIFY(grafico.ApriRegistrazione(file));
        QCOMPARE(grafico.Modello().Righe(), righe);
        grafico.TornaLive();
        QVERIFY(!grafico.Riproduzione());
        // A lost link ends a recording with a complete file; going offline ends the search it starts.
        d.CmdRegistra->trigger();
        const QString secondo = d.Registro().Percorso();
        QTest::qWait(200);
        bool fermata = false, pulsante = true;
        p.Ogni50ms([&] {
            if (d.Registro().Registrando())
                return false;
            fermata = true;
            pulsante = d.CmdRegistra->isChecked();
            p.ctx.stato.LavoroOffline = 1;
            return true;
        });
        p.banco.ecu.Termina();
        QTRY_VERIFY_WITH_TIMEOUT(fermata, 15000);
        QVERIFY(!pulsante);
        const QList<QStringList> fine = Righe(secondo);
        QVERIFY(fine.size() > 1);
        for (const QStringList &r : fine)
            QCOMPARE(r.size(), fine.first().size());
        // With no ECU a recording is refused with a message.
        QVERIFY(QTest::qWaitFor([&] { return p.ctx.stato.StatoProgramma == StatoApp::Offline; }, 5000));
        const auto mostrati = p.banco.ui.mostrati.size();
        d.CmdRegistra_Click();
        QVERIFY(!d.Registro().Registrando() && !d.CmdRegistra->isChecked());
        QCOMPARE(p.banco.ui.mostrati.size(), mostrati + 1);
    }
};

GASCAL_PROVA(TstDatalogEcu)
#include "tst_datalog_ecu.moc"
