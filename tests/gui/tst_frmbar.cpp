// The live data window's display logic, driven by values written straight
// into the message table.
#include "RegistroProve.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "ui/common/Forma.h"
#include "ui/common/Immagine.h"
#include "ui/main/FrmBar.h"

#include <QLabel>
#include <QPushButton>
#include <QElapsedTimer>
#include <QTest>
#include <QTime>

using namespace gascal;

class TstFrmBar : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void barraGiriEAccensione();
    void coloreAvvisoTempoGas();
    void ledCommutatoreLampeggio();
    void cicalino();
    void pulsanteAggiornamentoLampeggia();
    void logoCommutaCarburante();
    void linguaSenzaSezioneTieneTestiDiProgetto();
    void valoriVecchiMarcatiNonDalVivo();

private:
    void Imposta(int n, int k, qint32 v) { ctx->TabMsg[n].Valori[k] = v; }
    int SegmentiAccesi() const;

    ServiziUiScriptati ui;
    std::unique_ptr<Contesto> ctx;
    std::unique_ptr<FrmBar> bar;
};

void TstFrmBar::init()
{
    ctx = std::make_unique<Contesto>(ui);
    ctx->TabMsg.resize(7);
    for (MsgRecord &r : ctx->TabMsg)
        r.Dimensiona(32);
    ctx->diz.ImpostaTesti({QStringLiteral("GasCal"), QStringLiteral("[Frm_Barra]"),
                           QStringLiteral("page"), QStringLiteral("open"), QStringLiteral("save"),
                           QStringLiteral("lang"), QStringLiteral("info")});
    ctx->imp.SepDecimale = QStringLiteral(",");
    ctx->scale.MostraFineGas = true;
    ctx->stato.StatoProgramma = StatoApp::Connesso; // the values are live unless a test says not
    ui.beep = 0;
    bar = std::make_unique<FrmBar>(*ctx);
    bar->Form_Load();
    bar->show();
}

void TstFrmBar::cleanup()
{
    bar.reset();
    ctx.reset();
}

int TstFrmBar::SegmentiAccesi() const
{
    int accesi = 0;
    for (const Forma *s : bar->ShpGiri)
        accesi += s->Opaca();
    return accesi;
}

void TstFrmBar::barraGiriEAccensione()
{
    QCOMPARE(bar->CmdPage->toolTip(), QStringLiteral("page"));
    QCOMPARE(bar->CmdInfo->toolTip(), QStringLiteral("info"));
    Imposta(1, 6, 1);
    Imposta(1, 4, 500);
    bar->AggiornaVisualizzazioni();
    QCOMPARE(SegmentiAccesi(), 0);
    QCOMPARE(bar->LblRpmVal->text(), QStringLiteral("500 (rpm)"));
    Imposta(1, 4, 501);
    bar->AggiornaVisualizzazioni();
    QVERIFY(bar->ShpGiri[0]->Opaca());
    QCOMPARE(SegmentiAccesi(), 1);
    Imposta(1, 4, 2000); // thresholds below: 500 .. 1700
    Imposta(1, 1, 2345);
    Imposta(1, 5, 1200);
    Imposta(1, 9, 65);
    bar->AggiornaVisualizzazioni();
    QCOMPARE(SegmentiAccesi(), 5);
    QVERIFY(!bar->ShpGiri[5]->Opaca());
    QCOMPARE(bar->LblTempoBenzVal->text(), QStringLiteral("2,34 (ms) "));
    QCOMPARE(bar->LblPressVal->text(), QStringLiteral("1,20 (bar)"));
    QCOMPARE(bar->LblTempVal->text(), QStringLiteral("65 (c)"));
    QVERIFY(bar->ImgKeyOn->isVisible() && !bar->ImgKeyOff->isVisible());
    QVERIFY(bar->ImgBenzOn->isVisible() && !bar->ImgGasOn->isVisible());
    Imposta(1, 6, 3); // valve energised
    bar->AggiornaVisualizzazioni();
    QVERIFY(bar->ImgEvOn->isVisible() && !bar->ImgEvOff->isVisible());
    Imposta(1, 4, 6000);
    bar->AggiornaVisualizzazioni();
    QCOMPARE(SegmentiAccesi(), 14);

    // Ignition off: the bar falls by one segment per refresh, the
    // temperature stays live, key and valve show off.
    Imposta(1, 6, 0);
    Imposta(1, 9, 70);
    for (int atteso = 13; atteso >= 0; --atteso) {
        bar->AggiornaVisualizzazioni();
        QCOMPARE(SegmentiAccesi(), atteso);
    }
    QVERIFY(!bar->ShpGiri[0]->Opaca());
    QCOMPARE(bar->LblTempVal->text(), QStringLiteral("70 (c)"));
    QCOMPARE(bar->LblPressVal->text(), QStringLiteral(" - -  (bar)"));
    QCOMPARE(bar->LblRpmVal->text(), QStringLiteral(" - -  (rpm)"));
    QCOMPARE(bar->LblTempoBenzVal->text(), QStringLiteral(" - -  (ms) "));
    QVERIFY(!bar->ImgKeyOn->isVisible() && bar->ImgKeyOff->isVisible());
    QVERIFY(!bar->ImgEvOn->isVisible() && bar->ImgEvOff->isVisible());
}

