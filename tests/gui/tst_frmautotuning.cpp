// The autotuning window on the whole program against the virtual ECU: Go,
// the fuel and injector choices by double click and Enter, the time bars,
// the acceptance, the page given back at the end, and the faults and ways
// out during a run, after which the ECU holds what it held before. The
// sequence itself is tried in tests/autotune. Screenshots of the fuel
// choice, the injector tare and the acceptance go to GASCAL_SCREENSHOTS.
#include "RegistroProve.h"
#include "ProgrammaProva.h"
#include "../autotune/ProfiloBreve.h"

#include "autotune/FrmAutotuning.h"
#include "ui/common/Forma.h"
#include "ui/line/FrmRetta.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QListWidget>

using namespace gascal;

class TstFrmAutotuning : public QObject
{
    Q_OBJECT

    // Connected to ecusim running ten times faster, with the short profile;
    // the engine driven as the installer drives it during a run.
    static bool Avvia(ProgrammaProva &p)
    {
        p.banco.ScriviFile(QStringLiteral("ParaTun.txt"), ProfiloBreve());
        if (!p.Connetti({QStringLiteral("--time-scale"), QStringLiteral("10")}))
            return false;
        p.frame->resize(1200, 800);
        p.frame->show();
        p.ctx.stato.PaginaCorrente = MDIFrm::PagRetta;
        p.frame->PaginaRetta()->show();
        SequenzaTaratura &seq = p.frame->Autotuning()->Sequenza();
        p.Quando([&seq] { return seq.PassoTaratura == 4; }, [&p] { p.banco.Controllo(QStringLiteral("rpm 2500")); });
        p.Quando([&seq] { return seq.PassoTaratura == 6; }, [&p] { p.banco.Controllo(QStringLiteral("rpm 800")); });
        return true;
    }
    // The list open for a choice: the fuel (two items) or the injector.
    static bool InScelta(FrmAutotuning &w, bool carburante)
    {
        const SequenzaTaratura &seq = w.Sequenza();
        return w.Lista->isVisible() && (carburante ? seq.SelAlimentazione : seq.SelIniettore) == -2
            && (w.Lista->count() == 2) == carburante;
    }
    static void DoppioClic(FrmAutotuning &w, int riga)
    {
        w.Lista->setCurrentRow(riga);
        emit w.Lista->itemDoubleClicked(w.Lista->item(riga));
    }

private slots:
    void wholeRunFromTheWindow()
    {
        ProgrammaProva p;
        QVERIFY(Avvia(p));
        FrmAutotuning &w = *p.frame->Autotuning();
        SequenzaTaratura &seq = w.Sequenza();
        // Opened by the calibration line page's button, in place of the page.
        QVERIFY(p.frame->PaginaRetta()->CmdAutotunig->isEnabled());
        p.frame->PaginaRetta()->CmdAutotunig->click();
        QVERIFY(!p.frame->PaginaRetta()->isVisible() && w.isVisible());
        QVERIFY(!w.CmdStop->isEnabled() && !w.CmdAccept->isEnabled());
        QCOMPARE(w.LblMsg->text(), seq.Testo(4));

        // Fuel: Accept with nothing selected leaves the choice open; a double click chooses.
        p.Quando([&] { return InScelta(w, true); }, [&] {
            ProgrammaProva::Foto(&w, QStringLiteral("autotuning-fuel"));
            QVERIFY(w.CmdAccept->isEnabled());
            w.CmdAccept->click();
            QCOMPARE(seq.SelAlimentazione, -2);
            DoppioClic(w, 0);
        });
        // Injector: the list opens on the ECU's type; Enter released in the list.
        int rigaEcu = -2;
        qint32 codiceEcu = -1;
        p.Quando([&] { return InScelta(w, false); }, [&] {
            rigaEcu = w.Lista->currentRow();
            codiceEcu = p.ctx.Valore(Contesto::RecConfig, 1);
            for (int i = 0; i < p.ctx.scale.TabIniettori.size(); ++i)
                if (p.ctx.scale.TabIniettori.at(i).Codice == 2)
                    w.Lista->setCurrentRow(i);
            QTest::keyRelease(w.Lista, Qt::Key_Return);
        });
        bool tara = false, accettato = false;
        p.Quando([&] { return seq.PassoTaratura == 5 && w.LblTGas->text().contains(QLatin1Char('.')); }, [&] {
            tara = w.ShpGas->width() > 0 && w.ShpBenz->width() > 0 && w.LblTaraAdjust->isVisible();
            ProgrammaProva::Foto(&w, QStringLiteral("autotuning-injector-tare"));
        });
        p.Quando([&] { return seq.PassoTaratura == 6 && w.CmdAccept->isEnabled(); }, [&] {
            ProgrammaProva::Foto(&w, QStringLiteral("autotuning-accept"));
            accettato = w.LblMsg->text().contains(seq.Testo(45));
            w.CmdAccept->click();
        });

        // A new run starts from blank values; no way out while it goes on.
        w.LblTGas->setText(QStringLiteral("old"));
        w.LblTaraAdjust->setText(QStringLiteral("old"));
        w.CmdGo->click();
        QVERIFY(w.LblTGas->text().isEmpty() && w.LblTaraAdjust->text().isEmpty() && !w.LblTGas->isVisibleTo(&w));
        QVERIFY(!w.CmdGo->isEnabled() && w.CmdStop->isEnabled());
        QVERIFY(!w.CmdChiudi->isEnabled() && !w.CmdChiudiX->isEnabled() && !w.Chiudi());
        // Timer1's next tick runs the whole sequence, its waits keeping the window alive.
        QVERIFY(QTest::qWaitFor([&] { return w.CmdGo->isEnabled(); }, 90000));
        QVERIFY(tara && accettato);
        int attesa = -1; // the ECU's type in the table (none when the table lacks it)
        for (int i = 0; i < p.ctx.scale.TabIniettori.size() && attesa < 0; ++i)
            if (p.ctx.scale.TabIniettori.at(i).Codice == codiceEcu)
                attesa = i;
        QCOMPARE(rigaEcu, attesa);
        QCOMPARE(seq.UltimoRisultato(), 0);
        QVERIFY(seq.RettaScritta());
        // The result stays until the installer closes the window.
        QVERIFY(w.isVisible());
        QVERIFY2(w.LblMsg->text().contains(seq.Testo(32)) && !w.LblMsg->text().contains(seq.Testo(45)),
                 qPrintable(w.LblMsg->text()));
        QVERIFY(!w.CmdStop->isEnabled() && w.CmdChiudi->isEnabled());
        QVERIFY(p.AttendiStato(StatoApp::Connesso, 2000));
        w.CmdChiudi->click();
        QVERIFY(!w.isVisible() && p.frame->FrmRetta()->isVisible()); // the page is given back
        QCOMPARE(w.LblMsg->text(), seq.Testo(4));
    }

