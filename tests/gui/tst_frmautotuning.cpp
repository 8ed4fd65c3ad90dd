// The autotuning window in the frame on the in-process bench, its close box on gas included.
#include "RegistroProve.h"
#include "ProgrammaVirtuale.h"
#include "../autotune/ProfiloBreve.h"
#include "autotune/FrmAutotuning.h"
#include "ui/common/Forma.h"
#include "ui/line/FrmRetta.h"
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

using namespace gascal;

class TstFrmAutotuning : public QObject
{
    Q_OBJECT
private slots:
    void closeBoxOnGasPutsTheEcuBack()
    {
        ProgrammaVirtuale p({QStringLiteral("--time-scale"), QStringLiteral("10")});
        p.banco.ScriviFile(QStringLiteral("ParaTun.txt"), ProfiloBreve());
        QVERIFY(p.Connetti());
        const QStringList prima = p.banco.Regolazioni();
        p.MostraPagina(MDIFrm::PagRetta);
        FrmRetta *pagina = p.frame->PaginaRetta();
        pagina->CmdAutotunig->click();
        FrmAutotuning &w = *p.frame->Autotuning();
        SequenzaTaratura &seq = w.Sequenza();
        const VistaAutotuning &v = w.Modello().Vista();
        QVERIFY(w.isVisible() && !pagina->isVisible());
        // The lists as the model loads them; a double click, then Enter, choose.
        bool liste = true, disegnata = false;
        int scelte = 0;
        p.Ogni50ms([&] {
            if (w.Lista->isVisible() && v.caricamento > scelte) {
                liste = liste && w.Lista->count() == v.voci.size() && w.Lista->currentRow() == v.riga
                    && w.Lista->accessibleName() == v.nomeLista;
                scelte = v.caricamento;
                w.Lista->setCurrentRow(0);
                if (scelte == 1)
                    emit w.Lista->itemDoubleClicked(w.Lista->item(0));
                else
                    QTest::keyRelease(w.Lista, Qt::Key_Return);
            }
            if (seq.PassoTaratura == 4)
                p.banco.Controllo(QStringLiteral("rpm 2500"));
            if (seq.PassoTaratura < 5 || !v.stato.startsWith(seq.Testo(26)) || v.barraGas == 0)
                return false;
            disegnata = w.LblMsg->text() == v.stato && w.LblTGas->isVisible() && w.LblTGas->text() == v.testoGas
                && w.ShpGas->width() > 0 && w.ShpLampeggio->isVisible() == v.lampeggioVisibile;
            p.frame->close();
            return true;
        });
        w.CmdGo->click();
        QVERIFY(!w.CmdGo->isEnabled() && w.CmdStop->isEnabled() && !w.CmdChiudiX->isEnabled() && !w.Chiudi());
        QVERIFY(QTest::qWaitFor([&] { return p.frame->Chiuso(); }, 20000));
        QVERIFY(liste && disegnata && scelte == 2);
        QVERIFY(seq.SelAlimentazione == 0 && seq.SelIniettore == 0);
        QCOMPARE(seq.UltimoRisultato(), qint32(SequenzaTaratura::Fermato));
        QCOMPARE(p.banco.Regolazioni(), prima);
        QVERIFY(!QFileInfo::exists(p.ctx.ripristino.PercorsoEcu()));
    }
    // F2, Esc, the close box, Close and Stop shut it between runs; during a run nothing does.
    void leavesWithThePage()
    {
        ProgrammaVirtuale p;
        QVERIFY(p.Connetti());
        FrmAutotuning *w = p.frame->Autotuning();
        const auto apri = [&] {
            p.MostraPagina(MDIFrm::PagRetta);
            p.frame->MostraAutotuning();
            return w->isVisible() && !p.frame->FrmRetta()->isVisible();
        };
        QVERIFY(apri());
        QTest::keyClick(p.frame.get(), Qt::Key_F2);
        QVERIFY(!w->isVisible() && p.ctx.stato.PaginaCorrente == MDIFrm::PagConfig && p.frame->FrmConfig()->isVisible());
        for (QWidget *chiude : std::initializer_list<QWidget *>{w, w->CmdChiudiX, w->CmdChiudi, w->CmdStop}) {
            QVERIFY(apri());
            w->CmdStop->setEnabled(chiude == w->CmdStop);
            if (chiude == w)
                QTest::keyClick(w, Qt::Key_Escape);
            else
                static_cast<QAbstractButton *>(chiude)->click();
            QVERIFY2(!w->isVisible() && p.frame->FrmRetta()->isVisible(), qPrintable(chiude->objectName()));
        }
        QVERIFY(apri());
        p.ctx.stato.AutotuningRichiesto = 1;
        QVERIFY(!w->Chiudi());
        p.frame->CmdPage_Click();
        QVERIFY(w->isVisible() && p.ctx.stato.PaginaCorrente == MDIFrm::PagRetta);
        p.ctx.stato.AutotuningRichiesto = 0;
    }
};

GASCAL_PROVA(TstFrmAutotuning)
#include "tst_frmautotuning.moc"