void TstFrmBar::coloreAvvisoTempoGas()
{
    auto rosso = [this] {
        return bar->LblTempoGasVal->palette().color(QPalette::WindowText) == QColor(255, 0, 0);
    };
    Imposta(1, 6, 1);
    Imposta(2, 1, 3); // on gas
    Imposta(3, 26, 0);
    Imposta(1, 0, 1000);
    Imposta(1, 2, 5000);
    Imposta(1, 3, 0);
    Imposta(1, 1, 2000);
    Imposta(3, 16, 100);
    bar->AggiornaVisualizzazioni();
    QVERIFY(!rosso());
    QCOMPARE(bar->LblTempoGasVal->text(), QStringLiteral("1,00 (ms) "));
    QVERIFY(bar->ImgGasOn->isVisible() && bar->ImgBenzOff->isVisible());
    // Petrol time plus the offset below the minimum: red although the gas time is small.
    Imposta(3, 16, 3000);
    bar->AggiornaVisualizzazioni();
    QVERIFY(rosso());
    Imposta(3, 16, 100);
    bar->AggiornaVisualizzazioni();
    QVERIFY(!rosso());
    // (R3.V26 + 1) * 96 + gas time reaches the limit exactly.
    Imposta(3, 26, 3);
    Imposta(1, 2, 4 * 96 + 1000);
    bar->AggiornaVisualizzazioni();
    QVERIFY(rosso());
    // Back on petrol: black, no gas time.
    Imposta(2, 1, 0);
    bar->AggiornaVisualizzazioni();
    QVERIFY(!rosso());
    QCOMPARE(bar->LblTempoGasVal->text(), QStringLiteral(" - -  (ms) "));
    QVERIFY(bar->ImgGasOff->isVisible() && bar->ImgBenzOn->isVisible());
    // While an operation runs the bar is disabled: the gas time greys like its neighbours.
    const auto disabilitato = [](const QLabel *l) { return l->palette().color(QPalette::Disabled, QPalette::WindowText); };
    QCOMPARE(disabilitato(bar->LblTempoGasVal), disabilitato(bar->LblTempoBenzVal));
}

