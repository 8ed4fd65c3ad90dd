// The frame under faults of map files: one message with the true cause, a
// title that names only files really saved or loaded, keys that wait for the
// operation, and a return to searching when the ECU goes dark.
#include "RegistroProve.h"
#include "ProgrammaProva.h"

#include "ui/common/PaginaEditor.h"
#include "ui/main/FrmBar.h"
#include "ui/main/FrmWait.h"

#include <QDir>
#include <QPushButton>
#include <QTest>

using namespace gascal;

namespace {

// A calibration line page that counts its keys.
class PaginaTasti : public PaginaEditor
{
public:
    void TastiRetta(int) override { ++tasti; }
    int tasti = 0;
};

} // namespace

class TstFrameMappeGuasti : public QObject
{
    Q_OBJECT

    static bool Avvia(ProgrammaProva &p, const QStringList &opzioni = {})
    {
        return p.AvviaEcu(opzioni).isEmpty() && p.AvviaProgramma() && p.AttendiStato(StatoApp::Connesso);
    }

    // Once the frame searches again, keeps what it showed and its title, and
    // brings the ECU back. The search does not return until the ECU answers,
    // so this runs from inside it.
    static void RiportaEcuInRicerca(ProgrammaProva &p, QStringList &testi, QString &titolo)
    {
        p.Quando([&p] { return p.ctx.stato.StatoProgramma == StatoApp::Ricerca; }, [&p, &testi, &titolo] {
            testi = p.ui.Testi();
            titolo = p.frame->windowTitle();
            QVERIFY(p.AvviaEcu().isEmpty());
        });
    }

    // A map file of the ECU with another value in its command block.
    static QByteArray Diverso(const QByteArray &mappa)
    {
        return BancoEcu::CambiaByte(mappa, "[BLK_2]", 10, 0x5A);
    }

private slots:
    // While an operation runs, F2 does not page (from the frame or the wait
    // window) and F5..F9 do not edit the line; afterwards they work again.
    void keysWaitForTheOperation()
    {
        ProgrammaProva p;
        QVERIFY(Avvia(p, {QStringLiteral("--delay-ms"), QStringLiteral("20")})); // a save long enough to type in
        auto *pagina = new PaginaTasti;
        p.frame->SostituisciPagina(MDIFrm::PagRetta, pagina);
        QTest::keyRelease(p.frame.get(), Qt::Key_F2);
        QTest::keyRelease(p.frame.get(), Qt::Key_F2);
        QCOMPARE(p.ctx.stato.PaginaCorrente, int(MDIFrm::PagRetta));

        int durante = -1;
        p.Quando([&] { return p.ctx.stato.StatoProgramma == StatoApp::Operazione; }, [&] {
            QTest::keyPress(p.frame.get(), Qt::Key_F5);
            QTest::keyRelease(p.frame.get(), Qt::Key_F5);
            QTest::keyRelease(p.frame.get(), Qt::Key_F2);
            QTest::keyRelease(p.frame->Attesa(), Qt::Key_F2);
            durante = p.ctx.stato.PaginaCorrente;
        });
        QVERIFY(p.SalvaMappa(p.Percorso(QStringLiteral("Data/a.var"))));
        QCOMPARE(durante, int(MDIFrm::PagRetta));
        QCOMPARE(pagina->tasti, 0);

        QTest::keyPress(p.frame.get(), Qt::Key_F5);
        QCOMPARE(pagina->tasti, 1);
        QTest::keyRelease(p.frame->Attesa(), Qt::Key_F2);
        QCOMPARE(p.ctx.stato.PaginaCorrente, int(MDIFrm::PagConfig));
    }

