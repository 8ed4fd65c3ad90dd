// The autotuning window in the frame on the in-process bench: the line
// page's button opens it, it draws its model, its list and buttons reach
// the sequence, and the frame's close box on gas ends the run with the ECU
// holding what it held before. What the window shows is tried in
// tests/core/tst_modello_autotuning, whole runs and their faults in
// tests/autotune and tests/cli.
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
        const auto foto = [&p] {
            QStringList f;
            for (int k : {0, 2, 5})
                f << QString::number(p.banco.ValoreEcu(Contesto::RecComandi, k));
            for (int n : {3, 4, 6})
                f << p.banco.Controllo(QStringLiteral("block %1").arg(n));
            return f;
        };
        const QStringList prima = foto();
        p.frame->CmdPage_Click();
        p.frame->CmdPage_Click();
        FrmRetta *pagina = p.frame->PaginaRetta();
        pagina->CmdAutotunig->click();
        FrmAutotuning &w = *p.frame->Autotuning();
        SequenzaTaratura &seq = w.Sequenza();
        const VistaAutotuning &v = w.Modello().Vista();
        QVERIFY(w.isVisible() && !pagina->isVisible());
        QCOMPARE(w.LblMsg->text(), v.stato);

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
        QCOMPARE(foto(), prima);
        QVERIFY(!QFileInfo::exists(p.ctx.ripristino.PercorsoEcu()));
    }
};

GASCAL_PROVA(TstFrmAutotuning)
#include "tst_frmautotuning.moc"
