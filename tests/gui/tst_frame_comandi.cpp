// The command bar and page cycle on a frame connected to ecusim: info box, keys, map files, the wheel, boxes.
#include "RegistroProve.h"
#include "ProgrammaProva.h"
#include "ui/config/FrmConfig.h"
#include "ui/config/FrmConfig_2.h"
#include "ui/config/GruppoLivello.h"
#include "ui/main/FrmConfronto.h"
#include <QApplication>
#include <QDir>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest/qtestspontaneevent.h>

using namespace gascal;
using R = ServiziUi::Risposta;

namespace {
// A calibration line page that counts its keys.
class PaginaTasti : public PaginaEditor
{
public:
    void TastiRetta(int) override { ++tasti; }
    int tasti = 0;
};

// Wheel notches as the window system delivers them (on to the parents when not taken); down is positive.
void Rotella(QWidget *w, int scatti)
{
    const QPointF centro = QRectF(w->rect()).center();
    QWheelEvent e(centro, w->mapToGlobal(centro), QPoint(), QPoint(0, -120 * scatti), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&e);
    QApplication::instance()->notify(w, &e);
}
} // namespace

class TstFrameComandi : public QObject
{
    Q_OBJECT
    std::unique_ptr<ProgrammaProva> p;
    QString Sezione(int k) const { return p->ctx.diz.TestoSezione(QStringLiteral("[Frm_Barra]"), k); }
    // Opens a map file through the bar and waits until the operation ended.
    bool Carica(const QString &nome)
    {
        p->ApriMappa(p->Percorso(nome));
        return p->AttendiOperazione();
    }

private slots:
    void initTestCase()
    {
        p = std::make_unique<ProgrammaProva>();
        QVERIFY(p->Connetti());
    }
    void cleanupTestCase() { p.reset(); }

