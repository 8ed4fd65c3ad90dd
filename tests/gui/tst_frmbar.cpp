// The live data window draws what its model decides; the logo's clicks reach the operations.
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
    ServiziUiScriptati ui;
    std::unique_ptr<Contesto> ctx;
    std::unique_ptr<FrmBar> bar;

    // Sets (record, index, value)s, refreshes, and compares every text, segment and picture with the model.
    void Mostra(std::initializer_list<std::tuple<int, int, qint32>> valori)
    {
        for (const auto &[n, k, v] : valori)
            ctx->TabMsg[n].Valori[k] = v;
        bar->AggiornaVisualizzazioni();
        bar->VisualizzaStatoCommutatore();
        const VistaBarra &v = bar->Modello().Vista();
        QCOMPARE((QStringList{bar->LblRpmVal->text(), bar->LblTempoBenzVal->text(), bar->LblTempoGasVal->text(),
                              bar->LblPressVal->text(), bar->LblTempVal->text()}),
                 (QStringList{v.giri, v.tempoBenzina, v.tempoGas, v.pressione, v.temperatura}));
        for (size_t i = 0; i < bar->ShpGiri.size(); ++i)
            QCOMPARE(bar->ShpGiri[i]->Opaca(), v.segmenti[i]);
        for (const auto &[acceso, spento, suAcceso] : {std::tuple{bar->ImgBenzOn, bar->ImgBenzOff, v.benzina},
                                                       {bar->ImgGasOn, bar->ImgGasOff, v.gas},
                                                       {bar->ImgKeyOn, bar->ImgKeyOff, v.chiave},
                                                       {bar->ImgEvOn, bar->ImgEvOff, v.valvola}})
            QVERIFY(acceso->isVisible() == suAcceso && spento->isVisible() == !suAcceso);
        QCOMPARE(bar->CmdUpdate->styleSheet().isEmpty(), !v.aggiornaRosso);
        QCOMPARE(bar->LblNonDalVivo->isVisible(), !v.dalVivo);
        QCOMPARE(bar->LblNonDalVivo->text(), v.dalVivo ? bar->LblNonDalVivo->text() : v.origine);
    }
    QColor Colore(const QLabel *l, QPalette::ColorGroup g = QPalette::Active) { return l->palette().color(g, QPalette::WindowText); }

private slots:
    void init()
    {
        ctx = std::make_unique<Contesto>(ui);
        ctx->TabMsg.resize(7);
        for (MsgRecord &r : ctx->TabMsg)
            r.Dimensiona(32);
        ctx->diz.ImpostaTesti({QStringLiteral("GasCal"), QStringLiteral("[Frm_Barra]"), QStringLiteral("page"),
                               QStringLiteral("open"), QStringLiteral("save"), QStringLiteral("lang"), QStringLiteral("info")});
        ctx->imp.SepDecimale = QStringLiteral(",");
        ctx->scale.MostraFineGas = true;
        ctx->stato.StatoProgramma = StatoApp::Connesso;
        ui.beep = 0;
        bar = std::make_unique<FrmBar>(*ctx);
        bar->Form_Load();
        bar->show();
    }
    void cleanup() { bar.reset(), ctx.reset(); }

    void disegnaLaVistaDelModello()
    {
        // On gas at 2000 rpm, gas time at its limit; LEDs 5 and 6 steady, buzzer continuous; an update waiting.
        ctx->stato.MarcatoreAggiornamento = QStringLiteral("Lampeggia");
        Mostra({{1, 6, 3}, {1, 4, 2000}, {2, 1, 3}, {1, 0, 1000}, {1, 2, 1000}, {1, 1, 2345}, {1, 5, 1200},
                {1, 9, 65}, {1, 10, 0x1000 | 0x2000 | 0x400 | 0x800 | 0xC000}});
        QCOMPARE(Colore(bar->LblTempoGasVal), QColor(255, 0, 0));
        // While an operation runs the bar is disabled: the gas time greys like its neighbours.
        QCOMPARE(Colore(bar->LblTempoGasVal, QPalette::Disabled), Colore(bar->LblTempoBenzVal, QPalette::Disabled));
        const auto led = [this](int i) { return std::pair{bar->ShpLevAct[i]->ColoreRiempimento(), bar->ShpLevAct[i]->ColoreBordo()}; };
        QCOMPARE(led(0), std::pair(QColor(0, 0, 0), QColor(0, 0, 0)));
        QCOMPARE(led(5), std::pair(QColor(255, 0, 0), QColor(255, 0, 0)));
        QCOMPARE(led(6), std::pair(QColor(255, 128, 0), QColor(255, 128, 0)));
        QCOMPARE(ui.beep, 1);
        // The update button's other phase; picking an update file stops the blink at once.
        Mostra({{2, 1, 0}, {1, 6, 1}});
        QCOMPARE(Colore(bar->LblTempoGasVal), QColor(0, 0, 0));
        Mostra({});
        QVERIFY(!bar->CmdUpdate->styleSheet().isEmpty());
        bar->SpegniAggiornamento();
        QVERIFY(bar->CmdUpdate->styleSheet().isEmpty());
        ctx->stato.MarcatoreAggiornamento.clear();
        // Ignition off, then the link drops: the wash covers the values, not the buttons, and says when read.
        Mostra({{1, 6, 0}});
        ctx->stato.ErroreComunicazione = 1;
        Mostra({});
        QVERIFY(bar->LblNonDalVivo->geometry().contains(bar->LblRpmVal->geometry()));
        QVERIFY(!bar->LblNonDalVivo->geometry().intersects(bar->CmdInfo->geometry()));
        ctx->stato.ErroreComunicazione = 0;
        Mostra({});
        // A dictionary without the bar's section keeps the tips it has.
        ctx->diz.ImpostaTesti({QStringLiteral("GasCal"), QStringLiteral("[Frm_Config]"), QStringLiteral("x")});
        bar->CaricaLingua();
        QVERIFY(bar->CmdPage->toolTip() == QStringLiteral("page") && bar->CmdInfo->toolTip() == QStringLiteral("info"));
    }
    void logoCommutaCarburante()
    {
        // Ignition off: a plain click does nothing; Shift+click queues operation 27 with (8, 2, 8).
        QTest::mouseClick(bar->ImgLogoS, Qt::LeftButton);
        QCOMPARE(ctx->stato.OperazioneRichiesta, Operazione::Nessuna);
        QTest::mouseClick(bar->ImgLogoS, Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(ctx->stato.OperazioneRichiesta, Operazione::ScriviComandi);
        const auto voci = ctx->code.ValoriDaScrivere2.Voci();
        QVERIFY(voci.size() == 1 && voci.first().Valore == 8 && voci.first().Indice == 2 && voci.first().Maschera == 8);
        ctx->stato.OperazioneRichiesta = Operazione::Nessuna;
        // Live data valid: the fuel toggle, the logo raised while pressed.
        ctx->TabMsg[1].Valori[6] = 1;
        QTest::mousePress(bar->ImgLogoS, Qt::LeftButton);
        QVERIFY(bar->ImgLogoS->Rialzata());
        QTest::mouseRelease(bar->ImgLogoS, Qt::LeftButton);
        QVERIFY(!bar->ImgLogoS->Rialzata());
        QCOMPARE(ctx->stato.OperazioneRichiesta, Operazione::CommutaStato);
    }
};

GASCAL_PROVA(TstFrmBar)
#include "tst_frmbar.moc"
