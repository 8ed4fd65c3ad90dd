// The frame's connection state machine against the real communication
// process and ecusim: connecting, losing the ECU or the process and finding
// them again, why no ECU answers, working offline (where the pages take no
// edits), closing, and an ECU left in interpolation mode put back. The
// states themselves are tried in tests/core/tst_ciclo.
#include "RegistroProve.h"
#include "ProgrammaProva.h"

#include "app/SegnaliUscita.h"
#include "app/TestoByte.h"
#include "interp/ModoInterpolazione.h"
#include "link/Collegamento.h"
#include "ui/common/Forma.h"

#include <QFileInfo>

#include <csignal>

using gascal::StatoApp;

class TstFrameConnessione : public QObject
{
    Q_OBJECT

    // Connected, then in interpolation mode with its write done; `sensore`
    // is the pressure-sensor code the ECU had before.
    static bool InInterpolazione(ProgrammaProva &p, qint32 &sensore)
    {
        if (!p.Connetti())
            return false;
        sensore = p.ctx.Valore(gascal::Contesto::RecConfig, 25);
        return gascal::ModoInterpolazione::Entra(p.ctx) && p.AttendiOperazione()
            && p.ctx.Valore(gascal::Contesto::RecConfig, 25) == 0 && QFileInfo::exists(p.ctx.ripristino.PercorsoEcu());
    }

private slots:
    // No ECU yet: the wait window searches, saying why no ECU answers under
    // its activity bar; the ECU comes and the reason goes. Then the ECU, and
    // twice the communication process, go away and are found again.
    void ritrovaLEcuEIlProcesso()
    {
        ProgrammaProva p;
        p.banco.ScriviFile(QStringLiteral("PrjCom.ini"), "0=" + p.Link().toLocal8Bit() + "\n");
        QVERIFY(p.AvviaProgramma());
        gascal::FrmWait *attesa = p.frame->Attesa();
        const QString atteso = QStringLiteral("Port 0 (%1): missing, the device does not exist").arg(p.Link());
        QString avvio = QStringLiteral("not started");
        bool sottoLaBarra = false, cercava = false;
        p.Quando([&] { return attesa->LblDiagnosi->text().contains(atteso); }, [&] {
            sottoLaBarra = attesa->isVisible() && attesa->AttivitaVisibile() && attesa->LblDiagnosi->isVisible()
                && attesa->LblDiagnosi->y() > attesa->ShpAttivita[0]->geometry().bottom();
            cercava = p.ctx.stato.StatoProgramma == StatoApp::Ricerca;
            avvio = p.AvviaEcu();
        });
        QTimer::singleShot(20000, attesa->CmdStop, &QPushButton::click); // never hang
        QVERIFY(p.AttendiStato(StatoApp::Connesso, 25000));
        QCOMPARE(avvio, QString());
        QVERIFY(sottoLaBarra && cercava);
        QTRY_VERIFY_WITH_TIMEOUT(attesa->LblDiagnosi->text().isEmpty() && !attesa->AttivitaVisibile(), 2000);
        // While connected the offline button says what it does and is no stop sign.
        QCOMPARE(attesa->CmdStop->text(), p.ctx.diz.Testo(6));
        QVERIFY(attesa->CmdStop->icon().isNull());

        // The ECU goes away: the failed poll starts the search, which shows
        // its activity and finds a new ECU on the same line by itself.
        bool attivita = false;
        QVERIFY(p.Riconnetti([&] { attivita = QTest::qWaitFor([&] { return attesa->AttivitaVisibile(); }, 3000); }));
        QVERIFY(attivita);
        // The process killed: once the link had worked, each time it is
        // started again, the user told once, and polling goes on through it.
        for (int volta = 1; volta <= 2; ++volta) {
            const qint64 prima = p.ctx.link.IdProcesso();
            ::kill(pid_t(prima), SIGKILL);
            QTRY_COMPARE_WITH_TIMEOUT(p.ctx.link.Riavvii(), volta, 10000);
            QVERIFY(p.AttendiStato(StatoApp::Connesso, 20000));
            QVERIFY(p.ctx.link.IdProcesso() != prima);
            QCOMPARE(p.ui.Testi(), QStringList(volta, gascal::Collegamento::TestoRiavvio()));
            p.ctx.TabMsg[1].Immagine.clear();
            QTRY_VERIFY_WITH_TIMEOUT(!p.ctx.TabMsg.at(1).Immagine.isEmpty(), 3000);
        }
        QVERIFY(!p.frame->Chiuso());
    }

