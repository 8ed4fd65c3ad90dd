// The calibration line page, offscreen: press-and-hold timing, keys, mouse
// selection, the all-points mode, the crosshair, the reset buttons and the
// fuel selection window; then whole edits against the virtual ECU.
#include "RegistroProve.h"
#include "ProgrammaProva.h"

#include "ui/common/Twips.h"
#include "ui/config/FrmSelezAlim.h"
#include "ui/line/FrmRetta.h"
#include "ui/line/FrmRettaGrafico.h"
#include "ecu/SequenzeBlocchi.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

using namespace gascal;

namespace {

// Clicks a button of the modal window that is about to open.
void RispondiFinestra(std::function<QPushButton *(FrmSelezAlim *)> pulsante, bool chiudi = false)
{
    QTimer::singleShot(0, [pulsante, chiudi] {
        QTRY_VERIFY(qobject_cast<FrmSelezAlim *>(QApplication::activeModalWidget()));
        auto *f = qobject_cast<FrmSelezAlim *>(QApplication::activeModalWidget());
        if (chiudi)
            f->close();
        else
            QTest::mouseClick(pulsante(f), Qt::LeftButton);
    });
}

QPoint PuntoPx(QWidget *w, double xTwips, double yTwips)
{
    return {qRound(xTwips * w->logicalDpiX() / 1440.0), qRound(yTwips * w->logicalDpiY() / 1440.0)};
}

} // namespace

class TstFrmRetta : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        banco = std::make_unique<BancoEcu>();
        QVERIFY(banco->Avvia());
        pagina = std::make_unique<FrmRetta>(*banco->ctx);
        pagina->CaricaLingua();
        pagina->resize(Twips::PxX(13500, pagina.get()), Twips::PxY(10500, pagina.get()));
        pagina->show();
        QVERIFY(QTest::qWaitForWindowExposed(pagina.get()));
    }
    void cleanup()
    {
        pagina.reset();
        banco.reset();
    }

    void tastoTenutoFaUnPassoOgni750msEUnInvio();
    void pulsantiEPivotFissi();
    void selezioneConTastiMouseELegenda();
    void tuttiIPunti();
    void cursoreELegenda();
    void resetERichiestaPendente();
    void finestraAlimentazione();
    void resetTotale();
    void marcatoriProposti();
    void modificaInviataAllEcuEResetTotaleCng();
    void intervalloAutomatico();

private:
    std::unique_ptr<BancoEcu> banco;
    std::unique_ptr<FrmRetta> pagina;
    Contesto &ctx() { return *banco->ctx; }
};

void TstFrmRetta::tastoTenutoFaUnPassoOgni750msEUnInvio()
{
    ModelloRetta &r = ctx().retta;
    pagina->SelezionaPivot(5); // point 27
    QElapsedTimer tenuto;
    tenuto.start();
    pagina->TastiRetta(Qt::Key_F7);
    QCOMPARE(r.Retta[27], -1); // the first step at once
    // The key's auto-repeat sends presses all along; they add nothing, and
    // nothing is sent while the key is held.
    while (tenuto.elapsed() < 2600) {
        QTest::qWait(40);
        pagina->TastiRetta(Qt::Key_F7);
        QCOMPARE(ctx().stato.OperazioneRichiesta, gascal::Operazione::Nessuna);
    }
    pagina->FineRipetizione();
    // Held between 2.25 and 3 s: steps at 0, 0.75, 1.5 and 2.25 s.
    QCOMPARE(r.Retta[27], -4);
    QCOMPARE(ctx().stato.OperazioneRichiesta, gascal::Operazione::ScriviRetta);
    QCOMPARE(quint8(ctx().code.DatiMap0.at(27)), 0xFC);
    QVERIFY(!pagina->ModificaInCorso());
    // No step after the release.
    ctx().stato.OperazioneRichiesta = gascal::Operazione::Nessuna;
    QTest::qWait(900);
    QCOMPARE(r.Retta[27], -4);
    QCOMPARE(ctx().stato.OperazioneRichiesta, gascal::Operazione::Nessuna);
}

