// The frame when the communication process dies under it: the process is
// started again, the user is told once, and the ECU is found again.
#include "RegistroProve.h"
#include "ProgrammaProva.h"

#include "link/Collegamento.h"
#include "ui/common/PaginaEditor.h"
#include "interp/ModoInterpolazione.h"
#include "app/SegnaliUscita.h"

#include <QComboBox>
#include <QFileInfo>

#include <QTest>

#include <csignal>

using gascal::StatoApp;

class TstFrameGuasti : public QObject
{
    Q_OBJECT
    // The program connected, then in interpolation mode with the write done;
    // `sensore` is the pressure-sensor code the ECU had before.
    static bool InInterpolazione(ProgrammaProva &p, qint32 &sensore)
    {
        if (!p.AvviaEcu().isEmpty() || !p.AvviaProgramma() || !p.AttendiStato(StatoApp::Connesso))
            return false;
        sensore = p.ctx.Valore(gascal::Contesto::RecConfig, 25);
        if (!gascal::ModoInterpolazione::Entra(p.ctx))
            return false;
        return QTest::qWaitFor([&p] { return p.ctx.stato.OperazioneRichiesta == gascal::Operazione::Nessuna; }, 10000)
            && p.ctx.Valore(gascal::Contesto::RecConfig, 25) == 0 && QFileInfo::exists(p.ctx.ripristino.PercorsoEcu());
    }

private slots:
    void prjComKilledIsStartedAgainAndTheEcuFoundAgain()
    {
        ProgrammaProva p;
        QCOMPARE(p.AvviaEcu(), QString());
        QVERIFY(p.AvviaProgramma());
        QVERIFY(p.AttendiStato(StatoApp::Connesso));
        const qint64 primo = p.ctx.link.IdProcesso();
        QVERIFY(primo > 0);

        ::kill(pid_t(primo), SIGKILL);
        // The poll that was waiting fails at once, the search starts the
        // process again and reconnects.
        QTRY_COMPARE_WITH_TIMEOUT(p.ctx.link.Riavvii(), 1, 10000);
        QVERIFY(p.AttendiStato(StatoApp::Connesso, 20000));
        QVERIFY(p.ctx.link.IdProcesso() != primo);
        QCOMPARE(p.ui.Testi(), QStringList{gascal::Collegamento::TestoRiavvio()});
        // Polling goes on through the new process.
        p.ctx.TabMsg[1].Immagine.clear();
        QTRY_VERIFY_WITH_TIMEOUT(!p.ctx.TabMsg.at(1).Immagine.isEmpty(), 3000);

        // A second death, once the link had worked again, is told again.
        ::kill(pid_t(p.ctx.link.IdProcesso()), SIGKILL);
        QTRY_COMPARE_WITH_TIMEOUT(p.ctx.link.Riavvii(), 2, 10000);
        QVERIFY(p.AttendiStato(StatoApp::Connesso, 20000));
        QCOMPARE(p.ui.Testi().size(), 2);
        QVERIFY(!p.frame->Chiuso());
    }
    // The program closed (by its close box or a signal) with the
    // interpolation window open puts the ECU back before it goes, and says
    // so only once it has; a journal found at a connection is put back and told.
    void closingWithInterpolationOpenPutsTheEcuBack_data()
    {
        QTest::addColumn<bool>("segnale");
        QTest::newRow("close box") << false;
        QTest::newRow("SIGTERM") << true;
    }
    void closingWithInterpolationOpenPutsTheEcuBack()
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

    void journalFoundAtAConnectionIsPutBackAndTold()
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
        QVERIFY(p.ui.Testi().last().contains(QStringLiteral("pressure")) || p.ui.Testi().last().contains(QStringLiteral("sensor")));
        QVERIFY(p.AttendiStato(StatoApp::Connesso));
        QCOMPARE(p.ctx.Valore(gascal::Contesto::RecConfig, 25), sensore);
        // The page shows the ECU's sensor again, not the interpolation entry.
        const auto *lista = p.frame->FrmConfig()->findChild<QComboBox *>(QStringLiteral("CmbTipoSensMap"));
        QVERIFY(lista);
        QVERIFY2(!lista->currentText().contains(QStringLiteral("Interpolation")), qPrintable(lista->currentText()));
        QVERIFY(!QFileInfo::exists(p.ctx.ripristino.PercorsoEcu()));
    }
};

GASCAL_PROVA(TstFrameGuasti)
#include "tst_frame_guasti.moc"