    // No ECU on the line: the search runs until the user stops it, the pages
    // greyed and the bar usable; offline the start-up definition file is
    // loaded once, the pages take no edits and an operation is dropped
    // silently; Go searches again, finds an ECU, and the pages take edits.
    void offline()
    {
        ProgrammaProva p;
        const QString blk3 = QStringLiteral("4102206101020304050607080910111213141516171819202122232425262728FF");
        p.banco.ScriviFile(QStringLiteral("def.xar"), "[INFO]\r\ntest\r\n[BLK_3]\r\n" + blk3.toLatin1() + "\r\n");
        auto pagine = [&p] {
            return p.frame->FrmConfig()->isEnabled() + p.frame->FrmConfig_2()->isEnabled() + p.frame->FrmRetta()->isEnabled();
        };
        bool inRicerca = false;
        p.Quando([&] { return p.frame && p.frame->Attesa() && p.frame->Attesa()->CmdStop->isVisible()
                              && p.ctx.stato.StatoProgramma == StatoApp::Ricerca; },
                 [&] {
                     QTest::qWait(300);
                     inRicerca = p.frame->Attesa()->CmdGo->isHidden() && pagine() == 0 && p.frame->Barra()->isEnabled();
                     QTest::mouseClick(p.frame->Attesa()->CmdStop, Qt::LeftButton);
                 });
        QVERIFY(p.AvviaProgramma());
        QVERIFY(p.AttendiStato(StatoApp::Offline, 15000));
        QVERIFY(inRicerca);
        QVERIFY(p.frame->windowTitle().endsWith(QStringLiteral("  - [OFFLINE]")));
        QTRY_VERIFY_WITH_TIMEOUT(p.frame->Attesa()->CmdGo->isVisible(), 2000);
        QVERIFY(!p.frame->Attesa()->AttivitaVisibile());
        QTRY_COMPARE_WITH_TIMEOUT(p.ctx.TabMsg.at(3).Immagine, gascal::HexToStr(blk3), 2000);
        QCOMPARE(p.ctx.stato.CaricaDefAvvio, quint8(0));
        QCOMPARE(pagine(), 0);
        QVERIFY(p.frame->Barra()->isEnabled());
        p.MostraPagina(gascal::MDIFrm::PagRetta);
        const auto retta = p.ctx.retta.Retta;
        QTest::keyClick(p.frame.get(), Qt::Key_F8);
        QCOMPARE(p.ctx.retta.Retta, retta);
        const int boxPrima = p.ui.mostrati.size();
        p.ctx.stato.RichiediOperazione(gascal::Operazione::ScriviConfig);
        QTRY_COMPARE_WITH_TIMEOUT(p.ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna, 1000);
        QCOMPARE(p.ui.mostrati.size(), boxPrima);
        QCOMPARE(p.ctx.stato.StatoProgramma, int(StatoApp::Offline));

        // The search may find the ECU before a watcher sees it searching: the
        // titles the window took on the way tell instead.
        QStringList titoli;
        connect(p.frame.get(), &QWidget::windowTitleChanged, this, [&](const QString &t) { titoli << t; });
        QCOMPARE(p.AvviaEcu(), QString());
        QTest::mouseClick(p.frame->Attesa()->CmdGo, Qt::LeftButton);
        QVERIFY(p.AttendiStato(StatoApp::Connesso, 20000));
        QVERIFY(!titoli.isEmpty());
        QVERIFY(!titoli.first().contains(QStringLiteral("[OFFLINE]")));
        QVERIFY(!p.frame->windowTitle().contains(QStringLiteral("[OFFLINE]")));
        QTRY_COMPARE_WITH_TIMEOUT(pagine(), 3, 2000);
    }

