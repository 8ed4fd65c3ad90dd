// The frame's connection against PrjCom and ecusim: search, offline, closing, the ECU put back.
#include "RegistroProve.h"
#include "ProgrammaProva.h"
#include "app/SegnaliUscita.h"
#include "app/TestoByte.h"
#include "interp/ModoInterpolazione.h"
#include "ui/common/Forma.h"
#include "ui/config/FrmConfig.h"
#include "ui/config/FrmConfig_2.h"
#include <QFileInfo>
#include <csignal>

using namespace gascal;

namespace {
// 1 when all three pages take edits, 0 when none does, -1 otherwise.
int Pagine(ProgrammaProva &p)
{
    const int n = p.frame->FrmConfig()->isEnabled() + p.frame->FrmConfig_2()->isEnabled() + p.frame->FrmRetta()->isEnabled();
    return n == 3 ? 1 : n == 0 ? 0 : -1;
}

// Connected, then in interpolation mode with its write done; `sensore` is the sensor code before.
bool InInterpolazione(ProgrammaProva &p, qint32 &sensore)
{
    if (!p.Connetti())
        return false;
    sensore = p.ctx.Valore(Contesto::RecConfig, 25);
    return ModoInterpolazione::Entra(p.ctx) && p.AttendiOperazione() && p.ctx.Valore(Contesto::RecConfig, 25) == 0
        && QFileInfo::exists(p.ctx.ripristino.PercorsoEcu());
}
} // namespace

