// Why the ECU is not found: a port mapped to a missing device, to a device
// without permission and to a pseudo-terminal that never answers. The wait
// window and `gascal-cli info` both name the device and the cause, as the
// communication process reported them.
#include "RegistroProve.h"
#include "ProgrammaProva.h"

#include "ui/common/Forma.h"
#include "ui/main/FrmWait.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using gascal::StatoApp;

class TstEcuNonTrovata : public QObject
{
    Q_OBJECT

    // Prepares the folder for the case; returns the device path of port 0.
    static QString Prepara(BancoEcu &b, const QString &caso)
    {
        QString dispositivo;
        if (caso == QLatin1String("missing")) {
            dispositivo = b.Percorso(QStringLiteral("ttyGone"));
        } else if (caso == QLatin1String("permission")) {
            dispositivo = b.Percorso(QStringLiteral("ttyLocked"));
            b.ScriviFile(QStringLiteral("ttyLocked"), QByteArray());
            QFile::setPermissions(dispositivo, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            if (!b.PrjComDaUtenteComune())
                return {};
        } else {
            dispositivo = b.TerminaleMuto(QStringLiteral("ttySilent"));
        }
        b.ScriviFile(QStringLiteral("PrjCom.ini"), "0=" + dispositivo.toLocal8Bit() + "\n");
        return dispositivo;
    }

private slots:
    void causaNominata_data()
    {
        QTest::addColumn<QString>("caso");
        QTest::addColumn<QString>("causa");
        QTest::newRow("missing") << QStringLiteral("missing") << QStringLiteral("missing, the device does not exist");
        QTest::newRow("permission") << QStringLiteral("permission")
                                    << QStringLiteral("no permission (owner root:root, mode 0600)");
        QTest::newRow("silent") << QStringLiteral("silent") << QStringLiteral("no answer from the ECU");
    }

    void causaNominata()
    {
        QFETCH(QString, caso);
        QFETCH(QString, causa);
        ProgrammaProva p;
        const QString dispositivo = Prepara(p.banco, caso);
        QVERIFY(!dispositivo.isEmpty());
        const QString atteso = QStringLiteral("port 0 (%1): %2").arg(dispositivo, causa);
        QString inFinestra = atteso;
        inFinestra[0] = QLatin1Char('P');

        // The command-line tool, on its own before the window starts.
        QProcess cli;
        cli.start(BancoEcu::Bin(QStringLiteral("gascal-cli")),
                  {QStringLiteral("--dir"), p.Cartella(), QStringLiteral("--timeout"), QStringLiteral("2"),
                   QStringLiteral("info")});
        QVERIFY(cli.waitForFinished(30000));
        const QString err = QString::fromLocal8Bit(cli.readAllStandardError());
        QVERIFY(cli.exitCode() != 0);
        QVERIFY2(err.contains(atteso), qPrintable(err));
        QVERIFY2(!err.contains(QStringLiteral("gascal-cli: GasCal")), qPrintable(err));

        // The wait window, under its bar, while the search goes on (checked
        // from inside the search's own waits); then working offline ends it.
        QVERIFY(p.AvviaProgramma());
        gascal::FrmWait *attesa = p.frame->Attesa();
        bool visto = false, sottoLaBarra = false, cercava = false;
        p.Quando([&] { return attesa->LblDiagnosi->text().contains(inFinestra); }, [&] {
            visto = true;
            sottoLaBarra = attesa->LblDiagnosi->isVisible()
                && attesa->LblDiagnosi->y() > attesa->ShpAttivita[0]->geometry().bottom();
            cercava = p.ctx.stato.StatoProgramma == StatoApp::Ricerca;
            attesa->CmdStop->click();
        });
        QTimer::singleShot(15000, attesa->CmdStop, &QPushButton::click); // never hang
        QVERIFY(p.AttendiStato(StatoApp::Offline, 20000));
        QVERIFY2(visto, qPrintable(attesa->LblDiagnosi->text()));
        QVERIFY(sottoLaBarra);
        QVERIFY(cercava);
    }

    void ecuSenzaFirmwareNominata()
    {
        ProgrammaProva p;
        QCOMPARE(p.AvviaEcu({QStringLiteral("--unprogrammed")}), QString());
        QVERIFY(p.AvviaProgramma());
        QTRY_VERIFY_WITH_TIMEOUT(p.frame->Attesa()->LblDiagnosi->text().contains(
                                     QStringLiteral("an ECU without firmware")), 10000);
        QVERIFY(p.frame->Attesa()->LblDiagnosi->text().contains(p.Link()));
        p.frame->Attesa()->CmdStop->click();
        QVERIFY(p.AttendiStato(StatoApp::Offline, 5000));
    }

    void laRagioneSparisceAllaConnessione()
    {
        ProgrammaProva p;
        p.banco.ScriviFile(QStringLiteral("PrjCom.ini"), "0=" + p.Link().toLocal8Bit() + "\n");
        QVERIFY(p.AvviaProgramma());
        gascal::FrmWait *attesa = p.frame->Attesa();
        // The ECU comes once the window says its line is missing: the search
        // finds it and the old reason goes.
        QString avvio = QStringLiteral("not started");
        p.Quando([&] { return attesa->LblDiagnosi->text().contains(QStringLiteral("missing")); },
                 [&] { avvio = p.AvviaEcu(); });
        QTimer::singleShot(20000, attesa->CmdStop, &QPushButton::click); // never hang
        QVERIFY(p.AttendiStato(StatoApp::Connesso, 25000));
        QCOMPARE(avvio, QString());
        QTRY_VERIFY_WITH_TIMEOUT(attesa->LblDiagnosi->text().isEmpty(), 2000);
        // While connected the offline button says what it does and is no stop sign.
        QCOMPARE(attesa->CmdStop->text(), p.ctx.diz.Testo(6));
        QVERIFY(attesa->CmdStop->icon().isNull());
    }
};

GASCAL_PROVA(TstEcuNonTrovata)
#include "tst_ecu_non_trovata.moc"