void TstFrmRetta::pulsantiEPivotFissi()
{
    ModelloRetta &r = ctx().retta;
    StatoApp &s = ctx().stato;
    pagina->SelezionaPivot(2); // point 6
    QTest::mouseClick(pagina->CmdUp, Qt::LeftButton);
    QCOMPARE(r.Retta[6], 1);
    QCOMPARE(s.OperazioneRichiesta, gascal::Operazione::ScriviRetta); // a click: one step, then the line is sent

    // While an operation is pending the buttons do nothing.
    QTest::mouseClick(pagina->CmdUp, Qt::LeftButton);
    QCOMPARE(r.Retta[6], 1);
    s.OperazioneRichiesta = gascal::Operazione::Nessuna;

    // Held for a second: two steps, one send after the release.
    QTest::mousePress(pagina->CmdDw, Qt::LeftButton);
    QTest::qWait(1100);
    QCOMPARE(s.OperazioneRichiesta, gascal::Operazione::Nessuna);
    QTest::mouseRelease(pagina->CmdDw, Qt::LeftButton);
    QCOMPARE(r.Retta[6], -1);
    QCOMPARE(s.OperazioneRichiesta, gascal::Operazione::ScriviRetta);
    s.OperazioneRichiesta = gascal::Operazione::Nessuna;

    // The first and last pivot never move sideways; nothing is sent.
    for (int n : {1, 9}) {
        pagina->SelezionaPivot(n);
        const auto prima = r.Pivot;
        pagina->TastiRetta(Qt::Key_F5);
        pagina->TastiRetta(Qt::Key_F6);
        QTest::mouseClick(pagina->CmdRight, Qt::LeftButton);
        pagina->FineRipetizione();
        QCOMPARE(r.Pivot, prima);
        QCOMPARE(s.OperazioneRichiesta, gascal::Operazione::Nessuna);
    }
    // A refused move still sends the (re-interpolated) line.
    pagina->SelezionaPivot(3); // point 10, 4 from point 6
    QTest::mouseClick(pagina->CmdLeft, Qt::LeftButton);
    QCOMPARE(r.Pivot[2], 10);
    QCOMPARE(s.OperazioneRichiesta, gascal::Operazione::ScriviRetta);
}

void TstFrmRetta::selezioneConTastiMouseELegenda()
{
    ModelloRetta &r = ctx().retta;
    pagina->SelezionaPivot(8);
    pagina->TastiRetta(Qt::Key_F9);
    QCOMPARE(r.PivotSel, 8);
    QTest::mouseClick(pagina->CmdNextPivot, Qt::LeftButton);
    QCOMPARE(r.PivotSel, 0); // wraps from the 9th to the 1st

    // A click on a bar selects the pivot within one point of it.
    FrmRettaGrafico *g = pagina->Grafico;
    const QRect barra17 = FrmRettaGrafico::RettangoloPunto(17, r.Retta[17]);
    QTest::mouseClick(g, Qt::LeftButton, {}, PuntoPx(g, barra17.center().x(), barra17.center().y()));
    QCOMPARE(r.PivotSel, 3); // point 16
    // A click on a bar far from every pivot selects nothing.
    const QRect barra21 = FrmRettaGrafico::RettangoloPunto(21, r.Retta[21]);
    QTest::mouseClick(g, Qt::LeftButton, {}, PuntoPx(g, barra21.center().x(), barra21.center().y()));
    QCOMPARE(r.PivotSel, 3);
    // On the background: the first pivot whose bar is within one bar width.
    const QRect barra35 = FrmRettaGrafico::RettangoloPunto(35, 0);
    QTest::mouseClick(g, Qt::LeftButton, {},
                      PuntoPx(g, barra35.left() + 1.5 * barra35.width(), 8000));
    QCOMPARE(r.PivotSel, 5);
    // A legend row selects its pivot.
    QTableWidget *grd = pagina->GrdLegenda;
    QTest::mouseClick(grd->viewport(), Qt::LeftButton, {},
                      grd->visualItemRect(grd->item(6, 1)).center());
    QCOMPARE(r.PivotSel, 6);
    QCOMPARE(grd->currentRow(), 6);
}

