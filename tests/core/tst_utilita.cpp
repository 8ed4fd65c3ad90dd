#include "RegistroProve.h"
#include "app/FileSistema.h"
#include "app/Formati.h"
#include "app/MostraErrore.h"
#include "app/Orologio.h"
#include "app/ServiziUiScriptati.h"
#include "app/StatoApp.h"
#include "app/TestoByte.h"

#include "FileProva.h"
#include "MisuraCpu.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace gascal;
using namespace Qt::StringLiterals;

class TstUtilita : public QObject
{
    Q_OBJECT
private slots:
    void hexOddLengthGetsLeadingZeroAndChangesArgument()
    {
        QString testo = u"ABC"_s;
        QCOMPARE(HexToStr(testo), QByteArray("\x0A\xBC", 2));
        QCOMPARE(testo, u"0ABC"_s);
        QByteArray tutti;
        for (int i = 0; i < 256; ++i)
            tutti.append(static_cast<char>(i));
        QCOMPARE(HexToStr(StrToHex(tutti)), tutti);
        QVERIFY(StrToHex(tutti).startsWith(u"000102"_s));
    }

    void formatMilli_data()
    {
        QTest::addColumn<qint64>("valore");
        QTest::addColumn<int>("decimali");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("1234,2") << qint64(1234) << 2 << "1,23";
        QTest::newRow("5,3") << qint64(5) << 3 << "0,005";
        QTest::newRow("-1500,1") << qint64(-1500) << 1 << "-1,5";
        QTest::newRow("decimals limited to 3") << qint64(1234) << 5 << "1,234";
        QTest::newRow("negative decimals") << qint64(1234) << -2 << "1";
        QTest::newRow("millions stay whole") << qint64(1234567) << 1 << "1234,5";
    }
    void formatMilli()
    {
        QFETCH(qint64, valore);
        QFETCH(int, decimali);
        QFETCH(QString, atteso);
        QCOMPARE(FormatMilli(valore, decimali, u","_s), atteso);
    }

    void filesAndFolders()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(u"a.txt"_s);
        Scrivi(file, {});
        QVERIFY(FileExist(file) && DirExist(dir.path()));
        QVERIFY(!FileExist(dir.path()) && !DirExist(file) && !FileExist(dir.filePath(u"none"_s)));
    }

    void pendingOperationIsNotOverwritten()
    {
        StatoApp stato;
        stato.RichiediOperazione(Operazione::ScriviConfig);
        stato.RichiediOperazione(Operazione::SalvaMappa);
        QCOMPARE(stato.OperazioneRichiesta, Operazione::ScriviConfig);
    }

    void errorReportText_data()
    {
        QTest::addColumn<QString>("testo2");
        QTest::addColumn<qint64>("numero");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("no error number") << "Config error" << qint64(0) << "Config errorErrorX:\r";
        QTest::newRow("error number") << "" << qint64(13) << "ErrorX:\r\r13 - d";
        // 3146 is not reported from an error handler, and large numbers are shown in hex.
        QTest::newRow("3146") << "" << qint64(3146) << "ErrorX:\r";
        QTest::newRow("hex") << "" << qint64(0x80004005LL) << "ErrorX:\r\r = &H80004005 - d";
    }
    void errorReportText()
    {
        QFETCH(QString, testo2);
        QFETCH(qint64, numero);
        QFETCH(QString, atteso);
        QCOMPARE(TestoErrore(u"X"_s, testo2, 0, numero, u"d"_s), atteso);
        ServiziUiScriptati ui;
        MostraErrore(ui, u"GasCal"_s, u"X"_s, testo2, 0, numero, u"d"_s);
        QCOMPARE(ui.Testi(), QStringList{atteso});
        QCOMPARE(ui.mostrati.first().titolo, u"GasCal: Error"_s);
        QCOMPARE(ui.mostrati.first().icona, ServiziUi::Icona::Esclamazione);
    }

    // Timers run during a wait, and it sleeps, also once the application was
    // told to quit (a new local event loop would return at once, and a wait
    // built on one would spin until its end).
    void waitKeepsEventsFlowingAndSleeps()
    {
        int scatti = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++scatti; });
        timer.start(10);
        double trascorsi = 0;
        const double rapporto = MisuraCpu::RapportoConGiro([&] {
            QTimer::singleShot(0, [&] {
                QCoreApplication::quit();
                const double t0 = TimerApi_uSec();
                AttesaUSec(200000);
                trascorsi = TimerApi_uSec() - t0;
            });
            QCoreApplication::exec();
        });
        QVERIFY(trascorsi >= 200000);
        QVERIFY2(scatti >= 5, "timers must run during a wait");
        QVERIFY2(rapporto < 0.3, qPrintable(u"CPU %1 of a spin"_s.arg(rapporto)));
    }
};

GASCAL_PROVA(TstUtilita)
#include "tst_utilita.moc"
