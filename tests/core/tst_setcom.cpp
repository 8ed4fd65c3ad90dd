// The link's pieces without a process: the pipe's frames, the message table
// of SetCom.ini, the ECU messages and waits, the scrambled lines.
#include "RegistroProve.h"
#include "app/Avvio.h"
#include "app/ServiziUiScriptati.h"
#include "app/TestoByte.h"
#include "i18n/CifraRiga.h"
#include "link/CaricaSetCom.h"
#include "link/FramePipe.h"
#include "link/MessaggioEcu.h"
#include "link/Transazioni.h"

#include <QTest>

using namespace gascal;
using namespace Qt::StringLiterals;

namespace {
QByteArray Frame(std::initializer_list<int> byte)
{
    QByteArray f;
    for (int b : byte)
        f.append(static_cast<char>(b));
    return f;
}
// A command-6 reply that carries this ECU answer.
QByteArray Ecu(std::initializer_list<int> risposta, int statoEcu = 1)
{
    return Frame({0, 8 + int(risposta.size()), 6, statoEcu, 0, 0, 0, 0}) + Frame(risposta);
}
QStringList Blocco(const QString &sezione, const QString &id, const QString &variabili)
{
    return {sezione, id, u"Name"_s, u"41020321"_s, u" 1 "_s, u"x"_s, u"y"_s, variabili};
}
} // namespace

class TstSetCom : public QObject
{
    Q_OBJECT
private slots:
    void requestFrameLayout()
    {
        QCOMPARE(FramePipe::Richiesta(2, 0, 0, 0, 0, 0, {}), Frame({8, 0, 2, 0, 0, 0, 0, 0}));
        // Little-endian length, data after the header.
        const QByteArray dati(300, 'x');
        QCOMPARE(FramePipe::Richiesta(6, 0, 0, 0, 0, 0, dati), Frame({308 & 0xFF, 1, 6, 0, 0, 0, 0, 0}) + dati);
    }

