// The program-wide helpers: hex texts, numbers in the user's notation, files,
// the error box's text, the pending operation and the waits.
#include "RegistroProve.h"
#include "app/Conversioni.h"
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

    // Halves go to the even neighbour, also those of decimal texts; numbers
    // follow the user's separator; decimals are limited to 3.
    void numbers()
    {
        using namespace Conversioni;
        const QString v = u","_s, p = u"."_s;
        QCOMPARE((QList<qint64>{Arrotonda(2.5), Arrotonda(3.5), Arrotonda(-2.5), Arrotonda(2.5000001)}),
                 (QList<qint64>{2, 4, -2, 3}));
        QCOMPARE(Arrotonda(*Numero(u"0,35"_s, v) * 10), 4);
        // 2,675 x 100 is 267.49999999999997 in binary: it stands for the half 267,5.
        QCOMPARE(Arrotonda(*Numero(u"2,675"_s, v) * 100), 268);
        QCOMPARE(Arrotonda(*Numero(u"0,25"_s, v) * 10), 2);
        QCOMPARE((QList<qint64>{Fix(-2.7), Int(-2.3), Int(0.29 * 100)}), (QList<qint64>{-2, -3, 29}));
        QCOMPARE(Fix(*Numero(u"1.005"_s, p) * 1000 - 128), 877);
        QCOMPARE(Numero(u" 1,2 "_s, v), std::optional<double>(1.2));
        QCOMPARE(Numero(u"1.2"_s, p), std::optional<double>(1.2));
        // The other mark would be a grouping mark: refused, never 12.
        for (const auto &[testo, separatore] : {std::pair{u"1.2"_s, v}, {u"1,2"_s, p}, {u"Off"_s, v}, {QString(), v}})
            QVERIFY(!Numero(testo, separatore));
        QCOMPARE(Intero(u"2,5"_s, v), std::optional<qint64>(2));
        QCOMPARE((QStringList{TestoMilli(1200, v), TestoMilli(4, v), TestoMilli(6000, v), TestoMilli(0, p),
                              TestoMilli(-1500, p)}), (QStringList{"1,2", "0,004", "6", "0", "-1.5"}));
        QCOMPARE((QStringList{TestoDecimali(60 * 5 / 1024.0, 3, v), TestoDecimali(0.0625, 3, v),
                              TestoDecimali(0.125, 2, p)}), (QStringList{"0,293", "0,062", "0.12"}));
        QCOMPARE((QStringList{FormatMilli(1234, 2, v), FormatMilli(5, 3, v), FormatMilli(-1500, 1, v),
                              FormatMilli(1234, 5, v), FormatMilli(1234, -2, v), FormatMilli(1234567, 1, v)}),
                 (QStringList{"1,23", "0,005", "-1,5", "1,234", "1", "1234,5"}));
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

    // 3146 is not reported from an error handler, and large numbers are shown in hex.
    void errorReportText()
    {
        const struct {
            const char *testo2;
            qint64 numero;
            const char *atteso;
        } casi[] = {{"Config error", 0, "Config errorErrorX:\r"}, {"", 13, "ErrorX:\r\r13 - d"},
                    {"", 3146, "ErrorX:\r"}, {"", 0x80004005LL, "ErrorX:\r\r = &H80004005 - d"}};
        for (const auto &c : casi) {
            ServiziUiScriptati ui;
            MostraErrore(ui, u"GasCal"_s, u"X"_s, QLatin1String(c.testo2), 0, c.numero, u"d"_s);
            QCOMPARE(ui.Testi(), QStringList{QLatin1String(c.atteso)});
            QCOMPARE(ui.mostrati.first().titolo, u"GasCal: Error"_s);
            QCOMPARE(ui.mostrati.first().icona, ServiziUi::Icona::Esclamazione);
        }
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
