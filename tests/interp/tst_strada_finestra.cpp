// The whole program with the interpolation window open while ecusim drives
// its road cycle: both curves grow, the proposed corrections appear as
// markers on the calibration line page, and closing the window gives the
// ECU its pressure sensor and end-of-gas setting back. With
// GASCAL_SCREENSHOTS set to a folder, the window and the frame are saved
// there as pictures.
#include "RegistroProve.h"
#include "ProgrammaProva.h"
#include "StradaComune.h"

#include "interp/FileCampioni.h"
#include "interp/FrmInterpola.h"
#include "interp/ModoInterpolazione.h"
#include "ui/line/FrmRetta.h"
#include "ui/line/FrmRettaGrafico.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QTest>

using namespace gascal;
using T = TabelleCampioni;

namespace {

void Foto(QWidget *w, const QString &nome)
{
    const QString cartella = qEnvironmentVariable("GASCAL_SCREENSHOTS");
    if (!cartella.isEmpty())
        w->grab().save(QDir(cartella).filePath(nome));
}

} // namespace

class TstStradaFinestra : public QObject
{
    Q_OBJECT
private slots:
    void finestraSulCicloStradale()
    {
        ProgrammaProva p;
        QVERIFY2(p.AvviaEcu().isEmpty(), "ecusim");
        QVERIFY(p.AvviaProgramma());
        QVERIFY(p.AttendiStato(StatoApp::Connesso));

        // What the switch-over page's interpolation entry does.
        ModoInterpolazione::Entra(p.ctx);
        p.frame->MostraInterpolazione();
        FrmInterpola *f = p.frame->Interpola();
        QVERIFY(f && f->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(f));
        f->CmbTmpStability->setCurrentText(QStringLiteral("1000"));
        QTRY_VERIFY_WITH_TIMEOUT(p.ctx.stato.OperazioneRichiesta == gascal::Operazione::Nessuna, 10000);
        QCOMPARE(p.ctx.Valore(Contesto::RecConfig, 25), 0);

        QCOMPARE(p.banco.Controllo(QStringLiteral("road %1").arg(StradaComune::PassoSecondi)), QStringLiteral("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(StradaComune::Righe(p.ctx.campioni[T::BeM]) >= 10, 60000);
        Foto(f, QStringLiteral("interpolazione-benzina.png"));
        QTRY_VERIFY_WITH_TIMEOUT(StradaComune::Righe(p.ctx.campioni[T::GaM]) >= 14,
                                 StradaComune::SecondiCiclo * 1000);
        QVERIFY(StradaComune::Righe(p.ctx.campioni[T::BeM]) >= 14);
        QVERIFY(f->Modello().CurvaGas()[50].X > 0);

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
        f->ToggleFrame1();
        Foto(f, QStringLiteral("interpolazione-gas.png"));
        f->ToggleFrame1();
        Foto(p.frame.get(), QStringLiteral("retta-marcatori.png"));

        // Closing restores the ECU's sensor and end-of-gas management.
        f->close();
        QVERIFY(!p.ctx.InterpolazioneAttiva);
        // The message comes once the ECU was read back holding its settings.
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
