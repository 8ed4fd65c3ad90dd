// The compare window before a map file is written into the ECU: it lists what
// the load changes by setting, Cancel writes nothing (no backup either), Write
// goes on with the load and its backup. A screenshot goes to the folder named
// by GASCAL_SCREENSHOTS, when set.
#include "RegistroProve.h"
#include "ProgrammaProva.h"

#include "ui/main/FrmBar.h"
#include "ui/main/FrmConfronto.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace gascal;

class TstConfrontoScrittura : public QObject
{
    Q_OBJECT

    // Opens a map file through the bar and waits until the operation ended.
    static bool Carica(ProgrammaProva &p, const QString &percorso)
    {
        p.ApriMappa(percorso);
        return QTest::qWaitFor([&] { return p.ctx.stato.OperazioneRichiesta == gascal::Operazione::Nessuna; }, 15000);
    }
    static int Backup(ProgrammaProva &p)
    {
        return int(QDir(p.Percorso(QStringLiteral("Data/backup"))).entryList(QDir::Files).size());
    }

private slots:
    void cancelWritesNothingAndWriteLoads()
    {
        ProgrammaProva p;
        QVERIFY(p.AvviaEcu().isEmpty());
        QVERIFY(p.AvviaProgramma() && p.AttendiStato(StatoApp::Connesso));
        QVERIFY(p.SalvaMappa(p.Percorso(QStringLiteral("Data/cliente.var"))));
        const QByteArray cliente = p.banco.LeggiFile(QStringLiteral("Data/cliente.var"));
        // switch-temp (byte 6 of the configuration block) and line point 10.
        const qint32 temperatura = p.banco.ValoreEcu(3, 0);
        const QByteArray nuova = BancoEcu::CambiaByte(
            BancoEcu::CambiaByte(cliente, "[BLK_3]", 6, quint8(temperatura + 5)), "[MAP_0]", 5 + 1 + 10, 9);
        p.banco.ScriviFile(QStringLiteral("Data/nuova.var"), nuova);
        const QString titolo = p.frame->windowTitle();
        p.ui.mostrati.clear();

        // Cancel: the window listed both changes, nothing was written or backed up.
        QStringList righe;
        p.RispondiConfronto(false, &righe);
        QVERIFY(Carica(p, p.Percorso(QStringLiteral("Data/nuova.var"))));
        // A saved map turns the pedestal guard on, which this ECU has off.
        QCOMPARE(righe, (QStringList{QStringLiteral("switch-temp: %1 | %2").arg(temperatura).arg(temperatura + 5),
                                     QStringLiteral("pedestal-guard: 0 | 1"),
                                     QStringLiteral("line[10]: %1 | 9").arg(qint8(p.banco.ValoreEcu(6, 10)))}));
        QCOMPARE(p.ui.mostrati.size(), 0);
        QCOMPARE(p.banco.ValoreEcu(3, 0), temperatura);
        QCOMPARE(Backup(p), 0);
        QCOMPARE(p.frame->windowTitle(), titolo);
        QCOMPARE(p.ctx.stato.StatoProgramma, int(StatoApp::Connesso));
        // The comparison left the pages' values as the ECU's.
        QCOMPARE(p.ctx.Valore(Contesto::RecConfig, 0), temperatura);

        // Write: the load goes on, with its backup.
        p.RispondiConfronto(true);
        QVERIFY(Carica(p, p.Percorso(QStringLiteral("Data/nuova.var"))));
        QTRY_COMPARE_WITH_TIMEOUT(p.banco.ValoreEcu(3, 0), temperatura + 5, 15000);
        QCOMPARE(Backup(p), 1);
        QVERIFY(p.frame->windowTitle().contains(QStringLiteral("nuova.var")));
    }

    void sameSetupAndScreenshot()
    {
        ProgrammaProva p;
        QVERIFY(p.AvviaEcu().isEmpty());
        QVERIFY(p.AvviaProgramma() && p.AttendiStato(StatoApp::Connesso));
        QVERIFY(p.SalvaMappa(p.Percorso(QStringLiteral("Data/uguale.var"))));
        // Written once, the ECU holds what the file holds.
        p.RispondiConfronto(true);
        QVERIFY(Carica(p, p.Percorso(QStringLiteral("Data/uguale.var"))));
        QVERIFY(p.AttendiStato(StatoApp::Connesso));
        // The window is looked at while it is open, then cancelled.
        bool vuota = false;
        QString domanda;
        p.Quando([] { return qobject_cast<FrmConfronto *>(QApplication::activeModalWidget()) != nullptr; }, [&] {
            auto *f = qobject_cast<FrmConfronto *>(QApplication::activeModalWidget());
            vuota = f->TabDifferenze->rowCount() == 0 && f->TabDifferenze->isHidden();
            domanda = f->LblDomanda->text();
            QVERIFY(f->CmdAnnulla->isDefault());
            f->CmdAnnulla->click();
        });
        QVERIFY(Carica(p, p.Percorso(QStringLiteral("Data/uguale.var"))));
        QVERIFY(vuota);
        QCOMPARE(domanda, p.ctx.diz.TestoSezione(QStringLiteral("[Frm_Confronto]"), 3));

        const QString cartella = qEnvironmentVariable("GASCAL_SCREENSHOTS");
        if (cartella.isEmpty())
            return;
        QByteArray cambiata = p.banco.LeggiFile(QStringLiteral("Data/uguale.var"));
        for (int pos : {6, 7, 26})
            cambiata = BancoEcu::CambiaByte(cambiata, "[BLK_3]", pos, 0x30);
        for (int punto : {8, 9, 10, 11})
            cambiata = BancoEcu::CambiaByte(cambiata, "[MAP_0]", 5 + 1 + punto, quint8(punto));
        p.banco.ScriviFile(QStringLiteral("Data/cliente_golf.var"), cambiata);
        p.Quando([] { return qobject_cast<FrmConfronto *>(QApplication::activeModalWidget()) != nullptr; }, [&] {
            auto *f = qobject_cast<FrmConfronto *>(QApplication::activeModalWidget());
            QTest::qWait(100);
            f->grab().save(QDir(cartella).filePath(QStringLiteral("compare-before-write.png")));
            f->CmdAnnulla->click();
        });
        QVERIFY(Carica(p, p.Percorso(QStringLiteral("Data/cliente_golf.var"))));
    }
};

GASCAL_PROVA(TstConfrontoScrittura)
#include "tst_confronto_scrittura.moc"
