#include "RegistroProve.h"
#include "app/FileSistema.h"
#include "app/Formati.h"
#include "app/MostraErrore.h"
#include "app/Orologio.h"
#include "app/ServiziUiScriptati.h"
#include "app/StatoApp.h"
#include "app/TestoByte.h"

#include "MisuraCpu.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace gascal;

class TstUtilita : public QObject
{
    Q_OBJECT
private slots:
    void hexOddLengthGetsLeadingZeroAndChangesArgument()
    {
        QString testo = QStringLiteral("ABC");
        QCOMPARE(HexToStr(testo), QByteArray("\x0A\xBC", 2));
        QCOMPARE(testo, QStringLiteral("0ABC"));
        QCOMPARE(StrToHex(QByteArray("\x00\xFF", 2)), QStringLiteral("00FF"));
        // Every byte value survives the round trip.
        QByteArray tutti;
        for (int i = 0; i < 256; ++i)
            tutti.append(static_cast<char>(i));
        QCOMPARE(HexToStr(StrToHex(tutti)), tutti);
    }

    void bytesConversions()
    {
        QVector<quint8> byte{9};
        QVERIFY(!StrToBytes(QByteArray(), byte));
        QCOMPARE(byte, QVector<quint8>{9}); // untouched
        QVERIFY(StrToBytes(QByteArray("\x00\x80\xFF", 3), byte));
        QCOMPARE(byte, (QVector<quint8>{0, 0x80, 0xFF}));
        QByteArray testo;
        QVERIFY(BytesToStr(byte, testo));
        QCOMPARE(testo, QByteArray("\x00\x80\xFF", 3));
    }

    void formatMilli_data()
    {
        QTest::addColumn<qint64>("valore");
        QTest::addColumn<int>("decimali");
        QTest::addColumn<QString>("atteso");
        QTest::newRow("1234,2") << qint64(1234) << 2 << "1,23";
        QTest::newRow("5,3") << qint64(5) << 3 << "0,005";
        QTest::newRow("-1500,1") << qint64(-1500) << 1 << "-1,5";
        QTest::newRow("999999,0") << qint64(999999) << 0 << "999";
        QTest::newRow("decimals limited to 3") << qint64(1234) << 5 << "1,234";
        QTest::newRow("negative decimals") << qint64(1234) << -2 << "1";
        QTest::newRow("millions stay whole") << qint64(1234567) << 1 << "1234,5";
    }
    void formatMilli()
    {
        QFETCH(qint64, valore);
        QFETCH(int, decimali);
        QFETCH(QString, atteso);
        QCOMPARE(FormatMilli(valore, decimali, QStringLiteral(",")), atteso);
    }

    void filesAndFolders()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("a.txt"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(FileExist(file));
        QVERIFY(!FileExist(dir.path()));
        QVERIFY(DirExist(dir.path()));
        QVERIFY(!DirExist(file));
        QVERIFY(!FileExist(dir.filePath(QStringLiteral("none"))));
        const QString dati = dir.filePath(QStringLiteral("Data"));
        CreaCartella(dati);
        QVERIFY(DirExist(dati));
        QFile dentro(dati + QStringLiteral("/keep"));
        QVERIFY(dentro.open(QIODevice::WriteOnly));
        dentro.close();
        CreaCartella(dati); // left alone the second time
        QVERIFY(FileExist(dati + QStringLiteral("/keep")));
    }

    void pendingOperationIsNotOverwritten()
    {
        StatoApp stato;
        stato.RichiediOperazione(gascal::Operazione::ScriviConfig);
        stato.RichiediOperazione(gascal::Operazione::SalvaMappa);
        QCOMPARE(stato.OperazioneRichiesta, gascal::Operazione::ScriviConfig);
    }

    void errorReportText()
    {
        QCOMPARE(TestoErrore(QStringLiteral("Error 001"), QStringLiteral("Config error"), 0, 0, {}),
                 QStringLiteral("Config errorErrorError 001:\r"));
        QCOMPARE(TestoErrore(QStringLiteral("X"), QString(), 0, 13, QStringLiteral("Type mismatch")),
                 QStringLiteral("ErrorX:\r\r13 - Type mismatch"));
        // 3146 is not reported from an error handler...
        QCOMPARE(TestoErrore(QStringLiteral("X"), QString(), 0, 3146, QStringLiteral("d")),
                 QStringLiteral("ErrorX:\r"));
        // ...and large numbers are shown in hex.
        QCOMPARE(TestoErrore(QStringLiteral("X"), QString(), 0, 0x80004005LL, QStringLiteral("d")),
                 QStringLiteral("ErrorX:\r\r = &H80004005 - d"));
        ServiziUiScriptati ui;
        MostraErrore(ui, QStringLiteral("GasCal"), QStringLiteral("Error 002"), QString(), 0, 0, {});
        QCOMPARE(ui.mostrati.size(), 1);
        QCOMPARE(ui.mostrati.first().titolo, QStringLiteral("GasCal: Error"));
        QCOMPARE(ui.mostrati.first().icona, ServiziUi::Icona::Esclamazione);
    }

    void waitKeepsEventsFlowingAndSleeps()
    {
        int scatti = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++scatti; });
        timer.start(10);
        double trascorsi = 0;
        const double rapporto = MisuraCpu::RapportoConGiro([&] {
            const double t0 = TimerApi_uSec();
            AttesaUSec(200000);
            trascorsi = TimerApi_uSec() - t0;
        });
        QVERIFY(trascorsi >= 200000);
        QVERIFY2(scatti >= 5, "timers must run during a wait");
        QVERIFY2(rapporto < 0.3, qPrintable(QStringLiteral("CPU %1 of a spin").arg(rapporto)));
    }

    void waitSleepsAfterTheApplicationWasToldToQuit()
    {
        // Once quit() was called, a new local event loop returns at once: a
        // wait built on one would spin until its end.
        double trascorsi = 0;
        const double rapporto = MisuraCpu::RapportoConGiro([&] {
            QTimer::singleShot(0, [&] {
                QCoreApplication::quit();
                const double t0 = TimerApi_uSec();
                AttesaUSec(300000);
                trascorsi = TimerApi_uSec() - t0;
            });
            QCoreApplication::exec();
        });
        QVERIFY(trascorsi >= 300000);
        QVERIFY2(rapporto < 0.3, qPrintable(QStringLiteral("CPU %1 of a spin").arg(rapporto)));
    }
};

GASCAL_PROVA(TstUtilita)
#include "tst_utilita.moc"
