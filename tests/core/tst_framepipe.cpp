#include "RegistroProve.h"
#include "link/FramePipe.h"

#include <QTest>

using namespace gascal;

namespace {
QByteArray Frame(std::initializer_list<int> byte)
{
    QByteArray f;
    for (int b : byte)
        f.append(static_cast<char>(b));
    return f;
}
} // namespace

class TstFramePipe : public QObject
{
    Q_OBJECT
private slots:
    void requestFrameLayout()
    {
        QCOMPARE(FramePipe::Richiesta(2, 0, 0, 0, 0, 0, {}), Frame({8, 0, 2, 0, 0, 0, 0, 0}));
        // Little-endian length, data after the header.
        const QByteArray dati(300, 'x');
        const QByteArray f = FramePipe::Richiesta(6, 0, 0, 0, 0, 0, dati);
        QCOMPARE(f.size(), 308);
        QCOMPARE(static_cast<quint8>(f[0]), quint8(308 & 0xFF));
        QCOMPARE(static_cast<quint8>(f[1]), quint8(1));
        QCOMPARE(f.mid(8), dati);
    }

    void lengthMismatchLeavesStatusBytes()
    {
        RispostaPipe r;
        r.RispByte4 = 1;
        r.RispByte6 = 2;
        r.RispDati = "old";
        // Says 10 bytes, 9 arrived.
        const int stato = FramePipe::DecodificaRisposta(Frame({0, 10, 6, 0, 0, 0, 0, 0, 5}), r);
        QCOMPARE(stato, 1);
        QCOMPARE(r.RispCodice, -1);
        QVERIFY(r.RispDati.isEmpty());
        QCOMPARE(r.RispByte4, 1);
        QCOMPARE(r.RispByte6, 2);
        QCOMPARE(FramePipe::DecodificaRisposta(Frame({0, 7, 6, 0, 0, 0, 0}), r), 1);
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
    }
    void replyCodes()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, stato);
        QFETCH(QByteArray, dati);
        RispostaPipe r;
        QCOMPARE(FramePipe::DecodificaRisposta(frame, r), stato);
        QCOMPARE(r.RispDati, dati);
        QCOMPARE(r.RispByte4, 1); // the length check passed: status bytes taken
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
        auto ecu = [](std::initializer_list<int> risposta, int statoEcu = 1) {
            QByteArray f = Frame({0, 8 + int(risposta.size()), 6, statoEcu, 0, 0, 0, 0});
            return f + Frame(risposta);
        };
        QTest::newRow("same code") << Frame({0, 8, 2, 1, 0, 0, 0, 0}) << 2 << QByteArray() << true;
        QTest::newRow("other code") << Frame({0, 9, 3, 1, 0, 0, 0, 0, 0}) << 6 << leggi21 << false;
        QTest::newRow("code 0: request not understood") << Frame({0, 8, 0, 8, 0, 0, 0, 0}) << 4 << QByteArray() << true;
        QTest::newRow("invalid code left to the check") << Frame({0, 8, 9, 1, 0, 0, 0, 0}) << 6 << leggi21 << true;
        QTest::newRow("service + 0x40") << ecu({0x41, 2, 6, 0x61, 1, 0}) << 6 << leggi21 << true;
        QTest::newRow("other service") << ecu({0x41, 2, 6, 0x62, 1, 0}) << 6 << leggi21 << false;
        QTest::newRow("request echoed") << ecu({0x41, 2, 6, 0x21, 1, 0}) << 6 << leggi21 << false;
        QTest::newRow("refusal of this service") << ecu({0x41, 2, 6, 0x7F, 0x21, 0}) << 6 << leggi21 << true;
        QTest::newRow("refusal of another") << ecu({0x41, 2, 6, 0x7F, 0x22, 0}) << 6 << leggi21 << false;
        QTest::newRow("service wraps past 0xFF") << ecu({0x41, 2, 6, 0x00, 1, 0}) << 6
            << Frame({0x41, 2, 3, 0xC0, 0}) << true;
        QTest::newRow("no ECU answer: nothing to compare") << ecu({}, 0) << 6 << leggi21 << true;
        QTest::newRow("garbled answer: not judged") << ecu({0x41, 2, 6, 0x62, 1, 0}, 2) << 6 << leggi21 << true;
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
};

GASCAL_PROVA(TstFramePipe)
#include "tst_framepipe.moc"