    // The window's own ways out during a run and the faults under it: the
    // ECU holds again what it held before the run once the program has
    // reached it again, and the journal is gone; a stop leaves its word on
    // screen until the window is closed.
    void faultsDuringARunFromTheWindow_data()
    {
        QTest::addColumn<QString>("guasto");
        QTest::addColumn<int>("passo");
        QTest::newRow("stop on gas") << QStringLiteral("stop") << 5;
        QTest::newRow("close box on gas") << QStringLiteral("close") << 5;
        QTest::newRow("cable pulled on gas") << QStringLiteral("unplug") << 5;
        QTest::newRow("power cut at step 6") << QStringLiteral("power") << 6;
    }
    void faultsDuringARunFromTheWindow()
    {
        QFETCH(QString, guasto);
        QFETCH(int, passo);
        ProgrammaProva p;
        QVERIFY(Avvia(p));
        const auto foto = [&p] {
            QStringList f;
            for (int k : {0, 2, 5})
                f << QString::number(p.banco.ValoreEcu(2, k));
            for (int n : {3, 4, 6})
                f << p.banco.Controllo(QStringLiteral("block %1").arg(n));
            return f;
        };
        const QStringList prima = foto();
        p.frame->MostraAutotuning();
        FrmAutotuning &w = *p.frame->Autotuning();
        SequenzaTaratura &seq = w.Sequenza();
        p.Quando([&] { return InScelta(w, true); }, [&] { DoppioClic(w, 0); });
        p.Quando([&] { return InScelta(w, false); }, [&] { DoppioClic(w, 0); });
        const QString momento = seq.Testo(passo == 5 ? 26 : 28);
        bool fatto = false;
        p.Quando([&] { return seq.PassoTaratura == passo && w.LblMsg->text().startsWith(momento); }, [&] {
            fatto = true;
            if (guasto == QLatin1String("stop")) {
                w.CmdStop->click();
            } else if (guasto == QLatin1String("close")) {
                p.frame->close();
            } else {
                const bool cavo = guasto == QLatin1String("unplug");
                p.banco.Controllo(cavo ? QStringLiteral("unplug") : QStringLiteral("power off"));
                QTimer::singleShot(cavo ? 3000 : 2000, [&p, cavo] {
                    p.banco.Controllo(cavo ? QStringLiteral("plug") : QStringLiteral("power on"));
                });
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
        if (guasto == QLatin1String("stop")) {
            QVERIFY(w.isVisible() && w.LblMsg->isVisible());
            QVERIFY2(w.LblMsg->text().startsWith(seq.Testo(7)), qPrintable(w.LblMsg->text()));
            QTest::keyClick(&w, Qt::Key_Escape);
            QVERIFY(!w.isVisible());
        }
    }

    // The return to idle says what it waits for instead of "2500 < 1100";
    // the lamp blinks at most every 250 ms, and hides on its own.
    void statoELampeggio()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        FrmAutotuning w(ctx);
        w.MostraStato(w.Sequenza().Testo(28) + QStringLiteral("\r\n2500 < 1100"));
        const QString t = w.LblMsg->text();
        QVERIFY2(!t.contains(QStringLiteral("2500 < 1100")) && t.contains(QStringLiteral("2500 rpm"))
                     && t.contains(QStringLiteral("1100 rpm")), qPrintable(t));
        int cambi = 0;
        bool ultimo = w.ShpLampeggio->Opaca();
        QElapsedTimer tempo;
        tempo.start();
        while (tempo.elapsed() < 600) {
            w.LampeggioInTaratura(false);
            cambi += w.ShpLampeggio->Opaca() != ultimo;
            ultimo = w.ShpLampeggio->Opaca();
            QTest::qWait(5);
        }
        QVERIFY2(cambi >= 2 && cambi <= 3, qPrintable(QString::number(cambi)));
        w.LampeggioInTaratura(true);
        QVERIFY(!w.ShpLampeggio->isVisibleTo(&w));
    }
};

GASCAL_PROVA(TstFrmAutotuning)
#include "tst_frmautotuning.moc"