void TstFrmBar::ledCommutatoreLampeggio()
{
    // LED 0 high bit only (slow), LED 1 low bit only (fast), LED 2 both
    // (steady), LED 5 and 6 asked for but the live data is not valid.
    Imposta(1, 10, 0x200 | 0x40 | 0x10 | 0x20 | 0x1000 | 0x800);
    Imposta(1, 6, 0);
    int cambi0 = 0, cambi1 = 0;
    QColor prec0, prec1;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 1700) {
        bar->VisualizzaStatoCommutatore();
        const QColor c0 = bar->ShpLevAct[0]->ColoreRiempimento();
        const QColor c1 = bar->ShpLevAct[1]->ColoreRiempimento();
        cambi0 += prec0.isValid() && c0 != prec0;
        cambi1 += prec1.isValid() && c1 != prec1;
        prec0 = c0;
        prec1 = c1;
        QVERIFY(c0 == QColor(0, 255, 0) || c0 == QColor(0, 0, 0));
        QCOMPARE(bar->ShpLevAct[0]->ColoreBordo(), c0);
        QCOMPARE(bar->ShpLevAct[2]->ColoreRiempimento(), QColor(0, 255, 0));
        QCOMPARE(bar->ShpLevAct[3]->ColoreRiempimento(), QColor(0, 0, 0));
        QCOMPARE(bar->ShpLevAct[5]->ColoreRiempimento(), QColor(0, 0, 0));
        QCOMPARE(bar->ShpLevAct[6]->ColoreRiempimento(), QColor(0, 0, 0));
        QTest::qWait(20);
    }
    // 200 ms phase steps: the fast LED changes on every step, the slow one on every second.
    QVERIFY2(cambi1 >= 6 && cambi1 <= 10, qPrintable(QString::number(cambi1)));
    QVERIFY2(cambi0 >= 2 && cambi0 <= cambi1 / 2 + 1, qPrintable(QString::number(cambi0)));

    // With valid live data LED 5 (red) and 6 (orange) light.
    Imposta(1, 10, 0x1000 | 0x2000 | 0x400 | 0x800);
    Imposta(1, 6, 1);
    bar->VisualizzaStatoCommutatore();
    QCOMPARE(bar->ShpLevAct[5]->ColoreRiempimento(), QColor(255, 0, 0));
    QCOMPARE(bar->ShpLevAct[6]->ColoreRiempimento(), QColor(255, 128, 0));
}

void TstFrmBar::cicalino()
{
    auto suona = [this](qint32 parola, qint32 stato, int ms) {
        Imposta(1, 10, parola);
        Imposta(1, 6, stato);
        ui.beep = 0;
        QElapsedTimer t;
        t.start();
        int chiamate = 0;
        while (t.elapsed() < ms) {
            bar->VisualizzaStatoCommutatore();
            ++chiamate;
            QTest::qWait(50);
        }
        return std::pair{ui.beep, chiamate};
    };
    // Slow buzzer: once a second.
    auto [lento, n1] = suona(0x4000, 1, 2100);
    QVERIFY2(lento >= 2 && lento <= 3, qPrintable(QString::number(lento)));
    // Both bits: on every refresh.
    auto [continuo, n2] = suona(0xC000, 1, 500);
    QCOMPARE(continuo, n2);
    // Fast buzzer: every refresh plus a beat every 300 ms.
    auto [veloce, n3] = suona(0x8000, 1, 1000);
    QVERIFY(veloce > n3 && veloce <= n3 + 5);
    // Ignition off: silent whatever the word says.
    auto [muto, n4] = suona(0xC000, 0, 300);
    QCOMPARE(muto, 0);
    Q_UNUSED(n1);
    Q_UNUSED(n4);
}

void TstFrmBar::pulsanteAggiornamentoLampeggia()
{
    bar->AggiornaVisualizzazioni();
    QVERIFY(!bar->AggiornamentoRosso());
    ctx->stato.MarcatoreAggiornamento = QStringLiteral("Lampeggia");
    bar->AggiornaVisualizzazioni();
    const bool primo = bar->AggiornamentoRosso();
    bar->AggiornaVisualizzazioni();
    QCOMPARE(bar->AggiornamentoRosso(), !primo);
    bar->AggiornaVisualizzazioni();
    QCOMPARE(bar->AggiornamentoRosso(), primo);
    ctx->stato.MarcatoreAggiornamento.clear();
    bar->AggiornaVisualizzazioni();
    bar->AggiornaVisualizzazioni();
    QVERIFY(!bar->AggiornamentoRosso());
    QVERIFY(bar->CmdUpdate->styleSheet().isEmpty());
}

