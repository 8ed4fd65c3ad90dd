// The live bar, the datalog and the chart window in the frame on the
// in-process bench, the ECU driven like a car: the bar follows the engine,
// a recording holds one row per poll that follows the drive, the chart takes
// every read, and a lost link ends the recording with a complete file. The
// recording's format and the chart's model are tried in tests/core/tst_datalog.
#include "RegistroProve.h"
#include "ProgrammaVirtuale.h"

#include "datalog/FormatoLive.h"
#include "ui/common/Forma.h"
#include "ui/common/Immagine.h"
#include "ui/main/FrmBar.h"
#include "ui/main/ControlliDatalog.h"
#include "ui/main/FrmGrafico.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>

using namespace gascal;

namespace {

// A recording: its header's columns, and each row's numbers.
struct Csv {
    QStringList intestazione;
    QList<QList<qint64>> righe;
    explicit Csv(const QString &percorso)
    {
        QFile f(percorso);
        const QStringList testo = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts) : QStringList();
        intestazione = testo.value(0).split(QLatin1Char(','));
        for (const QString &riga : testo.mid(1)) {
            righe.append(QList<qint64>());
            for (const QString &campo : riga.split(QLatin1Char(',')))
                righe.last() << campo.toLongLong();
        }
    }
    int Colonna(const char *nome) const { return int(intestazione.indexOf(QLatin1String(nome))); }
};

// The rev bar's segments lit, and the switch's LEDs not dark.
int SegmentiAccesi(const FrmBar &bar)
{
    return int(std::count_if(bar.ShpGiri.begin(), bar.ShpGiri.end(), [](const Forma *s) { return s->Opaca(); }));
}
int LedAccesi(const FrmBar &bar)
{
    return int(std::count_if(bar.ShpLevAct.begin(), bar.ShpLevAct.end(),
                             [](const Forma *l) { return l->ColoreRiempimento() != QColor(Qt::black); }));
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
        const auto guida = [&p](const QString &comando, double ms = 3000) {
            QCOMPARE(p.banco.Controllo(comando), QStringLiteral("ok"));
            p.banco.Passa(ms);
        };
        p.banco.Passa(1000);
        // Idle on petrol: a short bar, the petrol time, no gas time.
        QTRY_COMPARE_WITH_TIMEOUT(bar.LblRpmVal->text().trimmed(), QStringLiteral("800 (rpm)"), 3000);
        const int aRiposo = SegmentiAccesi(bar);
        QVERIFY(aRiposo >= 1 && aRiposo <= 3);
        QVERIFY(bar.LblTempoGasVal->text().contains(QStringLiteral("- -")));
        QVERIFY(!bar.LblTempoBenzVal->text().contains(QStringLiteral("- -")));
        QVERIFY(bar.ImgBenzOn->isVisibleTo(&bar));

        ControlliDatalog &d = *p.frame->Datalog();
        d.CmdGrafico->trigger();
        FrmGrafico &grafico = *d.Grafico();
        QVERIFY(grafico.isVisible());
        d.CmdRegistra->trigger();
        QVERIFY(d.Registro().Registrando() && d.CmdRegistra->isChecked());
        const QString file = d.Registro().Percorso();
        QVERIFY(file.contains(QLatin1String("/Data/logs/")));
        QElapsedTimer durata;
        durata.start();
        QTest::qWait(400);
        // Revving up: more segments, and the fuel follows the switch to gas.
        guida(QStringLiteral("rpm 3000"));
        guida(QStringLiteral("fuel gas"), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(bar.LblRpmVal->text().trimmed(), QStringLiteral("3000 (rpm)"), 5000);
        QVERIFY(SegmentiAccesi(bar) > aRiposo + 3);
        QTRY_VERIFY_WITH_TIMEOUT(!bar.LblTempoGasVal->text().contains(QStringLiteral("- -")), 15000);
        QVERIFY(bar.ImgGasOn->isVisibleTo(&bar) && !bar.ImgBenzOn->isVisibleTo(&bar));
        QCOMPARE(bar.LblTempoGasVal->palette().color(QPalette::WindowText), QColor(Qt::black));
        QTest::qWait(300);
        d.CmdRegistra->trigger();
        const qint64 trascorsi = durata.elapsed();
        QVERIFY(!d.Registro().Registrando());

        const Csv csv(file);
        QCOMPARE(csv.intestazione.join(QLatin1Char(',')),
                 FormatoLive::Intestazione(p.ctx.TabMsg.at(Contesto::RecLive).NumeroVariabili()));
        const int cGiri = csv.Colonna("engine_speed_rpm"),
                  cGas = csv.Colonna("gas_injection_us"), cFuel = csv.Colonna("fuel_state");
        // One row per 50 ms poll: never more, and not much fewer (a loaded
        // machine may delay a few ticks).
        QVERIFY2(csv.righe.size() <= trascorsi / 50 + 2 && csv.righe.size() >= trascorsi / 50 / 2,
                 qPrintable(QStringLiteral("%1 rows in %2 ms").arg(csv.righe.size()).arg(trascorsi)));
        // Idle on petrol, the engine climbing to 3000 rpm, then gas: in order.
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

        // Below zero, ignition off: the bar empties and the switch's LEDs go dark.
        guida(QStringLiteral("temp -5"));
        QTRY_VERIFY_WITH_TIMEOUT(bar.LblTempVal->text().startsWith(QStringLiteral("-")), 3000);
        guida(QStringLiteral("key off"));
        QTRY_COMPARE_WITH_TIMEOUT(SegmentiAccesi(bar), 0, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(LedAccesi(bar), 0, 3000);
        QVERIFY(bar.ImgKeyOff->isVisibleTo(&bar));

        // A lost link ends a recording by itself; the file stays complete.
        // The frame then searches inside its tick; the check runs from the
        // search's own waits, and going offline ends the search.
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
        const Csv fine(secondo);
        QVERIFY(!fine.righe.isEmpty());
        for (const auto &r : fine.righe)
            QCOMPARE(r.size(), fine.intestazione.size());

        // With no ECU a recording is refused with a message.
        QVERIFY(QTest::qWaitFor([&] { return p.ctx.stato.StatoProgramma == StatoApp::Offline; }, 5000));
        const int mostrati = int(p.banco.ui.mostrati.size());
        d.CmdRegistra_Click();
        QVERIFY(!d.Registro().Registrando() && !d.CmdRegistra->isChecked());
        QCOMPARE(int(p.banco.ui.mostrati.size()), mostrati + 1);
    }
};

GASCAL_PROVA(TstDatalogEcu)
#include "tst_datalog_ecu.moc"
