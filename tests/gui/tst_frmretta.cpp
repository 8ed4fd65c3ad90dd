// The calibration line page, offscreen: press-and-hold timing, buttons and
// keys, selection by click, the all-points mode, the crosshair, the reset
// buttons with the fuel window, the proposed corrections and the automatic
// range; then edits through the frame's keys against the virtual ECU. The
// line's own arithmetic is tried in tests/core/tst_retta.
#include "RegistroProve.h"
#include "ProgrammaProva.h"

#include "ui/common/Twips.h"
#include "ui/config/FrmSelezAlim.h"
#include "ui/line/FrmRetta.h"
#include "ui/line/FrmRettaGrafico.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTableWidget>

using namespace gascal;
using O = Operazione;

namespace {

// Clicks a button of the fuel window about to open, or its close box.
void RispondiFinestra(QPushButton *FrmSelezAlim::*pulsante)
{
    QTimer::singleShot(0, [pulsante] {
        QTRY_VERIFY(qobject_cast<FrmSelezAlim *>(QApplication::activeModalWidget()));
        auto *f = qobject_cast<FrmSelezAlim *>(QApplication::activeModalWidget());
        if (pulsante)
            QTest::mouseClick(f->*pulsante, Qt::LeftButton);
        else
            f->close();
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

    std::unique_ptr<BancoEcu> banco;
    std::unique_ptr<FrmRetta> pagina;
    Contesto &ctx() { return *banco->ctx; }
    ModelloRetta &r() { return banco->ctx->retta; }
    O &op() { return banco->ctx->stato.OperazioneRichiesta; }

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

    // A held key steps every 750 ms and sends the line once, at the release;
    // its auto-repeat adds nothing.
    void tastoTenuto()
    {
        pagina->SelezionaPivot(5); // point 27
        QElapsedTimer tenuto;
        tenuto.start();
        pagina->TastiRetta(Qt::Key_F7);
        QCOMPARE(r().Retta[27], -1); // the first step at once
        while (tenuto.elapsed() < 2600) {
            QTest::qWait(40);
            pagina->TastiRetta(Qt::Key_F7);
            QCOMPARE(op(), O::Nessuna);
        }
        pagina->FineRipetizione();
        // Held between 2.25 and 3 s: steps at 0, 0.75, 1.5 and 2.25 s.
        QCOMPARE(r().Retta[27], -4);
        QCOMPARE(op(), O::ScriviRetta);
        QCOMPARE(quint8(ctx().code.DatiMap0.at(27)), 0xFC);
        op() = O::Nessuna;
        QTest::qWait(900);
        QCOMPARE(r().Retta[27], -4);
        QCOMPARE(op(), O::Nessuna);
    }

    void pulsanti()
    {
        pagina->SelezionaPivot(2); // point 6
        QTest::mouseClick(pagina->CmdUp, Qt::LeftButton);
        QCOMPARE(r().Retta[6], 1);
        QCOMPARE(op(), O::ScriviRetta); // a click: one step, then the line is sent
        QTest::mouseClick(pagina->CmdUp, Qt::LeftButton); // nothing while it is pending
        QCOMPARE(r().Retta[6], 1);
        op() = O::Nessuna;
        // Held for a second: two steps, one send after the release.
        QTest::mousePress(pagina->CmdDw, Qt::LeftButton);
        QTest::qWait(1100);
        QCOMPARE(op(), O::Nessuna);
        QTest::mouseRelease(pagina->CmdDw, Qt::LeftButton);
        QCOMPARE(r().Retta[6], -1);
        QCOMPARE(op(), O::ScriviRetta);
        op() = O::Nessuna;
        // The first and last pivot never move sideways, and nothing is sent.
        for (int n : {1, 9}) {
            pagina->SelezionaPivot(n);
            pagina->TastiRetta(Qt::Key_F5);
            QTest::mouseClick(pagina->CmdRight, Qt::LeftButton);
            pagina->FineRipetizione();
            QCOMPARE(r().Pivot, ModelloRetta::PivotDefault);
            QCOMPARE(op(), O::Nessuna);
        }
        // A move refused for a neighbour too near still sends the (re-interpolated) line.
        pagina->SelezionaPivot(3); // point 10, 4 from point 6
        QTest::mouseClick(pagina->CmdLeft, Qt::LeftButton);
        QCOMPARE(r().Pivot[2], 10);
        QCOMPARE(op(), O::ScriviRetta);
        op() = O::Nessuna;
        // The whole line: up moves every point, sideways is off.
        QTest::mouseClick(pagina->ImgChkAll, Qt::LeftButton);
        QVERIFY(pagina->ChkAll->isChecked() && !pagina->CmdLeft->isEnabled() && !pagina->CmdRight->isEnabled());
        QTest::mouseClick(pagina->CmdUp, Qt::LeftButton);
        QCOMPARE(r().Retta[55], 1);
        QCOMPARE(r().Retta[6], 0);
        op() = O::Nessuna;
        pagina->SelezionaPivot(4); // F6 still moves the selected pivot
        pagina->TastiRetta(Qt::Key_F6);
        pagina->FineRipetizione();
        QCOMPARE(r().Pivot[3], 17);
        pagina->ChkAll->setChecked(false);
        QVERIFY(pagina->CmdLeft->isEnabled() && pagina->CmdRight->isEnabled());
    }

    void selezione()
    {
        pagina->SelezionaPivot(9);
        pagina->TastiRetta(Qt::Key_F9);
        QCOMPARE(r().PivotSel, 0); // wraps from the 9th to the 1st
        FrmRettaGrafico *g = pagina->Grafico;
        // A bar within one point of a pivot selects it; one far from every
        // pivot selects nothing; on the background, the first pivot whose bar
        // is within one bar width.
        const QRect b17 = FrmRettaGrafico::RettangoloPunto(17, r().Retta[17]);
        const QRect b21 = FrmRettaGrafico::RettangoloPunto(21, r().Retta[21]);
        const QRect b35 = FrmRettaGrafico::RettangoloPunto(35, 0);
        for (const auto &[x, y, pivot] : {std::tuple{b17.center().x() + 0.0, b17.center().y() + 0.0, 3},
                                          std::tuple{b21.center().x() + 0.0, b21.center().y() + 0.0, 3},
                                          std::tuple{b35.left() + 1.5 * b35.width(), 8000.0, 5}}) {
            QTest::mouseClick(g, Qt::LeftButton, {}, PuntoPx(g, x, y));
            QCOMPARE(r().PivotSel, pivot);
        }
        // A legend row selects its pivot.
        QTableWidget *grd = pagina->GrdLegenda;
        QTest::mouseClick(grd->viewport(), Qt::LeftButton, {}, grd->visualItemRect(grd->item(6, 1)).center());
        QCOMPARE(r().PivotSel, 6);
        QCOMPARE(grd->currentRow(), 6);
    }

    void cursoreELegenda()
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
        r().Retta[6] = -5;
        pagina->Legenda();
        QCOMPARE(pagina->GrdLegenda->item(1, 2)->text(), r().LegendaCorrezione(1, ctx().imp.SepDecimale));
    }

    // Reset asks first; reset-all asks, then opens the fuel window, whose
    // Cancel and close box leave nothing.
    void reset()
    {
        r().Retta.fill(3);
        r().Pivot[4] = 28;
        banco->ui.risposte.enqueue(ServiziUi::Risposta::No);
        QTest::mouseClick(pagina->CmdReset, Qt::LeftButton);
        QCOMPARE(r().Retta[0], 3);
        QCOMPARE(op(), O::Nessuna);
        QVERIFY(banco->ui.mostrati.last().testo.endsWith(ctx().diz.TestoSezione(QStringLiteral("[Frm_Retta]"), 9)));
        QCOMPARE(banco->ui.mostrati.last().predefinito, ServiziUi::Risposta::No); // a stray Enter writes nothing
        banco->ui.risposte.enqueue(ServiziUi::Risposta::Si);
        QTest::mouseClick(pagina->CmdReset, Qt::LeftButton);
        QCOMPARE(r().Retta, (std::array<qint32, 56>{}));
        QCOMPARE(r().Pivot, ModelloRetta::PivotDefault);
        QCOMPARE(op(), O::ScriviRetta);
        QCOMPARE(ctx().code.DatiMap0, QByteArray(56, '\0'));
        op() = O::Nessuna;

        StatoApp &s = ctx().stato;
        using Pulsante = QPushButton *FrmSelezAlim::*;
        for (const auto &[pulsante, file] : {std::pair<Pulsante, QString>{&FrmSelezAlim::CmdCng, ctx().imp.FileDefCng},
                                             {&FrmSelezAlim::CmdAnnulla, QString()},
                                             {nullptr, QString()},
                                             {&FrmSelezAlim::CmdGpl, ctx().imp.FileDefGpl}}) {
            RispondiFinestra(pulsante);
            QCOMPARE(FrmSelezAlim::Scegli(ctx(), pagina.get()), file);
        }
        QString scelta;
        int aperture = 0;
        pagina->SceltaAlimentazione = [&] { ++aperture; return scelta; };
        banco->ui.risposte << ServiziUi::Risposta::No << ServiziUi::Risposta::Si;
        QTest::mouseClick(pagina->CmdResetAll, Qt::LeftButton);
        QCOMPARE(aperture, 0);
        QCOMPARE(banco->ui.mostrati.last().predefinito, ServiziUi::Risposta::No);
        QTest::mouseClick(pagina->CmdResetAll, Qt::LeftButton);
        QCOMPARE(aperture, 1);
        QCOMPARE(op(), O::Nessuna);
        QVERIFY(s.FileDefinizioni.isEmpty());
        // Offline, a fuel chosen: its definitions are loaded, and named.
        QSignalSpy titolo(pagina.get(), &FrmRetta::fileDefinizioniScelto);
        s.StatoProgramma = StatoApp::Offline;
        scelta = ctx().imp.FileDefCng;
        banco->ui.risposte.enqueue(ServiziUi::Risposta::Si);
        QTest::mouseClick(pagina->CmdResetAll, Qt::LeftButton);
        QCOMPARE(op(), O::CaricaMappa);
        QCOMPARE(s.FileDefinizioni, scelta);
        QCOMPARE(s.FileDefOffline, scelta);
        QCOMPARE(s.TitoloFile, QStringLiteral(" - [def_cng.xar] "));
        QCOMPARE(titolo.size(), 1);
        QTest::mouseClick(pagina->CmdResetAll, Qt::LeftButton); // not while it is pending
        QCOMPARE(aperture, 2);
    }

    // The proposed corrections stay put while the line is edited towards them.
    void marcatoriProposti()
    {
        r().Retta[12] = 2;
        pagina->MostraCorrezioniProposte({{12, 128}, {13, 0}, {70, 64}, {40, -32}});
        QCOMPARE(pagina->Grafico->Marcatori(), (QVector<QPair<int, double>>{{12, 4.0}, {40, -0.5}}));
        pagina->SelezionaPivot(3);
        QTest::mouseClick(pagina->CmdUp, Qt::LeftButton);
        QCOMPARE(pagina->Grafico->Marcatori().at(0).second, 4.0);
        pagina->CancellaCorrezioniProposte();
        QVERIFY(pagina->Grafico->Marcatori().isEmpty());
    }

    // A line of small corrections fills the plot once the automatic range is
    // on, and a click still finds the pivot on its taller bar; a line that
    // already fills the plot is drawn as designed.
    void intervalloAutomatico()
    {
        FrmRettaGrafico *g = pagina->Grafico;
        for (int i = 0; i < ModelloRetta::NumPunti; ++i)
            r().Retta[i] = (i % 7) - 3; // -0.19 .. +0.19 ms
        QCOMPARE(g->Zoom(), 1.0);
        pagina->ChkAdatta->click();
        QCOMPARE(g->Zoom(), FrmRettaGrafico::ZoomMassimo);
        r().Retta[20] = 40;
        QVERIFY2(g->Zoom() > 2 && g->Zoom() < FrmRettaGrafico::ZoomMassimo, qPrintable(QString::number(g->Zoom())));
        const QRectF alta = g->BarraDisegnata(20, 40);
        QVERIFY(FrmRettaGrafico::Sfondo.contains(alta.toRect()));
        QVERIFY(alta.top() < FrmRettaGrafico::Sfondo.top() + 600); // near the top: the room is used
        QVERIFY(FrmRettaGrafico::Sfondo.contains(g->BarraDisegnata(3, r().Retta[3]).toRect()));
        r().Pivot[3] = 20;
        QCOMPARE(g->PivotAlClic(alta.center().x(), alta.top() + 20), 3);
        r().Retta[20] = 120;
        QCOMPARE(g->Zoom(), 1.0);
        pagina->ChkAdatta->click();
        r().Retta[20] = 40;
        QCOMPARE(g->Zoom(), 1.0);
    }

    // Through the frame's keys and buttons against ecusim: the ECU holds the
    // edits; reset-all with CNG loads the CNG definitions into it.
    void modificheNellEcu()
    {
        cleanup();
        ProgrammaProva p;
        QVERIFY(p.Connetti());
        FrmRetta *retta = p.frame->PaginaRetta();
        p.MostraPagina(MDIFrm::PagRetta);
        QVERIFY(retta->isVisible());
        QCOMPARE(p.ctx.retta.Retta[0], 4); // the ECU's factory line
        QTest::keyClick(p.frame.get(), Qt::Key_F9);
        QTest::keyClick(p.frame.get(), Qt::Key_F9);
        QCOMPARE(p.ctx.retta.PivotSel, 2);
        for (int i = 0; i < 2; ++i) {
            QTest::keyClick(p.frame.get(), Qt::Key_F8);
            QVERIFY(p.AttendiOperazione());
        }
        retta->SelezionaPivot(4);
        QTest::mouseClick(retta->CmdRight, Qt::LeftButton);
        QVERIFY(p.AttendiOperazione());
        QVERIFY(p.ui.mostrati.isEmpty());
        QCOMPARE(p.banco.ValoreEcu(Contesto::RecMappa, 10), 4); // 2 + 2
        QCOMPARE(p.banco.ValoreEcu(Contesto::RecBlk5, 3), 17);
        QCOMPARE(p.banco.ValoreEcu(Contesto::RecBlk5, 9), 51); // the rest of block 5 unchanged

        p.ui.risposte.enqueue(ServiziUi::Risposta::Si);
        RispondiFinestra(&FrmSelezAlim::CmdCng);
        QTest::mouseClick(retta->CmdResetAll, Qt::LeftButton);
        QCOMPARE(p.ctx.stato.OperazioneRichiesta, O::CaricaMappa);
        QVERIFY(p.frame->windowTitle().endsWith(QStringLiteral(" - [def_cng.xar] ")));
        QVERIFY(p.AttendiOperazione(20000));
        QVERIFY(p.AttendiStato(StatoApp::Connesso, 30000));
        QVERIFY(QTest::qWaitFor([&] { return p.ctx.retta.Retta[0] == 8; }, 10000));
        QCOMPARE(p.banco.ValoreEcu(Contesto::RecMappa, 0), 8);
        QCOMPARE(p.ctx.retta.Pivot, ModelloRetta::PivotDefault);
    }
};

GASCAL_PROVA(TstFrmRetta)
#include "tst_frmretta.moc"