    void replyCodes_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("stato");
        QTest::addColumn<QByteArray>("dati");
        QTest::newRow("code 9 invalid") << Frame({0, 8, 9, 1, 0, 0, 0, 0}) << 2 << QByteArray();
        QTest::newRow("code 12 invalid") << Frame({0, 8, 12, 1, 0, 0, 0, 0}) << 2 << QByteArray();
        QTest::newRow("code 4 without payload") << Frame({0, 8, 4, 1, 0, 0, 0, 0}) << 3 << QByteArray();
        QTest::newRow("code 4 one byte") << Frame({0, 10, 4, 1, 0, 2, 0, 0, 2, 9}) << 0 << Frame({2});
        QTest::newRow("code 3 without payload") << Frame({0, 8, 3, 1, 0, 0, 0, 0}) << 0 << QByteArray();
        QTest::newRow("code 3 keeps byte 8 only")
            << Frame({0, 15, 3, 1, 0, 0, 0, 0, 0, 0x42, 1, 4, 0x21, 0, 0x66}) << 0 << Frame({0});
        QTest::newRow("code 11 exactly 10 bytes") << Frame({0, 10, 11, 1, 0, 0, 0, 0, 1, 0}) << 0 << Frame({1, 0});
        QTest::newRow("code 11 short") << Frame({0, 9, 11, 1, 0, 0, 0, 0, 1}) << 3 << QByteArray();
        QTest::newRow("code 0 all the rest") << Frame({0, 11, 0, 1, 0, 0, 0, 0, 7, 8, 9}) << 0 << Frame({7, 8, 9});
        QTest::newRow("code 6 empty") << Frame({0, 8, 6, 1, 0, 0, 0, 0}) << 0 << QByteArray();
        QTest::newRow("code 6 payload") << Frame({0, 10, 6, 1, 0, 0, 0, 0, 0x41, 2}) << 0 << Frame({0x41, 2});
        QTest::newRow("code 1 no payload") << Frame({0, 9, 1, 1, 0, 0, 0, 0, 5}) << 0 << QByteArray();
        // A length field that is not the bytes received: the status bytes stay.
        QTest::newRow("says 10, 9 came") << Frame({0, 10, 6, 0, 0, 0, 0, 0, 5}) << 1 << QByteArray();
        QTest::newRow("below the header") << Frame({0, 7, 6, 0, 0, 0, 0}) << 1 << QByteArray();
    }
    void replyCodes()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, stato);
        QFETCH(QByteArray, dati);
        RispostaPipe r;
        r.RispByte4 = 7;
        r.RispDati = "old";
        QCOMPARE(FramePipe::DecodificaRisposta(frame, r), stato);
        QCOMPARE(r.RispDati, dati);
        QCOMPARE(r.RispByte4, stato == FramePipe::LunghezzaErrata ? 7 : 1);
        if (stato == FramePipe::LunghezzaErrata)
            QCOMPARE(r.RispCodice, -1);
    }

    // Which reply frames can answer which request (the rest are replies to
    // requests given up earlier).
    void replyMatchesRequest_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("comando");
        QTest::addColumn<QByteArray>("dati");
        QTest::addColumn<bool>("risponde");
        const QByteArray leggi21 = Frame({0x41, 2, 3, 0x21, 0x61});
        QTest::newRow("same code") << Frame({0, 8, 2, 1, 0, 0, 0, 0}) << 2 << QByteArray() << true;
        QTest::newRow("other code") << Frame({0, 9, 3, 1, 0, 0, 0, 0, 0}) << 6 << leggi21 << false;
        QTest::newRow("code 0: request not understood") << Frame({0, 8, 0, 8, 0, 0, 0, 0}) << 4 << QByteArray() << true;
        QTest::newRow("invalid code left to the check") << Frame({0, 8, 9, 1, 0, 0, 0, 0}) << 6 << leggi21 << true;
        QTest::newRow("service + 0x40") << Ecu({0x41, 2, 6, 0x61, 1, 0}) << 6 << leggi21 << true;
        QTest::newRow("other service") << Ecu({0x41, 2, 6, 0x62, 1, 0}) << 6 << leggi21 << false;
        QTest::newRow("request echoed") << Ecu({0x41, 2, 6, 0x21, 1, 0}) << 6 << leggi21 << false;
        QTest::newRow("refusal of this service") << Ecu({0x41, 2, 6, 0x7F, 0x21, 0}) << 6 << leggi21 << true;
        QTest::newRow("refusal of another") << Ecu({0x41, 2, 6, 0x7F, 0x22, 0}) << 6 << leggi21 << false;
        QTest::newRow("service wraps past 0xFF") << Ecu({0x41, 2, 6, 0x00, 1, 0}) << 6
                                                 << Frame({0x41, 2, 3, 0xC0, 0}) << true;
        QTest::newRow("no ECU answer: nothing to compare") << Ecu({}, 0) << 6 << leggi21 << true;
        QTest::newRow("garbled answer: not judged") << Ecu({0x41, 2, 6, 0x62, 1, 0}, 2) << 6 << leggi21 << true;
    }
    void replyMatchesRequest()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, comando);
        QFETCH(QByteArray, dati);
        QFETCH(bool, risponde);
        QCOMPARE(FramePipe::RispondeA(frame, quint8(comando), dati), risponde);
    }

    void wholeFramesAreSplitByTheirLength()
    {
        const QByteArray due = Frame({0, 9, 3, 1, 0, 0, 0, 0, 0}) + Frame({0, 8, 6, 0, 0, 0, 0, 0});
        QCOMPARE(FramePipe::LunghezzaFrame(due), 9);
        QCOMPARE(FramePipe::LunghezzaFrame(due.mid(9)), 8);
        QCOMPARE(FramePipe::LunghezzaFrame(due.left(8)), 0);          // says 9, has 8
        QCOMPARE(FramePipe::LunghezzaFrame(Frame({0, 7, 6, 0, 0, 0, 0, 0})), 0); // below the header
    }

    void sectionsAndRecords()
    {
        QStringList righe = Blocco(u"[msg]"_s, u"1"_s, u"UB,6,1"_s) + Blocco(u"[MSG]"_s, u"7"_s, u"UW, 6 ,10; SB,8,1"_s)
            + Blocco(u" [MSG]"_s, u"9"_s, u"UB,6,1"_s) + Blocco(u"[MSG]"_s, u"abc"_s, u"UB,6;UW,x,2;SB,9,3"_s);
        righe << u"[AttesaPipe_usec]"_s << u"3000000"_s << u"[solo USB]"_s << u"TRUE"_s << u"[FIRMWARE]"_s
              << u"4102"_s << u"[firmware]"_s << u"ABC"_s << u"[MolAttesaGlobale]"_s << u"many"_s
              << u"[AttesaGlobale_usec]"_s;
        TabellaMessaggi tab;
        ImpostazioniLink link;
        link.MolAttesaGlobale = 4;
        InterpretaSetCom(righe, tab, link);
        QCOMPARE(tab.size(), 3); // the section line with a leading blank is not one
        QCOMPARE(tab[0].Id, 1);
        QCOMPARE(tab[0].Offset, QVector<qint32>{6});
        QVERIFY(tab[0].Flag);
        QCOMPARE(tab[1].Id, 7);
        QCOMPARE(tab[1].Tipi, (QStringList{"UW", "SB"}));
        QCOMPARE(tab[1].Scala, (QVector<qint32>{10, 1}));
        QCOMPARE(tab[1].Richiesta, u"41020321"_s);
        // A malformed entry keeps its place; the number that is no number reads 0.
        QCOMPARE(tab[2].Id, 0);
        QCOMPARE(tab[2].Tipi.mid(1), (QStringList{"UW", "SB"}));
        QCOMPARE(tab[2].Offset.mid(1), (QVector<qint32>{0, 9}));
        QCOMPARE(link.AttesaPipe_usec, 3000000);
        QVERIFY(link.SoloUsb);
        QCOMPARE(link.ListaFirmware, (QList<QByteArray>{"\x41\x02", QByteArray("\x0A\xBC", 2)}));
        QCOMPARE(link.MolAttesaGlobale, 4);
        QCOMPARE(link.AttesaGlobale_usec, 0);

        // No file: one empty record and one empty firmware, no expected firmware.
        ServiziUiScriptati ui;
        CaricaSetCom(u"/nonexistent/SetCom.ini"_s, tab, link, ui);
        QCOMPARE(tab.size(), 1);
        QCOMPARE(link.ListaFirmware, QList<QByteArray>{QByteArray()});
        QVERIFY(Avvio::FirmwareDaSonda(link.ListaFirmware[0]).isEmpty());
    }

    void messagesAndWaits()
    {
        QCOMPARE(MessaggioEcu::ComponiMessaggio(0x41, 2, 16, QByteArray("\x01\x02", 2)),
                 QByteArray("\x41\x02\x05\x10\x01\x02\x55", 7));
        ImpostazioniLink link;
        link.AttesaGlobale_usec = 250000;
        link.MolAttesaGlobale = 4;
        QCOMPARE(Transazioni::DatiAttesa(link.AttesaEcuMs(true)), QByteArray("\xE8\x03\x00\x00", 4));
        QCOMPARE(Transazioni::DatiAttesa(link.AttesaEcuMs(false)), QByteArray("\xFA\x00\x00\x00", 4));
        // Only the low 16 bits travel.
        QCOMPARE(Transazioni::DatiAttesa(70000), QByteArray("\x70\x11\x00\x00", 4));
        // The expected firmware is the identity inside the first probe answer.
        QCOMPARE(Avvio::FirmwareDaSonda(HexToStr(u"41020A610112345678FF"_s)), HexToStr(u"12345678"_s));
        QVERIFY(Avvio::FirmwareDaSonda(QByteArray(5, 'x')).isEmpty());
    }

    // Unscrambled, damaged or plain lines are refused (the round trip of every
    // line is the dictionary fuzz target's).
    void scrambledLinesRefuseWhatIsNotOne()
    {
        QString s = CriptaRiga(u"Привіт ไทย"_s);
        QVERIFY(!s.contains(QLatin1Char('\r')) && !s.contains(QLatin1Char('\n')));
        QString fuori = u"x"_s;
        QVERIFY(!DecriptaRiga(u"[MSG]"_s, fuori));
        QVERIFY(fuori.isEmpty());
        s = CriptaRiga(u"KESTRONAX"_s);
        s[4] = s[4] == QLatin1Char('0') ? QLatin1Char('1') : QLatin1Char('0');
        QVERIFY(!DecriptaRiga(s, fuori));
    }
};

GASCAL_PROVA(TstSetCom)
#include "tst_setcom.moc"