void TstFrmBar::logoCommutaCarburante()
{
    // Ignition off: a plain click does nothing.
    QTest::mouseClick(bar->ImgLogoS, Qt::LeftButton);
    QCOMPARE(ctx->stato.OperazioneRichiesta, gascal::Operazione::Nessuna);
    // With Shift: operation 27 with the one entry (8, 2, 8).
    QTest::mouseClick(bar->ImgLogoS, Qt::LeftButton, Qt::ShiftModifier);
    QCOMPARE(ctx->stato.OperazioneRichiesta, gascal::Operazione::ScriviComandi);
    const auto voci = ctx->code.ValoriDaScrivere2.Voci();
    QCOMPARE(voci.size(), 1);
    QCOMPARE(voci.first().Valore, 8);
    QCOMPARE(voci.first().Indice, 2);
    QCOMPARE(voci.first().Maschera, 8);
    ctx->stato.OperazioneRichiesta = gascal::Operazione::Nessuna;
    // Live data valid: the fuel toggle.
    Imposta(1, 6, 1);
    QTest::mousePress(bar->ImgLogoS, Qt::LeftButton);
    QVERIFY(bar->ImgLogoS->Rialzata());
    QTest::mouseRelease(bar->ImgLogoS, Qt::LeftButton);
    QVERIFY(!bar->ImgLogoS->Rialzata());
    QCOMPARE(ctx->stato.OperazioneRichiesta, gascal::Operazione::CommutaStato);
}

void TstFrmBar::valoriVecchiMarcatiNonDalVivo()
{
    // Before any connection: no temperature is made up, and the bar says so.
    ctx->stato.StatoProgramma = StatoApp::Ricerca;
    ctx->stato.ErroreComunicazione = 1;
    bar->AggiornaVisualizzazioni();
    QCOMPARE(bar->LblTempVal->text(), QStringLiteral(" - -  (c)"));
    QVERIFY(!bar->ValoriDalVivo());
    QVERIFY(bar->LblNonDalVivo->isVisible());
    QVERIFY(bar->LblNonDalVivo->text().contains(QStringLiteral("no ECU read yet")));

    // Connected: live, unmarked.
    ctx->stato.StatoProgramma = StatoApp::Connesso;
    ctx->stato.ErroreComunicazione = 0;
    Imposta(1, 6, 1);
    Imposta(1, 4, 2500);
    Imposta(1, 9, 41);
    Imposta(1, 10, 0xC000); // buzzer on
    bar->AggiornaVisualizzazioni();
    QVERIFY(bar->ValoriDalVivo());
    QVERIFY(!bar->LblNonDalVivo->isVisible());
    QCOMPARE(bar->LblTempVal->text(), QStringLiteral("41 (c)"));

    // The link drops: the last values stay, greyed, with the time they were read.
    ctx->stato.ErroreComunicazione = 1;
    ui.beep = 0;
    bar->AggiornaVisualizzazioni();
    bar->VisualizzaStatoCommutatore();
    QCOMPARE(bar->LblRpmVal->text(), QStringLiteral("2500 (rpm)"));
    QCOMPARE(bar->LblTempVal->text(), QStringLiteral("41 (c)"));
    QVERIFY(bar->LblNonDalVivo->isVisible());
    const QString ora = QTime::currentTime().toString(QStringLiteral("HH:mm"));
    QVERIFY2(bar->LblNonDalVivo->text().startsWith(QStringLiteral("Not live: read at ") + ora),
             qPrintable(bar->LblNonDalVivo->text()));
    // An old buzzer word does not beep on.
    QCOMPARE(ui.beep, 0);
    // The wash lies over the values, not over the command buttons.
    QVERIFY(bar->LblNonDalVivo->geometry().contains(bar->LblRpmVal->geometry()));
    QVERIFY(!bar->LblNonDalVivo->geometry().intersects(bar->CmdInfo->geometry()));

    // Offline with a file loaded: the file is named.
    ctx->stato.StatoProgramma = StatoApp::Offline;
    ctx->stato.ErroreComunicazione = 0;
    bar->ValoriDaFile(QStringLiteral("def.xar"));
    bar->AggiornaVisualizzazioni();
    QCOMPARE(bar->LblNonDalVivo->text(), QStringLiteral("Not live: from def.xar"));
}

void TstFrmBar::linguaSenzaSezioneTieneTestiDiProgetto()
{
    ctx->diz.ImpostaTesti({QStringLiteral("GasCal"), QStringLiteral("[Frm_Config]"), QStringLiteral("x")});
    bar->CaricaLingua();
    QCOMPARE(bar->CmdPage->toolTip(), QStringLiteral("page"));
    QCOMPARE(bar->CmdInfo->toolTip(), QStringLiteral("info"));
}

GASCAL_PROVA(TstFrmBar)
#include "tst_frmbar.moc"