    // The close box while a poll waits for its reply closes at the next tick.
    void chiusuraDuranteTransazione()
    {
        ProgrammaProva p;
        QVERIFY(p.Connetti({QStringLiteral("--delay-ms"), QStringLiteral("150")}));
        QTest::qWait(120);
        bool chiusoSubito = true;
        QTimer::singleShot(40, p.frame.get(), [&] {
            p.frame->close();
            chiusoSubito = p.frame->Chiuso();
        });
        QTRY_COMPARE_WITH_TIMEOUT(p.ctx.stato.UscitaRichiesta, quint8(1), 2000);
        QVERIFY(!chiusoSubito);
        QTRY_VERIFY_WITH_TIMEOUT(p.frame->Chiuso(), 5000);
        QCOMPARE(p.ctx.stato.StatoProgramma, int(StatoApp::Chiusura));
        QVERIFY(!p.frame->isVisible());
        // The communication process accepted the stop request and ended.
        QTRY_VERIFY_WITH_TIMEOUT(!p.ctx.link.ProcessoAttivo(), 3000);
        QVERIFY(!p.ui.Testi().join(QLatin1Char('\n')).contains(QStringLiteral("Error 010")));
    }

    // Closed by its close box or by a signal with the interpolation window
    // open, the program puts the ECU back before it goes, and says so only
    // once it has.
    void chiusuraInInterpolazione_data()
    {
        QTest::addColumn<bool>("segnale");
        QTest::newRow("close box") << false;
        QTest::newRow("SIGTERM") << true;
    }
    void chiusuraInInterpolazione()
    {
        QFETCH(bool, segnale);
        ProgrammaProva p;
        qint32 sensore = 0;
        QVERIFY(InInterpolazione(p, sensore));
        p.frame->MostraInterpolazione();
        const QString giornale = p.ctx.ripristino.PercorsoEcu();
        if (segnale) {
            gascal::SegnaliUscita::Installa();
            ::raise(SIGTERM);
        } else {
            p.frame->close();
        }
        QTRY_VERIFY_WITH_TIMEOUT(p.frame->Chiuso(), 15000);
        const QString chiusura = p.ctx.diz.TestoSezione(QStringLiteral("[Frm_Interpola]"), p.ctx.imp.FineGasSalvato > 0 ? 3 : 2);
        QVERIFY2(p.ui.Testi().contains(chiusura), qPrintable(p.ui.Testi().join('|')));
        QCOMPARE(p.banco.ValoreEcu(gascal::Contesto::RecConfig, 25), sensore);
        QVERIFY(!QFileInfo::exists(giornale));
    }

    // A journal left behind is put back at the next connection and told; the
    // page shows the ECU's sensor again.
    void giornaleAllaConnessione()
    {
        ProgrammaProva p;
        qint32 sensore = 0;
        QVERIFY(InInterpolazione(p, sensore));
        // As if the program had died here: the mode is forgotten, the file stays.
        p.ctx.ripristino.Rilascia();
        p.ctx.InterpolazioneAttiva = false;
        p.ctx.stato.ErroreComunicazione = 1;
        QTRY_VERIFY_WITH_TIMEOUT(!p.ui.Testi().isEmpty(), 20000);
        QVERIFY2(p.ui.Testi().last().contains(QStringLiteral("did not end")), qPrintable(p.ui.Testi().last()));
        QVERIFY(p.AttendiStato(StatoApp::Connesso));
        QCOMPARE(p.ctx.Valore(gascal::Contesto::RecConfig, 25), sensore);
        const auto *lista = p.frame->FrmConfig()->findChild<QComboBox *>(QStringLiteral("CmbTipoSensMap"));
        QVERIFY(lista);
        QVERIFY2(!lista->currentText().contains(QStringLiteral("Interpolation")), qPrintable(lista->currentText()));
        QVERIFY(!QFileInfo::exists(p.ctx.ripristino.PercorsoEcu()));
    }
};

GASCAL_PROVA(TstFrameConnessione)
#include "tst_frame_connessione.moc"
