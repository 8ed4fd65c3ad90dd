#include "RegistroProve.h"
#include "app/Avvio.h"
#include "app/ServiziUiScriptati.h"
#include "app/TestoByte.h"
#include "i18n/CifraRiga.h"
#include "link/CaricaSetCom.h"
#include "link/MessaggioEcu.h"
#include "link/Transazioni.h"

#include <QTemporaryDir>
#include <QTest>

using namespace gascal;

namespace {
QStringList Blocco(const QString &sezione, const QString &id, const QString &variabili)
{
    return {sezione, id, QStringLiteral("Name"), QStringLiteral("41020321"), QStringLiteral(" 1 "),
            QStringLiteral("x"), QStringLiteral("y"), variabili};
}
} // namespace

class TstSetCom : public QObject
{
    Q_OBJECT
private slots:
    void sectionsAndRecords()
    {
        QStringList righe;
        righe << Blocco(QStringLiteral("[msg]"), QStringLiteral("1"), QStringLiteral("UB,6,1"));
        righe << Blocco(QStringLiteral("[MSG]"), QStringLiteral("7"), QStringLiteral("UW, 6 ,10; SB,8,1"));
        righe << Blocco(QStringLiteral(" [MSG]"), QStringLiteral("9"), QStringLiteral("UB,6,1"));
        righe << QStringLiteral("[AttesaPipe_usec]") << QStringLiteral("3000000")
              << QStringLiteral("[solo USB]") << QStringLiteral("TRUE")
              << QStringLiteral("[FIRMWARE]") << QStringLiteral("4102")
              << QStringLiteral("[firmware]") << QStringLiteral("ABC");
        TabellaMessaggi tab;
        ImpostazioniLink link;
        InterpretaSetCom(righe, tab, link);
        QCOMPARE(tab.size(), 2); // the section line with a leading blank is not one
        QCOMPARE(tab[0].Id, 1);
        QCOMPARE(tab[0].NumeroVariabili(), 1);
        QCOMPARE(tab[0].Offset[0], 6);
        QVERIFY(tab[0].Flag);
        QCOMPARE(tab[1].Id, 7);
        QCOMPARE(tab[1].Tipi, (QStringList{"UW", "SB"}));
        QCOMPARE(tab[1].Scala, (QVector<qint32>{10, 1}));
        QCOMPARE(tab[1].Richiesta, QStringLiteral("41020321"));
        QCOMPARE(link.AttesaPipe_usec, 3000000);
        QVERIFY(link.SoloUsb);
        QCOMPARE(link.ListaFirmware.size(), 2);
        QCOMPARE(link.ListaFirmware[1], QByteArray("\x0A\xBC", 2));
    }

    void malformedLinesAreSkipped()
    {
        QStringList righe = Blocco(QStringLiteral("[MSG]"), QStringLiteral("abc"), QStringLiteral("UB,6;UW,x,2;SB,9,3"));
        righe << QStringLiteral("[MolAttesaGlobale]") << QStringLiteral("many") << QStringLiteral("[AttesaGlobale_usec]");
        TabellaMessaggi tab;
        ImpostazioniLink link;
        link.MolAttesaGlobale = 4;
        InterpretaSetCom(righe, tab, link);
        QCOMPARE(tab[0].Id, 0);
        QCOMPARE(tab[0].NumeroVariabili(), 3);
        QCOMPARE(tab[0].Tipi[2], QStringLiteral("SB"));
        QCOMPARE(tab[0].Offset[2], 9);
        QCOMPARE(tab[0].Tipi[1], QStringLiteral("UW"));
        QCOMPARE(tab[0].Offset[1], 0); // kept
        QCOMPARE(link.MolAttesaGlobale, 4);
        QCOMPARE(link.AttesaGlobale_usec, 0);
    }

    void missingAndScrambledFiles()
    {
        ServiziUiScriptati ui;
        TabellaMessaggi tab;
        ImpostazioniLink link;
        CaricaSetCom(QStringLiteral("/nonexistent/SetCom.ini"), tab, link, ui);
        QCOMPARE(tab.size(), 1);
        QCOMPARE(link.ListaFirmware.size(), 1);
        QVERIFY(link.ListaFirmware[0].isEmpty());
        QVERIFY(Avvio::FirmwareDaSonda(link.ListaFirmware[0]).isEmpty());

        QTemporaryDir dir;
        const QString percorso = dir.filePath(QStringLiteral("SetCom.ini"));
        QFile file(percorso);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QStringList chiaro = Blocco(QStringLiteral("[MSG]"), QStringLiteral("5"), QStringLiteral("UB,6,1"));
        file.write((CriptaRiga(IntestazioneCriptata()) + "\r\n").toUtf8());
        for (const QString &riga : chiaro)
            file.write((CriptaRiga(riga) + "\r\n").toUtf8());
        file.close();
        CaricaSetCom(percorso, tab, link, ui);
        QCOMPARE(tab[0].Id, 5);
        QVERIFY(ui.mostrati.isEmpty());
    }

    void messagesAndWaits()
    {
        QCOMPARE(MessaggioEcu::ComponiMessaggio(0x41, 2, 16, QByteArray("\x01\x02", 2)),
                 QByteArray("\x41\x02\x05\x10\x01\x02\x55", 7));
        QCOMPARE(MessaggioEcu::ChecksumXor({}), quint8(0));
        ImpostazioniLink link;
        link.AttesaGlobale_usec = 250000;
        link.MolAttesaGlobale = 4;
        QCOMPARE(Transazioni::DatiAttesa(link.AttesaEcuMs(true)), QByteArray("\xE8\x03\x00\x00", 4));
        QCOMPARE(Transazioni::DatiAttesa(link.AttesaEcuMs(false)), QByteArray("\xFA\x00\x00\x00", 4));
        // Only the low 16 bits travel.
        QCOMPARE(Transazioni::DatiAttesa(70000), QByteArray("\x70\x11\x00\x00", 4));
    }

    void expectedFirmwareFromFirstProbe()
    {
        const QByteArray sonda = HexToStr(QStringLiteral("41020A610112345678FF"));
        QCOMPARE(Avvio::FirmwareDaSonda(sonda), HexToStr(QStringLiteral("12345678")));
        QVERIFY(Avvio::FirmwareDaSonda(QByteArray(5, 'x')).isEmpty());
    }

    void scrambledLines()
    {
        for (const QString &riga : {QString(), QStringLiteral("[MSG]"), QStringLiteral("Привіт ไทย ő"),
                                    QStringLiteral("a|b;c,d")}) {
            const QString s = CriptaRiga(riga);
            QVERIFY(!s.contains(QLatin1Char('\r')) && !s.contains(QLatin1Char('\n')));
            QString indietro;
            QVERIFY(DecriptaRiga(s, indietro));
            QCOMPARE(indietro, riga);
        }
        QString fuori = QStringLiteral("x");
        QVERIFY(!DecriptaRiga(QStringLiteral("[MSG]"), fuori));
        QVERIFY(fuori.isEmpty());
        QString s = CriptaRiga(QStringLiteral("KESTRONAX"));
        s[4] = s[4] == QLatin1Char('0') ? QLatin1Char('1') : QLatin1Char('0');
        QVERIFY(!DecriptaRiga(s, fuori)); // a damaged line is refused
    }
};

GASCAL_PROVA(TstSetCom)
#include "tst_setcom.moc"
