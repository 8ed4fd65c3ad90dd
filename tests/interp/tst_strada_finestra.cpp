// The whole program with the interpolation window on ecusim (GASCAL_SCREENSHOTS saves pictures).
#include "RegistroProve.h"
#include "ProgrammaProva.h"
#include "TabelleProva.h"

#include "interp/FileCampioni.h"
#include "interp/FrmInterpola.h"
#include "interp/ModoInterpolazione.h"
#include "ui/line/FrmRetta.h"
#include "ui/line/FrmRettaGrafico.h"

#include <QComboBox>
#include <QFileInfo>
#include <QTest>

using namespace gascal;
using T = TabelleCampioni;

class TstStradaFinestra : public QObject
{
    Q_OBJECT
private slots:
    void finestraSulMotore()
    {
        ProgrammaProva p;
        const T prima = TabelleProva();
        QVERIFY(FileCampioni::SalvaCampioni(p.Percorso(QStringLiteral("Memo.ini")), prima));
        QVERIFY2(p.AvviaEcu().isEmpty(), "ecusim");
        QVERIFY(p.AvviaProgramma());
        QVERIFY(p.AttendiStato(StatoApp::Connesso));
        QCOMPARE(p.ctx.campioni, prima);

        // What the switch-over page's interpolation entry does.
        ModoInterpolazione::Entra(p.ctx);
        p.frame->MostraInterpolazione();
        FrmInterpola *f = p.frame->Interpola();
        QVERIFY(f && QTest::qWaitForWindowExposed(f));
        f->CmbTmpStability->setCurrentText(QStringLiteral("1000"));
        QTRY_VERIFY_WITH_TIMEOUT(p.ctx.stato.OperazioneRichiesta == gascal::Operazione::Nessuna, 10000);
        QCOMPARE(p.ctx.Valore(Contesto::RecConfig, 25), 0);
        QTRY_VERIFY_WITH_TIMEOUT(p.ctx.campioni[T::BeM] != prima[T::BeM], 10000);
        QCOMPARE(p.ctx.campioni[T::GaM], prima[T::GaM]);   // on petrol

        // The proposal: asked for, then drawn on the line page by the next refresh.
        p.ctx.stato.PaginaCorrente = MDIFrm::PagConfig2;
        p.frame->CmdPage_Click();
        auto *retta = qobject_cast<FrmRetta *>(p.frame->FrmRetta());
        QVERIFY(retta);
        QTRY_COMPARE_WITH_TIMEOUT(f->Modello().Stato(), int(Interpolazione::Disponibile), 5000);
        f->CmdPlottaDeflessio_Click();
        QTRY_VERIFY_WITH_TIMEOUT(!retta->Grafico->Marcatori().isEmpty(), 5000);
        QCOMPARE(f->Modello().Stato(), int(Interpolazione::Niente));
        QCOMPARE(retta->Grafico->Marcatori().size(), f->Modello().Marcatori().size());
        ProgrammaProva::Foto(f, QStringLiteral("interpolazione.png"));
        ProgrammaProva::Foto(p.frame.get(), QStringLiteral("retta-marcatori.png"));

        // Closing gives the ECU its settings back; the message once they are read back.
        f->close();
        QVERIFY(!p.ctx.InterpolazioneAttiva);
        QVERIFY(!p.ui.Testi().contains(p.ctx.diz.TestoSezione(FrmInterpola::Sezione, 3)));
        QTRY_VERIFY_WITH_TIMEOUT(p.ctx.stato.RipristinoRichiesto == 0 && p.ctx.stato.OperazioneRichiesta == gascal::Operazione::Nessuna, 10000);
        QVERIFY(p.ui.Testi().contains(p.ctx.diz.TestoSezione(FrmInterpola::Sezione, 3)));
        QVERIFY(!QFileInfo::exists(p.ctx.ripristino.PercorsoEcu()));
        QCOMPARE(p.ctx.Valore(Contesto::RecConfig, 25), 1);
        QCOMPARE(p.ctx.Valore(Contesto::RecConfig, 12) & 1, 1);
        // The tables stay in Memo.ini for the next run.
        T memo;
        QVERIFY(FileCampioni::CaricaCampioni(p.ctx.imp.FileMemoIni, memo));
        QCOMPARE(memo, p.ctx.campioni);
    }
};

GASCAL_PROVA(TstStradaFinestra)
#include "tst_strada_finestra.moc"
