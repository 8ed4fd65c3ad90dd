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
};

QTEST_GUILESS_MAIN(TstFramePipe)
#include "tst_framepipe.moc"