void TstFrmRetta::tuttiIPunti()
{
    ModelloRetta &r = ctx().retta;
    QTest::mouseClick(pagina->ImgChkAll, Qt::LeftButton);
    QVERIFY(pagina->ChkAll->isChecked());
    QVERIFY(!pagina->CmdLeft->isEnabled() && !pagina->CmdRight->isEnabled());
    QTest::mouseClick(pagina->CmdUp, Qt::LeftButton);
    std::array<qint32, 56> uno;
    uno.fill(1);
    QCOMPARE(r.Retta, uno);
    ctx().stato.OperazioneRichiesta = gascal::Operazione::Nessuna;
    // F6 still moves the selected pivot.
    pagina->SelezionaPivot(4);
    pagina->TastiRetta(Qt::Key_F6);
    pagina->FineRipetizione();
    QCOMPARE(r.Pivot[3], 17);
    pagina->ChkAll->setChecked(false);
    QVERIFY(pagina->CmdLeft->isEnabled() && pagina->CmdRight->isEnabled());
}

void TstFrmRetta::cursoreELegenda()
{
    auto &live = ctx().TabMsg[Contesto::RecLive].Valori;
    live[6] = 1;
    live[11] = 20;
    live[3] = -96; // -1.5 steps: 4440 + 45
    live[1] = 2840;
    pagina->AggiornaCursore();
    FrmRettaGrafico *g = pagina->Grafico;
    QVERIFY(g->CursoreVisibile());
    QCOMPARE(g->CursorePunto(), 20);
    QCOMPARE(g->CursoreY(), 4485);
    QCOMPARE(pagina->LblTempoBenzVal->text(), QStringLiteral("2.8 (ms) "));
    live[6] = 0;
    pagina->AggiornaCursore();
    QVERIFY(!g->CursoreVisibile());

    // Legend row of P2 (point 6, 1536 µs).
    ctx().retta.Retta[6] = -5;
    pagina->Legenda();
    QCOMPARE(pagina->GrdLegenda->item(1, 1)->text(), QStringLiteral("1.5"));
    QCOMPARE(pagina->GrdLegenda->item(1, 2)->text(), QStringLiteral("-0.32"));
}

void TstFrmRetta::resetERichiestaPendente()
{
    ModelloRetta &r = ctx().retta;
    r.Retta.fill(3);
    r.Pivot[4] = 28;
    banco->ui.risposte.enqueue(ServiziUi::Risposta::No);
    QTest::mouseClick(pagina->CmdReset, Qt::LeftButton);
    QCOMPARE(r.Retta[0], 3);
    QCOMPARE(ctx().stato.OperazioneRichiesta, gascal::Operazione::Nessuna);
    const QString domanda = banco->ui.mostrati.last().testo;
    QVERIFY2(domanda.endsWith(ctx().diz.TestoSezione(QStringLiteral("[Frm_Retta]"), 9)), qPrintable(domanda));
    QVERIFY(domanda.contains(QLatin1Char('?')));

    banco->ui.risposte.enqueue(ServiziUi::Risposta::Si);
    QTest::mouseClick(pagina->CmdReset, Qt::LeftButton);
    QCOMPARE(r.Retta, (std::array<qint32, 56>{}));
    QCOMPARE(r.Pivot, ModelloRetta::PivotDefault);
    QCOMPARE(ctx().stato.OperazioneRichiesta, gascal::Operazione::ScriviRetta);
    QCOMPARE(ctx().code.DatiMap0, QByteArray(56, '\0'));
}

void TstFrmRetta::finestraAlimentazione()
{
    StatoApp &s = ctx().stato;
    for (int volta = 0; volta < 2; ++volta) {
        RispondiFinestra([](FrmSelezAlim *f) { return f->CmdCng; });
        QCOMPARE(FrmSelezAlim::Scegli(ctx(), pagina.get()), ctx().imp.FileDefCng);
    }
    // Cancel and the close box leave nothing, even after an earlier choice.
    RispondiFinestra([](FrmSelezAlim *f) { return f->CmdAnnulla; });
    QCOMPARE(FrmSelezAlim::Scegli(ctx(), pagina.get()), QString());
    s.FileDefinizioni = ctx().imp.FileDefGpl;
    RispondiFinestra(nullptr, true);
    QCOMPARE(FrmSelezAlim::Scegli(ctx(), pagina.get()), QString());
    RispondiFinestra([](FrmSelezAlim *f) { return f->CmdGpl; });
    QCOMPARE(FrmSelezAlim::Scegli(ctx(), pagina.get()), ctx().imp.FileDefGpl);
}

