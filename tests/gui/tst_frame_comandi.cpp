// The command bar and the page cycle on a frame connected to ecusim: pages,
// the information box, languages, keys during an operation, and map files
// saved, refused and compared before a write. The map faults themselves are
// tried in tests/cli/tst_mappa_guasti; here, what the frame shows of them.
#include "RegistroProve.h"
#include "ProgrammaProva.h"

#include "ui/config/FrmConfig.h"
#include "ui/config/FrmConfig_2.h"
#include "ui/line/FrmRetta.h"
#include "ui/main/FrmConfronto.h"

#include <QApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTableWidget>

using namespace gascal;

namespace {

// A calibration line page that counts its keys.
class PaginaTasti : public PaginaEditor
{
public:
    void TastiRetta(int) override { ++tasti; }
    int tasti = 0;
};

int Backup(ProgrammaProva &p)
{
    return int(QDir(p.Percorso(QStringLiteral("Data/backup"))).entryList(QDir::Files).size());
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

    void cicloPagine()
    {
        MDIFrm &f = *p->frame;
        QWidget *pagine[] = {f.FrmConfig(), f.FrmConfig_2(), f.FrmRetta()};
        auto mostrata = [&](int n) {
            return p->ctx.stato.PaginaCorrente == n && pagine[0]->isVisible() == (n == 0)
                && pagine[1]->isVisible() == (n == 1) && pagine[2]->isVisible() == (n == 2);
        };
        QVERIFY(mostrata(0));
        QCOMPARE(pagine[0]->x(), f.Barra()->width()); // right of the bar
        // Each page shown is refreshed from the ECU's values.
        ListaScelte &alimentazione = static_cast<FrmConfig_2 *>(pagine[1])->Logica.Liste[LogicaIniettori::CmbTipoAlim];
        alimentazione.Selezione = -1;
        QTest::mouseClick(f.Barra()->CmdPage, Qt::LeftButton);
        QVERIFY(mostrata(1));
        QCOMPARE(alimentazione.Selezione, 0);
        // F2 released anywhere in the frame turns the page too; the line
        // page reloads the line from the ECU's images.
        p->ctx.retta.Retta[0] = 99;
        QTest::keyRelease(&f, Qt::Key_F2);
        QVERIFY(mostrata(2));
        QCOMPARE(p->ctx.retta.Retta[0], p->ctx.Valore(6, 0));
        ListaScelte &fattore = static_cast<FrmConfig *>(pagine[0])->Logica.Liste[LogicaCommutazione::CmbFattore];
        fattore.Selezione = -1;
        QTest::keyRelease(f.Barra(), Qt::Key_F2);
        QVERIFY(mostrata(0));
        QCOMPARE(fattore.Selezione, 0);
    }

    // The information box: the versions, the ECU's identity and production
    // data, and the port in use.
    void finestraInformazioni()
    {
        p->ui.mostrati.clear();
        QTest::mouseClick(p->frame->Barra()->CmdInfo, Qt::LeftButton);
        QCOMPARE(p->ui.mostrati.size(), 1);
        const QStringList righe = p->ui.mostrati.first().testo.split(QStringLiteral("\r\n"));
        QCOMPARE(righe.size(), 13);
        QCOMPARE(righe.mid(0, 3), (QStringList{Sezione(5), QString(), QStringLiteral("PC  : 1.28 - 28/11/14")}));
        QVERIFY2(QRegularExpression(QStringLiteral("^ECU : (?!00\\.00)\\d\\d\\.\\d\\d - \\d\\d/\\d\\d/\\d{4} ")).match(righe.at(4)).hasMatch(),
                 qPrintable(righe.at(4)));
        QVERIFY2(righe.at(8).startsWith(QStringLiteral("DATA: 1234 ")), qPrintable(righe.at(8)));
        const auto testo2 = [this](int k) { return p->ctx.diz.TestoSezione(QStringLiteral("[Frm_Barra_2]"), k); };
        QVERIFY(righe.at(10).startsWith(testo2(23) + QStringLiteral(": ") + testo2(24) + QStringLiteral(" 1234, ")));
        QCOMPARE(righe.at(12), testo2(31) + QStringLiteral(": 0 (") + p->Link() + QLatin1Char(')'));
    }

    // A language takes the frame's title and texts; Thai its font everywhere.
    void lingueEFont()
    {
        FrmBar &bar = *p->frame->Barra();
        const QString tip = bar.CmdPage->toolTip();
        bar.CmdLingua->click();
        QCOMPARE(p->ctx.diz.LinguaCorrente, int(Dizionario::Italiano));
        QVERIFY(p->frame->windowTitle().startsWith(p->ctx.diz.Testo(0) + QStringLiteral(" - 1.28 - 28/11/14")));
        QVERIFY(bar.CmdPage->toolTip() == Sezione(1) && bar.CmdPage->toolTip() != tip);
        for (int i = 0; i < 3; ++i)
            bar.CmdLingua->click();
        QCOMPARE(p->ctx.diz.FontNome, QStringLiteral("Loma"));
        for (QWidget *w : std::initializer_list<QWidget *>{bar.CmdInfo, bar.LblRpmVal, p->frame->PaginaRetta()->LblParaRetta,
                                                            static_cast<FrmConfig *>(p->frame->FrmConfig())->LblFattore,
                                                            static_cast<FrmConfig_2 *>(p->frame->FrmConfig_2())->Cmb[0]})
            QCOMPARE(w->font().family(), QStringLiteral("Loma"));
        for (int i = 0; i < 2; ++i)
            bar.CmdLingua->click();
        QCOMPARE(bar.CmdPage->toolTip(), tip);
    }

    // Saved, refused and loaded map files: one message with the cause, and a
    // title that names only a file really saved or loaded.
    void fileMappa()
    {
        const QString titolo = p->frame->windowTitle();
        p->ui.mostrati.clear();
        p->ui.fileDaSalvare.enqueue(p->Percorso(QStringLiteral("Data/none/cliente")));
        QTest::mouseClick(p->frame->Barra()->CmdMapSave, Qt::LeftButton);
        QVERIFY(p->AttendiOperazione());
        QCOMPARE(p->ui.mostrati.size(), 1);
        QVERIFY2(p->ui.mostrati.first().testo.contains(QStringLiteral("none/cliente.var cannot be written: ")),
                 qPrintable(p->ui.mostrati.first().testo));
        QCOMPARE(p->ui.mostrati.first().icona, ServiziUi::Icona::Critica);
        QCOMPARE(p->frame->windowTitle(), titolo);
        QCOMPARE(p->ctx.stato.TitoloFile, QString());

        // Without an extension a map gets ".var", and names the window once saved.
        QVERIFY(p->SalvaMappa(p->Percorso(QStringLiteral("Data/cliente"))));
        QCOMPARE(p->ui.filtriMostrati.last(), QStringLiteral("View Files  (*.var)|*.var|All Files  (*.*)|*.*"));
        QVERIFY(p->frame->windowTitle().endsWith(QStringLiteral(" - [cliente.var] ")));
        const QString salvato = p->frame->windowTitle();
        // The overwrite question answered No: nothing is asked of the ECU.
        const QString percorso = p->Percorso(QStringLiteral("Data/cliente.var"));
        const QByteArray cliente = p->banco.LeggiFile(QStringLiteral("Data/cliente.var"));
        p->ui.mostrati.clear();
        p->ui.fileDaSalvare.enqueue(percorso);
        p->ui.risposte.enqueue(ServiziUi::Risposta::No);
        QTest::mouseClick(p->frame->Barra()->CmdMapSave, Qt::LeftButton);
        QCOMPARE(p->ui.Testi(), QStringList{percorso + QStringLiteral("\r\n") + Sezione(6) + QStringLiteral("\r\n") + Sezione(7)});
        QCOMPARE(p->ui.mostrati.first().predefinito, ServiziUi::Risposta::No);
        QCOMPARE(p->ctx.stato.OperazioneRichiesta, Operazione::Nessuna);

        // A damaged file is refused before any transaction; the title goes back.
        p->banco.ScriviFile(QStringLiteral("Data/rotta.var"), "[INFO]\r\nx\r\n[BLK_2]\r\n41\r\n");
        p->ui.mostrati.clear();
        QVERIFY(Carica(QStringLiteral("Data/rotta.var")));
        QCOMPARE(p->ui.mostrati.size(), 1);
        QVERIFY(p->ui.mostrati.first().testo.startsWith(p->ctx.diz.Testo(10)));
        QCOMPARE(p->frame->windowTitle(), salvato);
        QCOMPARE(p->ctx.stato.ErroreComunicazione, quint8(0));
        QCOMPARE(p->ctx.stato.StatoProgramma, int(StatoApp::Connesso));

        // A file that changes the switch-over temperature and line point 10:
        // the compare window lists both; Cancel writes nothing, backs up nothing.
        const qint32 temperatura = p->banco.ValoreEcu(3, 0);
        const QByteArray nuova = BancoEcu::CambiaByte(
            BancoEcu::CambiaByte(cliente, "[BLK_3]", 6, quint8(temperatura + 5)), "[MAP_0]", 5 + 1 + 10, 9);
        p->banco.ScriviFile(QStringLiteral("Data/nuova.var"), nuova);
        p->ui.mostrati.clear();
        QStringList righe;
        p->RispondiConfronto(false, &righe);
        QVERIFY(Carica(QStringLiteral("Data/nuova.var")));
        // A saved map turns the pedestal guard on, which this ECU has off.
        QCOMPARE(righe, (QStringList{QStringLiteral("switch-temp: %1 | %2").arg(temperatura).arg(temperatura + 5),
                                     QStringLiteral("pedestal-guard: 0 | 1"),
                                     QStringLiteral("line[10]: %1 | 9").arg(qint8(p->banco.ValoreEcu(6, 10)))}));
        QVERIFY(p->ui.mostrati.isEmpty());
        QCOMPARE(p->banco.ValoreEcu(3, 0), temperatura);
        QCOMPARE(p->ctx.Valore(Contesto::RecConfig, 0), temperatura);
        QCOMPARE(Backup(*p), 0);
        QCOMPARE(p->frame->windowTitle(), salvato);
        // Write: the load goes on, with its backup.
        p->RispondiConfronto(true);
        QVERIFY(Carica(QStringLiteral("Data/nuova.var")));
        QVERIFY(p->AttendiStato(StatoApp::Connesso));
        QTRY_COMPARE_WITH_TIMEOUT(p->banco.ValoreEcu(3, 0), temperatura + 5, 15000);
        QCOMPARE(Backup(*p), 1);
        QVERIFY(p->frame->windowTitle().contains(QStringLiteral("nuova.var")));
        // The same file again: no differences, and Cancel is the default.
        bool vuota = false, annullaPredefinito = false;
        p->Quando([] { return qobject_cast<FrmConfronto *>(QApplication::activeModalWidget()) != nullptr; }, [&] {
            auto *f = qobject_cast<FrmConfronto *>(QApplication::activeModalWidget());
            vuota = f->TabDifferenze->rowCount() == 0 && f->TabDifferenze->isHidden();
            annullaPredefinito = f->CmdAnnulla->isDefault();
            ProgrammaProva::Foto(f, QStringLiteral("compare-before-write"));
            f->CmdAnnulla->click();
        });
        QVERIFY(Carica(QStringLiteral("Data/nuova.var")));
        QVERIFY(vuota && annullaPredefinito);
    }

    // While an operation runs, F2 does not page (from the frame or the wait
    // window) and F5..F9 do not edit the line; afterwards they work again.
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
        QVERIFY(q.SalvaMappa(q.Percorso(QStringLiteral("Data/a.var"))));
        QCOMPARE(durante, int(MDIFrm::PagRetta));
        QCOMPARE(pagina->tasti, 0);
        QTest::keyPress(q.frame.get(), Qt::Key_F5);
        QCOMPARE(pagina->tasti, 1);
        QTest::keyRelease(q.frame->Attesa(), Qt::Key_F2);
        QCOMPARE(q.ctx.stato.PaginaCorrente, int(MDIFrm::PagConfig));
    }
};

GASCAL_PROVA(TstFrameComandi)
#include "tst_frame_comandi.moc"
