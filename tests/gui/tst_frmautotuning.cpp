// The autotuning window on the whole program against the virtual ECU: Go,
// the fuel and injector choices by double click and Enter, the time bars,
// the acceptance, and the page given back at the end. Screenshots of the
// fuel choice, the injector tare and the acceptance go to the folder named
// by GASCAL_SCREENSHOTS, when set.

#include "RegistroProve.h"
#include "ProgrammaProva.h"
#include "../autotune/ProfiloBreve.h"

#include "app/ServiziUiScriptati.h"
#include "autotune/FrmAutotuning.h"
#include "ui/common/Forma.h"
#include "ui/common/PaginaEditor.h"
#include "ui/line/FrmRetta.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace gascal;

namespace {

void Foto(QWidget *finestra, const char *nome)
{
    const QString cartella = qEnvironmentVariable("GASCAL_SCREENSHOTS");
    if (!cartella.isEmpty())
        finestra->grab().save(QDir(cartella).filePath(QLatin1String(nome)));
}

} // namespace

class TstFrmAutotuning : public QObject
{
    Q_OBJECT
private slots:
    void wholeRunFromTheWindow()
    {
        ProgrammaProva p;
        QCOMPARE(p.AvviaEcu({QStringLiteral("--time-scale"), QStringLiteral("10")}), QString());
        p.banco.ScriviFile(QStringLiteral("ParaTun.txt"), ProfiloBreve());
        QVERIFY(p.AvviaProgramma());
        QVERIFY(p.AttendiStato(StatoApp::Connesso));
        p.frame->resize(1200, 800);
        p.frame->show();
        // Opened by the calibration line page's autotuning button.
        p.ctx.stato.PaginaCorrente = MDIFrm::PagRetta;
        p.frame->PaginaRetta()->show();
        QVERIFY(p.frame->PaginaRetta()->CmdAutotunig->isEnabled());
        p.frame->PaginaRetta()->CmdAutotunig->click();
        QVERIFY(!p.frame->PaginaRetta()->isVisible());
        FrmAutotuning &w = *p.frame->Autotuning();
        SequenzaTaratura &seq = w.Sequenza();
        QVERIFY(w.isVisible());
        QVERIFY(!w.CmdStop->isEnabled() && !w.CmdAccept->isEnabled());
        QCOMPARE(w.LblMsg->text(), seq.Testo(4));

        // The engine as the installer drives it.
        bool giri = false, minimo = false;
        p.Quando([&] { return seq.PassoTaratura == 4; }, [&] { giri = true; p.banco.Controllo("rpm 2500"); });
        p.Quando([&] { return seq.PassoTaratura == 6; }, [&] { minimo = true; p.banco.Controllo("rpm 800"); });

        // Fuel: Accept with nothing selected leaves the choice open; a double click chooses.
        p.Quando([&] { return w.Lista->isVisible() && seq.SelAlimentazione == -2 && w.Lista->count() == 2; },
                 [&] {
                     Foto(&w, "autotuning-fuel.png");
                     QVERIFY(w.CmdAccept->isEnabled());
                     w.CmdAccept->click();
                     QCOMPARE(seq.SelAlimentazione, -2);
                     w.Lista->setCurrentRow(0);
                     emit w.Lista->itemDoubleClicked(w.Lista->item(0));
                 });
        // Injector: the list opens on the ECU's type; Enter released in the list.
        int rigaEcu = -2;
        qint32 codiceEcu = -1;
        p.Quando([&] { return w.Lista->isVisible() && seq.SelIniettore == -2 && w.Lista->count() > 2; },
                 [&] {
                     rigaEcu = w.Lista->currentRow();
                     codiceEcu = p.ctx.Valore(Contesto::RecConfig, 1);
                     for (int i = 0; i < p.ctx.scale.TabIniettori.size(); ++i)
                         if (p.ctx.scale.TabIniettori.at(i).Codice == 2)
                             w.Lista->setCurrentRow(i);
                     QTest::keyRelease(w.Lista, Qt::Key_Return);
                 });
        bool fotoTara = false;
        p.Quando([&] { return seq.PassoTaratura == 5 && w.LblTGas->text().contains(QLatin1Char('.')); },
                 [&] {
                     fotoTara = true;
                     Foto(&w, "autotuning-injector-tare.png");
                     QVERIFY(w.ShpGas->width() > 0 && w.ShpBenz->width() > 0);
                     QVERIFY(w.LblTaraAdjust->isVisible());
                 });
        bool accettato = false;
        p.Quando([&] { return seq.PassoTaratura == 6 && w.CmdAccept->isEnabled(); },
                 [&] {
                     Foto(&w, "autotuning-accept.png");
                     QVERIFY(w.LblMsg->text().contains(seq.Testo(45)));
                     accettato = true;
                     w.CmdAccept->click();
                 });

        w.CmdGo->click();
        QVERIFY(!w.CmdGo->isEnabled() && w.CmdStop->isEnabled());
        // No way out while the run goes on.
        QVERIFY(!w.CmdChiudi->isEnabled() && !w.CmdChiudiX->isEnabled());
        QVERIFY(!w.Chiudi());
        // Timer1's next tick runs the whole sequence, its waits keeping the window alive.
        QVERIFY(QTest::qWaitFor([&] { return w.CmdGo->isEnabled(); }, 90000));
        QVERIFY(giri && minimo && fotoTara && accettato);
        // The list had opened on the ECU's type (none when the table lacks it).
        int attesa = -1;
        for (int i = 0; i < p.ctx.scale.TabIniettori.size() && attesa < 0; ++i)
            if (p.ctx.scale.TabIniettori.at(i).Codice == codiceEcu)
                attesa = i;
        QCOMPARE(rigaEcu, attesa);
        QCOMPARE(seq.UltimoRisultato(), 0);
        QVERIFY(seq.RettaScritta());
        // The result stays until the installer closes the window.
        QVERIFY(w.isVisible());
        QVERIFY2(w.LblMsg->text().contains(seq.Testo(32)), qPrintable(w.LblMsg->text()));
        QVERIFY(!w.LblMsg->text().contains(seq.Testo(45)));
        QVERIFY(!w.CmdStop->isEnabled() && w.CmdChiudi->isEnabled());
        QVERIFY(QTest::qWaitFor([&] { return p.ctx.stato.StatoProgramma == StatoApp::Connesso; }, 2000));
        w.CmdChiudi->click();
        QVERIFY(!w.isVisible());
        QVERIFY(p.frame->FrmRetta()->isVisible());   // the page is given back
        QCOMPARE(w.LblMsg->text(), seq.Testo(4));
    }