void TstFrmRetta::resetTotale()
{
    StatoApp &s = ctx().stato;
    // No to the question: the fuel window never opens.
    int aperture = 0;
    QString scelta;
    pagina->SceltaAlimentazione = [&] { ++aperture; return scelta; };
    banco->ui.risposte.enqueue(ServiziUi::Risposta::No);
    QTest::mouseClick(pagina->CmdResetAll, Qt::LeftButton);
    QCOMPARE(aperture, 0);
    // Cancel in the fuel window: nothing to load.
    banco->ui.risposte.enqueue(ServiziUi::Risposta::Si);
    QTest::mouseClick(pagina->CmdResetAll, Qt::LeftButton);
    QCOMPARE(aperture, 1);
    QCOMPARE(s.OperazioneRichiesta, gascal::Operazione::Nessuna);
    QVERIFY(s.FileDefinizioni.isEmpty());

    QSignalSpy titolo(pagina.get(), &FrmRetta::fileDefinizioniScelto);
    s.StatoProgramma = StatoApp::Offline;
    scelta = ctx().imp.FileDefCng;
    banco->ui.risposte.enqueue(ServiziUi::Risposta::Si);
    QTest::mouseClick(pagina->CmdResetAll, Qt::LeftButton);
    QCOMPARE(s.OperazioneRichiesta, gascal::Operazione::CaricaMappa);
    QCOMPARE(s.FileDefinizioni, scelta);
    QCOMPARE(s.FileDefOffline, scelta);
    QCOMPARE(s.TitoloFile, QStringLiteral(" - [def_cng.xar] "));
    QCOMPARE(titolo.size(), 1);
    // Not while an operation is pending.
    QTest::mouseClick(pagina->CmdResetAll, Qt::LeftButton);
    QCOMPARE(aperture, 2);
}

void TstFrmRetta::marcatoriProposti()
{
    ModelloRetta &r = ctx().retta;
    r.Retta[12] = 2;
    pagina->MostraCorrezioniProposte({{12, 128}, {13, 0}, {70, 64}, {40, -32}});
    const auto &m = pagina->Grafico->Marcatori();
    QCOMPARE(m.size(), 2);
    QCOMPARE(m.at(0).first, 12);
    QCOMPARE(m.at(0).second, 4.0);
    QCOMPARE(m.at(1).second, -0.5);
    // They stay put while the line is edited towards them.
    pagina->SelezionaPivot(3);
    QTest::mouseClick(pagina->CmdUp, Qt::LeftButton);
    QCOMPARE(pagina->Grafico->Marcatori().at(0).second, 4.0);
    pagina->CancellaCorrezioniProposte();
    QVERIFY(pagina->Grafico->Marcatori().isEmpty());
}