    void failedSaveShowsOneMessageAndKeepsTheTitle()
    {
        ProgrammaProva p;
        QVERIFY(Avvia(p));
        const QString titolo = p.frame->windowTitle();
        p.ui.fileDaSalvare.enqueue(p.Percorso(QStringLiteral("Data/none/cliente")));
        QTest::mouseClick(p.frame->Barra()->CmdMapSave, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(p.ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna, 10000);
        QCOMPARE(p.ui.mostrati.size(), 1);
        const auto box = p.ui.mostrati.first();
        QVERIFY2(box.testo.contains(QStringLiteral("none/cliente.var cannot be written: ")), qPrintable(box.testo));
        QCOMPARE(box.icona, ServiziUi::Icona::Critica);
        QCOMPARE(p.frame->windowTitle(), titolo);
        QCOMPARE(p.ctx.stato.TitoloFile, QString());

        // Without an extension a map gets ".var", and names the window once saved.
        p.ui.mostrati.clear();
        QVERIFY(p.SalvaMappa(p.Percorso(QStringLiteral("Data/cliente_golf"))));
        QVERIFY(QFile::exists(p.Percorso(QStringLiteral("Data/cliente_golf.var"))));
        QVERIFY(p.frame->windowTitle().endsWith(QStringLiteral(" - [cliente_golf.var] ")));

        // A refused load gives the title back as it was.
        const QString salvato = p.frame->windowTitle();
        p.banco.ScriviFile(QStringLiteral("Data/rotta.var"), "[BLK_2]\r\n41\r\n");
        p.ui.mostrati.clear();
        p.ApriMappa(p.Percorso(QStringLiteral("Data/rotta.var")));
        QTRY_COMPARE_WITH_TIMEOUT(p.ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna, 10000);
        QCOMPARE(p.ui.mostrati.size(), 1);
        QCOMPARE(p.frame->windowTitle(), salvato);
    }

    // The ECU goes dark at block 5 of a load: one message says which blocks
    // it holds from the file, the program searches again and finds the ECU
    // when it is back.
    void powerCutDuringLoad()
    {
        ProgrammaProva p;
        QVERIFY(Avvia(p, {QStringLiteral("--exit-on"), QStringLiteral("50")}));
        QVERIFY(p.SalvaMappa(p.Percorso(QStringLiteral("Data/a.var"))));
        const QString titolo = p.frame->windowTitle();
        p.banco.ScriviFile(QStringLiteral("Data/b.var"), Diverso(p.banco.LeggiFile(QStringLiteral("Data/a.var"))));
        p.ui.mostrati.clear();
        QStringList testi;
        QString titoloInRicerca;
        RiportaEcuInRicerca(p, testi, titoloInRicerca);
        p.RispondiConfronto(true);
        p.ApriMappa(p.Percorso(QStringLiteral("Data/b.var")));
        QVERIFY(QTest::qWaitFor([&] { return !testi.isEmpty() && p.ctx.stato.StatoProgramma == StatoApp::Connesso; },
                                30000));
        QCOMPARE(testi.size(), 1);
        QVERIFY2(testi.first().contains(QStringLiteral("Blocks written from the file: [BLK_2], [BLK_3].")),
                 qPrintable(testi.first()));
        QCOMPARE(titoloInRicerca, titolo);
        QCOMPARE(QDir(p.Percorso(QStringLiteral("Data/backup"))).entryList(QDir::Files).size(), 1);
    }

    void powerCutDuringSave()
    {
        ProgrammaProva p;
        QVERIFY(Avvia(p, {QStringLiteral("--exit-on"), QStringLiteral("49:2")}));
        p.banco.ScriviFile(QStringLiteral("Data/m.var"), "old map\r\n");
        p.ui.mostrati.clear();
        p.ui.fileDaSalvare.enqueue(p.Percorso(QStringLiteral("Data/m.var")));
        p.ui.risposte.enqueue(ServiziUi::Risposta::Si);
        QStringList testi;
        QString titoloInRicerca;
        RiportaEcuInRicerca(p, testi, titoloInRicerca);
        QTest::mouseClick(p.frame->Barra()->CmdMapSave, Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return !testi.isEmpty() && p.ctx.stato.StatoProgramma == StatoApp::Connesso; },
                                30000));
        // The overwrite question, then the one failure message.
        QCOMPARE(testi.size(), 2);
        QCOMPARE(testi.last(), p.ctx.diz.Testo(1));
        QCOMPARE(p.banco.LeggiFile(QStringLiteral("Data/m.var")), QByteArray("old map\r\n"));
        QVERIFY(!titoloInRicerca.contains(QStringLiteral("m.var")));
    }
};

GASCAL_PROVA(TstFrameMappeGuasti)
#include "tst_frame_mappe_guasti.moc"