    // A new run starts from blank values, and a stop leaves its word on screen
    // until the window is closed.
    void stopLeavesItsWord()
    {
        ProgrammaProva p;
        QCOMPARE(p.AvviaEcu({QStringLiteral("--time-scale"), QStringLiteral("10")}), QString());
        QVERIFY(p.AvviaProgramma());
        QVERIFY(p.AttendiStato(StatoApp::Connesso));
        p.frame->show();
        p.ctx.stato.PaginaCorrente = MDIFrm::PagRetta;
        p.frame->PaginaRetta()->show();
        FrmAutotuning &w = *p.frame->Autotuning();
        SequenzaTaratura &seq = w.Sequenza();
        w.LblTGas->setText(QStringLiteral("old"));
        w.LblTaraAdjust->setText(QStringLiteral("old"));
        p.frame->PaginaRetta()->CmdAutotunig->click();
        // The run goes on inside Timer1's tick: Stop is pressed from within it.
        bool fermato = false;
        p.Quando([&] { return seq.InCorso(); }, [&] {
            fermato = true;
            w.CmdStop->click();
        });
        w.CmdGo->click();
        QVERIFY(w.LblTGas->text().isEmpty() && w.LblTaraAdjust->text().isEmpty());
        QVERIFY(!w.LblTGas->isVisibleTo(&w));
        QVERIFY(QTest::qWaitFor([&] { return fermato && w.CmdGo->isEnabled(); }, 60000));
        QVERIFY(w.isVisible());
        QCOMPARE(w.LblMsg->text(), seq.Testo(7));
        QVERIFY(w.LblMsg->isVisible());
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
    }