void TstFrmRetta::modificaInviataAllEcuEResetTotaleCng()
{
    pagina.reset();
    banco.reset();
    ProgrammaProva p;
    QCOMPARE(p.AvviaEcu(), QString());
    QVERIFY(p.AvviaProgramma());
    QVERIFY(p.AttendiStato(StatoApp::Connesso));
    FrmRetta *retta = p.frame->PaginaRetta();
    QTest::keyRelease(p.frame.get(), Qt::Key_F2);
    QTest::keyRelease(p.frame.get(), Qt::Key_F2);
    QCOMPARE(p.ctx.stato.PaginaCorrente, 2);
    QVERIFY(retta->isVisible());
    QCOMPARE(p.ctx.retta.Retta[0], 4); // the ECU's factory line

    // Pivot 3 (point 10) raised twice by F8 through the frame's key handler,
    // pivot 4 moved right with the button.
    QTest::keyClick(p.frame.get(), Qt::Key_F9);
    QTest::keyClick(p.frame.get(), Qt::Key_F9);
    QCOMPARE(p.ctx.retta.PivotSel, 2);
    for (int i = 0; i < 2; ++i) {
        QTest::keyClick(p.frame.get(), Qt::Key_F8);
        QVERIFY(QTest::qWaitFor([&] { return p.ctx.stato.OperazioneRichiesta == gascal::Operazione::Nessuna; }, 10000));
    }
    retta->SelezionaPivot(4);
    QTest::mouseClick(retta->CmdRight, Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return p.ctx.stato.OperazioneRichiesta == gascal::Operazione::Nessuna; }, 10000));
    QVERIFY(p.ui.mostrati.isEmpty());

    // Read back from the ECU's memory.
    p.frame->Timer1->stop();
    QVERIFY(QTest::qWaitFor([&] { return p.ctx.stato.StatoProgramma == StatoApp::Connesso; }));
    SequenzeBlocchi letture(p.ctx);
    QCOMPARE(letture.LeggiRecord(Contesto::RecMappa, true), 0);
    QCOMPARE(letture.LeggiRecord(Contesto::RecBlk5, true), 0);
    QCOMPARE(p.ctx.Valore(Contesto::RecMappa, 10), 4); // 2 + 2
    QCOMPARE(p.ctx.Valore(Contesto::RecBlk5, 3), 17);
    QCOMPARE(p.ctx.Valore(Contesto::RecBlk5, 9), 51); // the rest of block 5 unchanged
    p.frame->Timer1->start();

    // Reset-all with CNG: the CNG definitions reach the ECU.
    p.ui.risposte.enqueue(ServiziUi::Risposta::Si);
    RispondiFinestra([](FrmSelezAlim *f) { return f->CmdCng; });
    QTest::mouseClick(retta->CmdResetAll, Qt::LeftButton);
    QCOMPARE(p.ctx.stato.OperazioneRichiesta, gascal::Operazione::CaricaMappa);
    QVERIFY(p.frame->windowTitle().endsWith(QStringLiteral(" - [def_cng.xar] ")));
    QVERIFY(QTest::qWaitFor([&] { return p.ctx.stato.OperazioneRichiesta == gascal::Operazione::Nessuna; }, 20000));
    QVERIFY(p.AttendiStato(StatoApp::Connesso, 30000));
    QVERIFY(QTest::qWaitFor([&] { return p.ctx.retta.Retta[0] == 8; }, 10000));
    QCOMPARE(p.ctx.Valore(Contesto::RecMappa, 0), 8);
    QCOMPARE(p.ctx.retta.Pivot, ModelloRetta::PivotDefault);
}

GASCAL_PROVA(TstFrmRetta)
#include "tst_frmretta.moc"

// A line of small corrections fills the plot once the automatic range is on,
// and a click still finds the pivot on its taller bar; a line that already
// fills the plot is drawn as designed.
void TstFrmRetta::intervalloAutomatico()
{
    FrmRettaGrafico *g = pagina->Grafico;
    ModelloRetta &m = ctx().retta;
    m.Retta.fill(0);
    for (int i = 0; i < ModelloRetta::NumPunti; ++i)
        m.Retta[i] = (i % 7) - 3; // -0.19 .. +0.19 ms
    QCOMPARE(g->Zoom(), 1.0);
    QVERIFY(!pagina->ChkAdatta->isChecked());
    pagina->ChkAdatta->click();
    QVERIFY(g->Adatta());
    QCOMPARE(g->Zoom(), FrmRettaGrafico::ZoomMassimo);
    m.Retta[20] = 40;
    const double zoom = g->Zoom();
    QVERIFY2(zoom > 2 && zoom < FrmRettaGrafico::ZoomMassimo, qPrintable(QString::number(zoom)));
    const QRectF alta = g->BarraDisegnata(20, 40);
    QVERIFY(FrmRettaGrafico::Sfondo.contains(alta.toRect()));
    QVERIFY(alta.top() < FrmRettaGrafico::Sfondo.top() + 600); // near the top: the room is used
    const QRectF bassa = g->BarraDisegnata(3, m.Retta[3]);
    QVERIFY(FrmRettaGrafico::Sfondo.contains(bassa.toRect()));
    // A click on the taller end of a pivot's bar selects it.
    m.Pivot[3] = 20;
    QCOMPARE(g->PivotAlClic(alta.center().x(), alta.top() + 20), 3);
    // A line that reaches the plot's edge as designed keeps the design's steps.
    m.Retta[20] = 120;
    QCOMPARE(g->Zoom(), 1.0);
    pagina->ChkAdatta->click();
    m.Retta[20] = 40;
    QCOMPARE(g->Zoom(), 1.0);
}