class TstFrameConnessione : public QObject
{
    Q_OBJECT
private slots:
    // No ECU: the wait window searches and says why; offline the pages take no edits; Go finds an ECU.
    void ricercaOfflineERitorno()
    {
        ProgrammaProva p;
        p.banco.ScriviFile(QStringLiteral("PrjCom.ini"), "0=" + p.Link().toLocal8Bit() + "\n");
        const QString blk3 = QStringLiteral("4102206101020304050607080910111213141516171819202122232425262728FF");
        p.banco.ScriviFile(QStringLiteral("def.xar"), "[INFO]\r\ntest\r\n[BLK_3]\r\n" + blk3.toLatin1() + "\r\n");
        const QString atteso = QStringLiteral("Port 0 (%1): missing, the device does not exist").arg(p.Link());
        bool inRicerca = false;
        p.Quando([&] { return p.frame && p.frame->Attesa() && p.frame->Attesa()->LblDiagnosi->text().contains(atteso); }, [&] {
            FrmWait *a = p.frame->Attesa();
            inRicerca = a->isVisible() && a->AttivitaVisibile() && a->LblDiagnosi->isVisible() && a->CmdGo->isHidden()
                && a->LblDiagnosi->y() > a->ShpAttivita[0]->geometry().bottom() && Pagine(p) == 0 && p.frame->Barra()->isEnabled();
            QTest::mouseClick(a->CmdStop, Qt::LeftButton);
        });
        QVERIFY(p.AvviaProgramma());
        QVERIFY(p.AttendiStato(StatoApp::Offline, 15000));
        QVERIFY(inRicerca);
        QVERIFY(p.frame->windowTitle().endsWith(QStringLiteral("  - [OFFLINE]")));
        QTRY_VERIFY_WITH_TIMEOUT(p.frame->Attesa()->CmdGo->isVisible() && !p.frame->Attesa()->AttivitaVisibile(), 2000);
        QTRY_COMPARE_WITH_TIMEOUT(p.ctx.TabMsg.at(3).Immagine, HexToStr(blk3), 2000);
        QCOMPARE(p.ctx.stato.CaricaDefAvvio, quint8(0));
        QVERIFY(Pagine(p) == 0 && p.frame->Barra()->isEnabled());
        p.MostraPagina(MDIFrm::PagRetta);
        const auto retta = p.ctx.retta.Retta;
        QTest::keyClick(p.frame.get(), Qt::Key_F8);
        QCOMPARE(p.ctx.retta.Retta, retta);
        const auto boxPrima = p.ui.mostrati.size();
        p.ctx.stato.RichiediOperazione(Operazione::ScriviConfig); // dropped silently
        QTRY_COMPARE_WITH_TIMEOUT(p.ctx.stato.OperazioneRichiesta, Operazione::Nessuna, 1000);
        QVERIFY(p.ui.mostrati.size() == boxPrima && p.ctx.stato.StatoProgramma == StatoApp::Offline);
        // The search may find the ECU before a watcher sees it: the window's titles tell instead.
        QStringList titoli;
        connect(p.frame.get(), &QWidget::windowTitleChanged, this, [&](const QString &t) { titoli << t; });
        QCOMPARE(p.AvviaEcu(), QString());
        QTest::mouseClick(p.frame->Attesa()->CmdGo, Qt::LeftButton);
        QVERIFY(p.AttendiStato(StatoApp::Connesso, 20000));
        QVERIFY(!titoli.isEmpty() && !titoli.first().contains(QStringLiteral("[OFFLINE]")));
        QVERIFY(!p.frame->windowTitle().contains(QStringLiteral("[OFFLINE]")));
        QTRY_COMPARE_WITH_TIMEOUT(Pagine(p), 1, 2000);
        QTRY_VERIFY_WITH_TIMEOUT(p.frame->Attesa()->LblDiagnosi->text().isEmpty() && !p.frame->Attesa()->AttivitaVisibile(), 2000);
        // While connected the offline button says what it does and is no stop sign.
        QVERIFY(p.frame->Attesa()->CmdStop->text() == p.ctx.diz.Testo(6) && p.frame->Attesa()->CmdStop->icon().isNull());
    }
    // Power cut at a setting's write: the write is gone, a choice made meanwhile kept, the title for the same ECU only.
    void scrittureInAttesaScartate()
    {
        ProgrammaProva p;
        QVERIFY(p.Connetti({QStringLiteral("--exit-on"), QStringLiteral("17")}));
        QVERIFY(p.SalvaMappa(p.Percorso(QStringLiteral("Data/a.var"))));
        QComboBox *rpm = static_cast<FrmConfig *>(p.frame->FrmConfig())->Cmb[LogicaCommutazione::CmbSwtchRpm];
        const int prima = rpm->currentIndex(), altra = prima == 1 ? 2 : 1;
        const qint32 periodo = p.banco.ValoreEcu(Contesto::RecConfig, 15);
        rpm->setCurrentIndex(altra);
        emit rpm->activated(altra);
        QCOMPARE(p.ctx.stato.OperazioneRichiesta, Operazione::ScriviConfig);
        auto &logica = static_cast<FrmConfig_2 *>(p.frame->FrmConfig_2())->Logica;
        QVERIFY(p.Riconnetti([&] { logica.InvioPwm(LogicaIniettori::TxtPWMON, QStringLiteral("77")); }));
        QTRY_COMPARE_WITH_TIMEOUT(Pagine(p), 1, 2000);
        QTest::qWait(500);
        QVERIFY(!p.ctx.stato.OperazioneInAttesa() && p.ctx.code.ValoriDaScrivere.Vuota());
        QCOMPARE(p.banco.ValoreEcu(Contesto::RecConfig, 15), periodo);
        QVERIFY(p.banco.ValoreEcu(Contesto::RecConfig, LogicaIniettori::PosPwmOn) != 77);
        QCOMPARE(rpm->currentIndex(), prima);
        QVERIFY(p.frame->windowTitle().endsWith(QStringLiteral(" - [a.var] ")));
        QVERIFY(logica.InvioProduzione(0, QStringLiteral("4321")) && p.AttendiOperazione());
        QVERIFY(p.SalvaMappa(p.Percorso(QStringLiteral("Data/b.var"))) && p.Riconnetti());
        QCOMPARE(p.frame->windowTitle(), p.frame->TitoloBase());
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
        QVERIFY(p.ctx.stato.StatoProgramma == StatoApp::Chiusura && !p.frame->isVisible());
        // The communication process accepted the stop request and ended.
        QTRY_VERIFY_WITH_TIMEOUT(!p.ctx.link.ProcessoAttivo(), 3000);
        QVERIFY(!p.ui.Testi().join(QLatin1Char('\n')).contains(QStringLiteral("Error 010")));
    }
    // Closed by its close box or a signal in interpolation mode, the program puts the ECU back first.
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
            SegnaliUscita::Installa();
            ::raise(SIGTERM);
        } else {
            p.frame->close();
        }
        QTRY_VERIFY_WITH_TIMEOUT(p.frame->Chiuso(), 15000);
        const QString chiusura = p.ctx.diz.TestoSezione(QStringLiteral("[Frm_Interpola]"), p.ctx.imp.FineGasSalvato > 0 ? 3 : 2);
        const qsizetype detto = p.ui.Testi().indexOf(chiusura);
        QVERIFY2(detto >= 0 && p.ui.mostrati.at(detto).icona == ServiziUi::Icona::Informazione, qPrintable(p.ui.Testi().join('|')));
        QCOMPARE(p.banco.ValoreEcu(Contesto::RecConfig, 25), sensore);
        QVERIFY(!QFileInfo::exists(giornale));
    }
    // A journal left behind is put back at the next connection and told.
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
        QCOMPARE(p.ctx.Valore(Contesto::RecConfig, 25), sensore);
        const auto *lista = static_cast<FrmConfig *>(p.frame->FrmConfig())->Cmb[LogicaCommutazione::CmbTipoSensMap];
        QVERIFY2(!lista->currentText().contains(QStringLiteral("Interpolation")), qPrintable(lista->currentText()));
        QVERIFY(!QFileInfo::exists(p.ctx.ripristino.PercorsoEcu()));
    }
};

GASCAL_PROVA(TstFrameConnessione)
#include "tst_frame_connessione.moc"