    // The return to idle says what it waits for instead of "2500 < 1100".
    void attesaDelMinimoSpiegata()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        FrmAutotuning w(ctx);
        w.MostraStato(w.Sequenza().Testo(28) + QStringLiteral("\r\n2500 < 1100"));
        const QString t = w.LblMsg->text();
        QVERIFY2(!t.contains(QStringLiteral("2500 < 1100")), qPrintable(t));
        QVERIFY2(t.contains(QStringLiteral("2500 rpm")) && t.contains(QStringLiteral("1100 rpm")), qPrintable(t));
    }

    // The window's own ways out during a run and the faults under it: the
    // ECU holds again what it held before the run once the program has
    // reached it again, and the journal is gone.
    void faultsDuringARunFromTheWindow_data()
    {
        QTest::addColumn<QString>("guasto");
        QTest::addColumn<int>("passo");
        QTest::newRow("close box on gas") << QStringLiteral("close") << 5;
        QTest::newRow("cable pulled on gas") << QStringLiteral("unplug") << 5;
        QTest::newRow("power cut at step 6") << QStringLiteral("power") << 6;
    }
    void faultsDuringARunFromTheWindow()
    {
        QFETCH(QString, guasto);
        QFETCH(int, passo);
        ProgrammaProva p;
        QCOMPARE(p.AvviaEcu({QStringLiteral("--time-scale"), QStringLiteral("10")}), QString());
        p.banco.ScriviFile(QStringLiteral("ParaTun.txt"), ProfiloBreve());
        QVERIFY(p.AvviaProgramma());
        QVERIFY(p.AttendiStato(StatoApp::Connesso));
        const auto foto = [&p] {
            QStringList f;
            for (int k : {0, 2, 5})
                f << QString::number(p.banco.ValoreEcu(2, k));
            for (int n : {3, 4, 6})
                f << p.banco.Controllo(QStringLiteral("block %1").arg(n));
            return f;
        };
        const QStringList prima = foto();
        p.frame->show();
        p.ctx.stato.PaginaCorrente = MDIFrm::PagRetta;
        p.frame->MostraAutotuning();
        FrmAutotuning &w = *p.frame->Autotuning();
        SequenzaTaratura &seq = w.Sequenza();
        p.Quando([&] { return seq.PassoTaratura == 4; }, [&] { p.banco.Controllo("rpm 2500"); });
        p.Quando([&] { return seq.PassoTaratura == 6; }, [&] { p.banco.Controllo("rpm 800"); });
        p.Quando([&] { return w.Lista->isVisible() && seq.SelAlimentazione == -2 && w.Lista->count() == 2; },
                 [&] {
                     w.Lista->setCurrentRow(0);
                     emit w.Lista->itemDoubleClicked(w.Lista->item(0));
                 });
        p.Quando([&] { return w.Lista->isVisible() && seq.SelIniettore == -2 && w.Lista->count() > 2; },
                 [&] {
                     w.Lista->setCurrentRow(0);
                     emit w.Lista->itemDoubleClicked(w.Lista->item(0));
                 });
        const QString momento = passo == 5 ? seq.Testo(26) : seq.Testo(28);
        bool fatto = false;
        p.Quando([&] { return seq.PassoTaratura == passo && w.LblMsg->text().startsWith(momento); }, [&] {
            fatto = true;
            if (guasto == QLatin1String("close")) {
                p.frame->close();
            } else if (guasto == QLatin1String("unplug")) {
                p.banco.Controllo(QStringLiteral("unplug"));
                QTimer::singleShot(3000, [&p] { p.banco.Controllo(QStringLiteral("plug")); });
            } else {
                p.banco.Controllo(QStringLiteral("power off"));
                QTimer::singleShot(2000, [&p] { p.banco.Controllo(QStringLiteral("power on")); });
            }
        });
        // A failure waits for Stop, as the window says.
        p.Quando([&] { return w.LblMsg->text().endsWith(seq.Testo(17)); }, [&] { w.CmdStop->click(); });

        w.CmdGo->click();
        QVERIFY(QTest::qWaitFor([&] { return fatto && !seq.InCorso(); }, 90000));
        QVERIFY(seq.UltimoRisultato() != SequenzaTaratura::Completato);
        const QString giornale = p.ctx.ripristino.PercorsoEcu();
        if (guasto == QLatin1String("close"))
            QVERIFY(QTest::qWaitFor([&] { return p.frame->Chiuso(); }, 10000));
        else
            QVERIFY2(QTest::qWaitFor([&] { return !QFileInfo::exists(giornale) && p.ctx.stato.StatoProgramma == StatoApp::Connesso; }, 30000),
                     qPrintable(p.ui.Testi().join('|')));
        QVERIFY(!QFileInfo::exists(giornale));
        QCOMPARE(foto(), prima);
    }

    void stopWithoutARunClosesAtOnce()
    {
        ProgrammaProva p;
        QCOMPARE(p.AvviaEcu(), QString());
        QVERIFY(p.AvviaProgramma());
        QVERIFY(p.AttendiStato(StatoApp::Connesso));
        p.frame->show();
        p.ctx.stato.PaginaCorrente = MDIFrm::PagRetta;
        p.frame->MostraAutotuning();
        FrmAutotuning &w = *p.frame->Autotuning();
        w.CmdStop->setEnabled(true);
        w.CmdStop->click();
        QVERIFY(!w.isVisible());
        QVERIFY(p.frame->FrmRetta()->isVisible());
        // Before any run Close and the close box are there to leave by.
        p.frame->MostraAutotuning();
        QVERIFY(w.CmdChiudi->isEnabled() && w.CmdChiudiX->isEnabled());
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
    }

    void blinkTogglesAtMostEvery250ms()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        FrmAutotuning w(ctx);
        int cambi = 0;
        bool ultimo = w.ShpLampeggio->Opaca();
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 600) {
            w.LampeggioInTaratura(false);
            if (w.ShpLampeggio->Opaca() != ultimo) {
                ++cambi;
                ultimo = w.ShpLampeggio->Opaca();
            }
            QTest::qWait(5);
        }
        QVERIFY2(cambi >= 2 && cambi <= 3, qPrintable(QString::number(cambi)));
        w.LampeggioInTaratura(true);
        QVERIFY(!w.ShpLampeggio->isVisibleTo(&w));
    }
};

GASCAL_PROVA(TstFrmAutotuning)
#include "tst_frmautotuning.moc"