    // The page button and F2 anywhere turn the pages; each page shown is refreshed from the ECU.
    void cicloPagine()
    {
        MDIFrm &f = *p->frame;
        QWidget *pagine[] = {f.FrmConfig(), f.FrmConfig_2(), f.FrmRetta()};
        auto mostrata = [&](int n) {
            return p->ctx.stato.PaginaCorrente == n && pagine[0]->isVisible() == (n == 0)
                && pagine[1]->isVisible() == (n == 1) && pagine[2]->isVisible() == (n == 2);
        };
        QVERIFY(mostrata(0) && pagine[0]->x() == f.Barra()->width()); // right of the bar
        ListaScelte &alimentazione = static_cast<FrmConfig_2 *>(pagine[1])->Logica.Liste[LogicaIniettori::CmbTipoAlim];
        alimentazione.Selezione = -1;
        QTest::mouseClick(f.Barra()->CmdPage, Qt::LeftButton);
        QVERIFY(mostrata(1) && alimentazione.Selezione == 0);
        p->ctx.retta.Retta[0] = 99;
        QTest::keyRelease(&f, Qt::Key_F2);
        QVERIFY(mostrata(2) && p->ctx.retta.Retta[0] == p->ctx.Valore(6, 0));
        ListaScelte &fattore = static_cast<FrmConfig *>(pagine[0])->Logica.Liste[LogicaCommutazione::CmbFattore];
        fattore.Selezione = -1;
        QTest::keyRelease(f.Barra(), Qt::Key_F2);
        QVERIFY(mostrata(0) && fattore.Selezione == 0);
    }
    // The information box: versions, the ECU's identity and production data, the port.
    void finestraInformazioni()
    {
        p->ui.mostrati.clear();
        QTest::mouseClick(p->frame->Barra()->CmdInfo, Qt::LeftButton);
        const QStringList righe = p->ui.mostrati.value(0).testo.split(QStringLiteral("\r\n"));
        QVERIFY(p->ui.mostrati.size() == 1 && righe.size() == 13);
        QCOMPARE(righe.mid(0, 3), (QStringList{Sezione(5), QString(), QStringLiteral("PC  : 1.28 - 28/11/14")}));
        QVERIFY2(QRegularExpression(QStringLiteral("^ECU : (?!00\\.00)\\d\\d\\.\\d\\d - \\d\\d/\\d\\d/\\d{4} ")).match(righe.at(4)).hasMatch(),
                 qPrintable(righe.at(4)));
        QVERIFY2(righe.at(8).startsWith(QStringLiteral("DATA: 1234 ")), qPrintable(righe.at(8)));
        const auto testo2 = [this](int k) { return p->ctx.diz.TestoSezione(QStringLiteral("[Frm_Barra_2]"), k); };
        QVERIFY(righe.at(10).startsWith(testo2(23) + QStringLiteral(": ") + testo2(24) + QStringLiteral(" 1234, ")));
        QCOMPARE(righe.at(12), testo2(31) + QStringLiteral(": 0 (") + p->Link() + QLatin1Char(')'));
    }
    // Saved, refused and loaded map files: one message with the cause; the title names only a real file.
    void fileMappa()
    {
        const QString titolo = p->frame->windowTitle();
        p->ui.mostrati.clear();
        p->ui.fileDaSalvare.enqueue(p->Percorso(QStringLiteral("Data/none/cliente")));
        QTest::mouseClick(p->frame->Barra()->CmdMapSave, Qt::LeftButton);
        QVERIFY(p->AttendiOperazione() && p->ui.mostrati.size() == 1);
        QVERIFY(p->ui.mostrati.first().testo.contains(QStringLiteral("none/cliente.var cannot be written: ")));
        QVERIFY(p->ui.mostrati.first().icona == ServiziUi::Icona::Critica && p->frame->windowTitle() == titolo);
        QVERIFY(p->ctx.stato.TitoloFile.isEmpty());
        // Without an extension a map gets ".var", and names the window once saved.
        QVERIFY(p->SalvaMappa(p->Percorso(QStringLiteral("Data/cliente"))));
        QCOMPARE(p->ui.filtriMostrati.last(), QStringLiteral("View Files  (*.var)|*.var|All Files  (*.*)|*.*"));
        const QString salvato = p->frame->windowTitle();
        QVERIFY(salvato.endsWith(QStringLiteral(" - [cliente.var] ")));
        // The overwrite question answered No: nothing is asked of the ECU.
        const QString percorso = p->Percorso(QStringLiteral("Data/cliente.var"));
        const QByteArray cliente = p->banco.LeggiFile(QStringLiteral("Data/cliente.var"));
        p->ui.mostrati.clear();
        p->ui.fileDaSalvare.enqueue(percorso);
        p->ui.risposte.enqueue(R::No);
        QTest::mouseClick(p->frame->Barra()->CmdMapSave, Qt::LeftButton);
        QCOMPARE(p->ui.Testi(), QStringList{percorso + QStringLiteral("\r\n") + Sezione(6) + QStringLiteral("\r\n") + Sezione(7)});
        QVERIFY(p->ui.mostrati.first().predefinito == R::No && p->ctx.stato.OperazioneRichiesta == Operazione::Nessuna);
        // A file changing the switch-over temperature and line point 10: Cancel writes and backs up nothing.
        const auto backup = [this] { return QDir(p->Percorso(QStringLiteral("Data/backup"))).entryList(QDir::Files).size(); };
        const qint32 temperatura = p->banco.ValoreEcu(3, 0);
        p->banco.ScriviFile(QStringLiteral("Data/nuova.var"),
                            BancoEcu::CambiaByte(BancoEcu::CambiaByte(cliente, "[BLK_3]", 6, quint8(temperatura + 5)), "[MAP_0]", 16, 9));
        QStringList righe;
        p->ui.mostrati.clear();
        p->RispondiConfronto(false, &righe);
        QVERIFY(Carica(QStringLiteral("Data/nuova.var")));
        // The setting, the line point and the pedestal guard a save turns on, page by page.
        QCOMPARE(righe.size(), 3);
        QCOMPARE(righe.at(0), QStringLiteral("Temperature: %1 °C | %2 °C").arg(temperatura).arg(temperatura + 5));
        QVERIFY(p->ui.mostrati.isEmpty() && backup() == 0 && p->frame->windowTitle() == salvato);
        QVERIFY(p->banco.ValoreEcu(3, 0) == temperatura && p->ctx.Valore(Contesto::RecConfig, 0) == temperatura);
        // Write: the load goes on, with its backup.
        p->RispondiConfronto(true);
        QVERIFY(Carica(QStringLiteral("Data/nuova.var")));
        QVERIFY(p->AttendiStato(StatoApp::Connesso));
        QTRY_COMPARE_WITH_TIMEOUT(p->banco.ValoreEcu(3, 0), temperatura + 5, 15000);
        QVERIFY(backup() == 1 && p->frame->windowTitle().contains(QStringLiteral("nuova.var")));
        // The same file again: no differences, and Cancel is the default.
        bool vuota = false;
        p->Quando([] { return qobject_cast<FrmConfronto *>(QApplication::activeModalWidget()); }, [&] {
            auto *f = qobject_cast<FrmConfronto *>(QApplication::activeModalWidget());
            vuota = f->TabDifferenze->rowCount() == 0 && f->TabDifferenze->isHidden() && f->CmdAnnulla->isDefault();
            f->CmdAnnulla->click();
        });
        QVERIFY(Carica(QStringLiteral("Data/nuova.var")) && vuota);
    }
    // Without the focus the wheel scrolls the page; a focused list turns and writes; a mark never moves.
    void rotellaSoloConIlFuoco()
    {
        p->frame->resize(520, 360);
        p->MostraPagina(MDIFrm::PagConfig);
        QScrollBar *scorrimento = p->frame->Scorrimento()->verticalScrollBar();
        QTRY_VERIFY(scorrimento->maximum() > 0);
        scorrimento->setValue(0);
        QComboBox *rpm = static_cast<FrmConfig *>(p->frame->FrmConfig())->Cmb[LogicaCommutazione::CmbSwtchRpm];
        const int prima = rpm->currentIndex(), scatto = prima + 1 < rpm->count() ? 1 : -1;
        Rotella(rpm, scatto);
        QVERIFY(rpm->currentIndex() == prima && p->ctx.stato.OperazioneRichiesta == Operazione::Nessuna);
        QVERIFY(scorrimento->value() > 0);
        p->frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p->frame.get()));
        rpm->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(rpm->hasFocus());
        const qint32 periodo = p->banco.ValoreEcu(Contesto::RecConfig, 15);
        Rotella(rpm, scatto);
        QCOMPARE(rpm->currentIndex(), prima + scatto);
        QTRY_VERIFY_WITH_TIMEOUT(p->banco.ValoreEcu(Contesto::RecConfig, 15) != periodo, 10000);
        p->frame->CmdPage_Click();
        QScrollBar *marca = static_cast<FrmConfig_2 *>(p->frame->FrmConfig_2())->Livello->HScrLevel[0];
        const int valore = marca->value();
        for (int scatti : {3, -3}) {
            Rotella(marca, scatti);
            QVERIFY(marca->value() == valore && p->ctx.stato.OperazioneRichiesta == Operazione::Nessuna);
        }
    }
    // During an operation F2 does not page and F5..F9 do not edit the line; afterwards they do.
    void tastiDuranteLeOperazioni()
    {
        p.reset();
        ProgrammaProva q;
        QVERIFY(q.Connetti({QStringLiteral("--delay-ms"), QStringLiteral("20")})); // a save long enough to type in
        auto *pagina = new PaginaTasti;
        q.frame->SostituisciPagina(MDIFrm::PagRetta, pagina);
        q.MostraPagina(MDIFrm::PagRetta);
        int durante = -1;
        q.Quando([&] { return q.ctx.stato.StatoProgramma == StatoApp::Operazione; }, [&] {
            QTest::keyPress(q.frame.get(), Qt::Key_F5);
            QTest::keyRelease(q.frame.get(), Qt::Key_F5);
            QTest::keyRelease(q.frame.get(), Qt::Key_F2);
            QTest::keyRelease(q.frame->Attesa(), Qt::Key_F2);
            durante = q.ctx.stato.PaginaCorrente;
        });
        QVERIFY(q.SalvaMappa(q.Percorso(QStringLiteral("Data/a.var"))) && durante == MDIFrm::PagRetta && pagina->tasti == 0);
        QTest::keyPress(q.frame.get(), Qt::Key_F5);
        QCOMPARE(pagina->tasti, 1);
        QTest::keyRelease(q.frame->Attesa(), Qt::Key_F2);
        QCOMPARE(q.ctx.stato.PaginaCorrente, int(MDIFrm::PagConfig));
    }
};

GASCAL_PROVA(TstFrameComandi)
#include "tst_frame_comandi.moc"
