// The live data window draws what its model decides (the rules themselves are
// tried in tst_modello_barra), and the logo's clicks reach the operations.
#include "RegistroProve.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "ui/common/Forma.h"
#include "ui/common/Immagine.h"
#include "ui/main/FrmBar.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace gascal;

class TstFrmBar : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void disegnaLaVistaDelModello();
    void logoCommutaCarburante();

private:
    void Imposta(int n, int k, qint32 v) { ctx->TabMsg[n].Valori[k] = v; }
    void Aggiorna()
    {
        bar->AggiornaVisualizzazioni();
        bar->VisualizzaStatoCommutatore();
    }
    // The window shows every text, segment and picture of the model's view.
    void ConfrontaConLaVista();

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
    ctx->stato.StatoProgramma = StatoApp::Connesso;
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

void TstFrmBar::ConfrontaConLaVista()
{
    const VistaBarra &v = bar->Modello().Vista();
    QCOMPARE(bar->LblRpmVal->text(), v.giri);
    QCOMPARE(bar->LblTempoBenzVal->text(), v.tempoBenzina);
    QCOMPARE(bar->LblTempoGasVal->text(), v.tempoGas);
    QCOMPARE(bar->LblPressVal->text(), v.pressione);
    QCOMPARE(bar->LblTempVal->text(), v.temperatura);
    for (size_t i = 0; i < bar->ShpGiri.size(); ++i)
        QCOMPARE(bar->ShpGiri[i]->Opaca(), v.segmenti[i]);
    const std::array<std::tuple<Immagine *, Immagine *, bool>, 4> coppie = {{
        {bar->ImgBenzOn, bar->ImgBenzOff, v.benzina},
        {bar->ImgGasOn, bar->ImgGasOff, v.gas},
        {bar->ImgKeyOn, bar->ImgKeyOff, v.chiave},
        {bar->ImgEvOn, bar->ImgEvOff, v.valvola},
    }};
    for (const auto &[acceso, spento, suAcceso] : coppie) {
        QCOMPARE(acceso->isVisible(), suAcceso);
        QCOMPARE(spento->isVisible(), !suAcceso);
    }
    QCOMPARE(bar->CmdUpdate->styleSheet().isEmpty(), !v.aggiornaRosso);
    QCOMPARE(bar->LblNonDalVivo->isVisible(), !v.dalVivo);
}

void TstFrmBar::disegnaLaVistaDelModello()
{
    // On gas at 2000 rpm with the gas time at its limit; LEDs 5 and 6
    // steady, the buzzer continuous; an update waiting.
    Imposta(1, 6, 3);
    Imposta(1, 4, 2000);
    Imposta(2, 1, 3);
    Imposta(1, 0, 1000);
    Imposta(1, 2, 1000);
    Imposta(1, 1, 2345);
    Imposta(1, 5, 1200);
    Imposta(1, 9, 65);
    Imposta(1, 10, 0x1000 | 0x2000 | 0x400 | 0x800 | 0xC000);
    ctx->stato.MarcatoreAggiornamento = QStringLiteral("Lampeggia");
    Aggiorna();
    ConfrontaConLaVista();
    QCOMPARE(bar->LblTempoGasVal->text(), QStringLiteral("1,00 (ms) "));
    QVERIFY(bar->ShpGiri[4]->Opaca() && !bar->ShpGiri[5]->Opaca());
    QVERIFY(bar->ImgGasOn->isVisible() && bar->ImgEvOn->isVisible());
    QCOMPARE(bar->LblTempoGasVal->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    // While an operation runs the bar is disabled: the gas time greys like its neighbours.
    const auto disabilitato = [](const QLabel *l) { return l->palette().color(QPalette::Disabled, QPalette::WindowText); };
    QCOMPARE(disabilitato(bar->LblTempoGasVal), disabilitato(bar->LblTempoBenzVal));
    QCOMPARE(bar->ShpLevAct[0]->ColoreRiempimento(), QColor(0, 0, 0));
    QCOMPARE(bar->ShpLevAct[5]->ColoreRiempimento(), QColor(255, 0, 0));
    QCOMPARE(bar->ShpLevAct[6]->ColoreRiempimento(), QColor(255, 128, 0));
    QCOMPARE(bar->ShpLevAct[6]->ColoreBordo(), QColor(255, 128, 0));
    QCOMPARE(ui.beep, 1);
    QVERIFY(bar->AggiornamentoRosso());

    // The next refresh: the update button's other phase, black gas time on
    // petrol with the valve closed; picking an update file stops the blink at once.
    Imposta(2, 1, 0);
    Imposta(1, 6, 1);
    Aggiorna();
    ConfrontaConLaVista();
    QVERIFY(bar->ImgKeyOn->isVisible() && bar->ImgEvOff->isVisible());
    QCOMPARE(bar->LblTempoGasVal->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    Aggiorna();
    QVERIFY(!bar->CmdUpdate->styleSheet().isEmpty());
    bar->SpegniAggiornamento();
    QVERIFY(bar->CmdUpdate->styleSheet().isEmpty());
    ctx->stato.MarcatoreAggiornamento.clear();

    // Ignition off, then the link drops: the wash lies over the values, not
    // over the command buttons, and says when they were read.
    Imposta(1, 6, 0);
    Aggiorna();
    ConfrontaConLaVista();
    QVERIFY(bar->ImgKeyOff->isVisible() && bar->ImgEvOff->isVisible());
    ctx->stato.ErroreComunicazione = 1;
    Aggiorna();
    ConfrontaConLaVista();
    QVERIFY(!bar->ValoriDalVivo());
    QCOMPARE(bar->LblNonDalVivo->text(), bar->Modello().Vista().origine);
    QVERIFY(bar->LblNonDalVivo->text().startsWith(QStringLiteral("Not live: read at ")));
    QVERIFY(bar->LblNonDalVivo->geometry().contains(bar->LblRpmVal->geometry()));
    QVERIFY(!bar->LblNonDalVivo->geometry().intersects(bar->CmdInfo->geometry()));
    ctx->stato.ErroreComunicazione = 0;
    Aggiorna();
    QVERIFY(bar->LblNonDalVivo->isHidden());

    // A dictionary without the bar's section keeps the tips it has.
    QCOMPARE(bar->CmdPage->toolTip(), QStringLiteral("page"));
    ctx->diz.ImpostaTesti({QStringLiteral("GasCal"), QStringLiteral("[Frm_Config]"), QStringLiteral("x")});
    bar->CaricaLingua();
    QCOMPARE(bar->CmdPage->toolTip(), QStringLiteral("page"));
    QCOMPARE(bar->CmdInfo->toolTip(), QStringLiteral("info"));
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

GASCAL_PROVA(TstFrmBar)
#include "tst_frmbar.moc"
