// The calibration line page in the frame on the in-process bench: its inputs reach the model and the ECU.
#include "RegistroProve.h"
#include "ProgrammaVirtuale.h"
#include "ui/config/FrmSelezAlim.h"
#include "ui/line/FrmRetta.h"
#include "ui/line/FrmRettaGrafico.h"
#include <QApplication>
#include <QCheckBox>
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
} // namespace

class TstFrmRetta : public QObject
{
    Q_OBJECT
private slots:
    void pageReachesTheModelAndTheEcu()
    {
        ProgrammaVirtuale p;
        QVERIFY(p.Connetti());
        p.MostraPagina(MDIFrm::PagRetta);
        FrmRetta &r = *p.frame->PaginaRetta();
        ModelloRetta &retta = p.ctx.retta;
        QVERIFY(r.isVisible() && retta.Retta[0] == 4); // the ECU's factory line
        // The frame's keys: F9 selects, F8 raises; the ECU holds the edits.
        QTest::keyClick(p.frame.get(), Qt::Key_F9);
        QTest::keyClick(p.frame.get(), Qt::Key_F9);
        QVERIFY(retta.PivotSel == 2 && r.GrdLegenda->currentRow() == 2);
        for (int i = 0; i < 2; ++i) {
            QTest::keyClick(p.frame.get(), Qt::Key_F8);
            QVERIFY(p.AttendiOperazione());
        }
        QCOMPARE(r.GrdLegenda->item(2, 2)->text(), retta.LegendaCorrezione(2, p.ctx.imp.SepDecimale));
        // A button held for 0.8 s steps twice, and sends once.
        r.SelezionaPivot(4);
        QTest::mousePress(r.CmdRight, Qt::LeftButton);
        p.banco.Passa(800);
        QTest::qWait(120);
        QCOMPARE(p.ctx.stato.OperazioneRichiesta, O::Nessuna);
        QTest::mouseRelease(r.CmdRight, Qt::LeftButton);
        QVERIFY(p.AttendiOperazione());
        // Point 10 is 2 + 2; the rest of block 5 unchanged.
        QCOMPARE((QList<qint32>{p.banco.ValoreEcu(Contesto::RecMappa, 10), p.banco.ValoreEcu(Contesto::RecBlk5, 3),
                                p.banco.ValoreEcu(Contesto::RecBlk5, 9)}), (QList<qint32>{4, 18, 51}));
        // The plot and the legend select; the switches reach the model.
        const QRect b35 = ModelloPaginaRetta::RettangoloPunto(35, 0);
        QTest::mouseClick(r.Grafico, Qt::LeftButton, {},
                          QPoint(qRound((b35.left() + 1.5 * b35.width()) * r.Grafico->logicalDpiX() / 1440.0),
                                 qRound(8000 * r.Grafico->logicalDpiY() / 1440.0)));
        QCOMPARE(retta.PivotSel, 5);
        QTableWidget *grd = r.GrdLegenda;
        QTest::mouseClick(grd->viewport(), Qt::LeftButton, {}, grd->visualItemRect(grd->item(6, 1)).center());
        QCOMPARE(retta.PivotSel, 6);
        QTest::mouseClick(r.ImgChkAll, Qt::LeftButton);
        QVERIFY(r.ChkAll->isChecked() && r.Modello().tuttiPunti && !r.CmdLeft->isEnabled());
        r.ChkAll->setChecked(false);
        r.ChkAdatta->click();
        QVERIFY(r.Modello().adatta && r.CmdLeft->isEnabled());
        // The working point, drawn by the frame's refresh.
        QTRY_COMPARE(r.LblTempoBenzVal->text(), r.Modello().TestoTempoBenzina());
        // Reset asks; the fuel window; reset-all with CNG loads the CNG definitions.
        p.banco.ui.risposte.enqueue(ServiziUi::Risposta::No);
        const int domande = p.banco.ui.mostrati.size();
        QTest::mouseClick(r.CmdReset, Qt::LeftButton);
        QCOMPARE(p.banco.ui.mostrati.size(), domande + 1);
        using Pulsante = QPushButton *FrmSelezAlim::*;
        for (const auto &[pulsante, file] : {std::pair<Pulsante, QString>{&FrmSelezAlim::CmdGpl, p.ctx.imp.FileDefGpl},
                                             {&FrmSelezAlim::CmdAnnulla, QString()},
                                             {nullptr, QString()}}) {
            RispondiFinestra(pulsante);
            QCOMPARE(FrmSelezAlim::Scegli(p.ctx, &r), file);
        }
        p.banco.ui.risposte.enqueue(ServiziUi::Risposta::Si);
        RispondiFinestra(&FrmSelezAlim::CmdCng);
        QTest::mouseClick(r.CmdResetAll, Qt::LeftButton);
        QCOMPARE(p.ctx.stato.OperazioneRichiesta, O::CaricaMappa);
        QVERIFY(p.frame->windowTitle().endsWith(QStringLiteral(" - [def_cng.xar] ")));
        QVERIFY(QTest::qWaitFor([&] { return retta.Retta[0] == 8; }, 10000));
        QVERIFY(p.banco.ValoreEcu(Contesto::RecMappa, 0) == 8 && retta.Pivot == ModelloRetta::PivotDefault);
    }
};

GASCAL_PROVA(TstFrmRetta)
#include "tst_frmretta.moc"
