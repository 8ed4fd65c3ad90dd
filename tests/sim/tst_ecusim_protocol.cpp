// ecusim as a programmed ECU with default memory: reads, writes, store,
// refusals, framing of the byte stream and the life cycle of the link.

#include "RegistroProve.h"
#include "EcuSimLine.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <memory>

namespace {

const QByteArray mapData = QByteArray::fromHex("00006E");

struct BlockAccess
{
    quint8 readService;
    QByteArray readData;
    quint8 writeService;   // 0: not writable
    int answerLength;
};

// Reads and writes of the ECU's memory, with the length of each read answer.
const QList<BlockAccess> &blocks()
{
    static const QList<BlockAccess> list = {
        {33, {}, 0, 27},        // identity
        {11, {}, 0, 30},        // live data
        {13, {}, 16, 13},       // commands and state
        {14, {}, 17, 50},       // configuration
        {49, {}, 50, 26},       // block 5
        {15, {}, 44, 18},       // production data
        {18, mapData, 19, 62},  // calibration map
    };
    return list;
}

QByteArray ack(quint8 service)
{
    QByteArray m = QByteArray::fromHex("410206");
    m.append(static_cast<char>(service + 0x40)).append('\x01');
    m.append(static_cast<char>(EcuSimLine::checksum(m)));
    return m;
}

QByteArray refusal(quint8 service)
{
    QByteArray m = QByteArray::fromHex("4102067F");
    m.append(static_cast<char>(service));
    m.append(static_cast<char>(EcuSimLine::checksum(m)));
    return m;
}

// CPU time (user + system, in clock ticks) that a process has used so far.
long cpuTicks(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLong() + fields.value(12).toLong();   // utime, stime
}

QByteArray dataOf(const QByteArray &answer)
{
    return answer.mid(5, answer.size() - 6);
}

} // namespace

class TestEcuSimProtocol : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void probeIsAnsweredAsProgrammed();
    void identityNamesTheFirmware();
    void everyReadAnswersWholeBlock();
    void writeReplacesOnlyItsBlock_data();
    void writeReplacesOnlyItsBlock();
    void storeIsAcknowledged();
    void refusals_data();
    void refusals();
    void framingSurvivesGarbageAndSplits();
    void stalePartialMessageIsDropped();
    void lineSurvivesReopen();

    void terminationRemovesLink();
    void onlyStaleLinksAreReplaced();

private:
    QByteArray readBlock(const BlockAccess &b) { return m_ecu->exchange(EcuSimLine::request(b.readService, b.readData)); }

    std::unique_ptr<EcuSimLine> m_ecu;
};

void TestEcuSimProtocol::init()
{
    m_ecu = std::make_unique<EcuSimLine>();
    const QString why = m_ecu->start();
    QVERIFY2(why.isEmpty(), qPrintable(why));
}

void TestEcuSimProtocol::cleanup()
{
    m_ecu.reset();
}

void TestEcuSimProtocol::probeIsAnsweredAsProgrammed()
{
    QCOMPARE(m_ecu->exchange(QByteArray::fromHex("420104210066")).toHex(), QByteArray("420104610127"));
    // A probe with a wrong checksum is not the probe: the boot loader stays silent.
    m_ecu->send(QByteArray::fromHex("420104210067"));
    QCOMPARE(m_ecu->readFor(300).toHex(), QByteArray());
}

void TestEcuSimProtocol::identityNamesTheFirmware()
{
    const QByteArray a = m_ecu->exchange(EcuSimLine::request(33));
    QCOMPARE(a.left(5).toHex(), QByteArray("41021b6101"));
    QVERIFY(EcuSimLine::checksumOk(a));
    const QByteArray identity = dataOf(a);
    QCOMPARE(identity.left(6).toHex(), QByteArray("012828112014"));
    QCOMPARE(identity.split(' ').value(2), QByteArray("GC-SQ4"));
}

void TestEcuSimProtocol::everyReadAnswersWholeBlock()
{
    for (const BlockAccess &b : blocks()) {
        const QByteArray a = readBlock(b);
        const QByteArray what = "service " + QByteArray::number(b.readService) + ": " + a.toHex(' ');
        QVERIFY2(a.size() == b.answerLength, what.constData());
        QVERIFY2(static_cast<quint8>(a.at(2)) == a.size(), what.constData());
        QVERIFY2(a.left(2) == QByteArray::fromHex("4102"), what.constData());
        QVERIFY2(static_cast<quint8>(a.at(3)) == b.readService + 0x40, what.constData());
        QVERIFY2(a.at(4) == 0x01, what.constData());
        QVERIFY2(EcuSimLine::checksumOk(a), what.constData());
    }
}

void TestEcuSimProtocol::writeReplacesOnlyItsBlock_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < blocks().size(); ++i) {
        if (blocks().at(i).writeService != 0)
            QTest::newRow(QByteArray::number(blocks().at(i).writeService).constData()) << i;
    }
}

void TestEcuSimProtocol::writeReplacesOnlyItsBlock()
{
    QFETCH(int, index);
    const BlockAccess &target = blocks().at(index);

    QList<QByteArray> before;
    for (const BlockAccess &b : blocks())
        before << readBlock(b);

    QByteArray data = dataOf(before.at(index));
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(0xA5 ^ i);
    QCOMPARE(m_ecu->exchange(EcuSimLine::request(target.writeService, data)).toHex(),
             ack(target.writeService).toHex());

    // The live block moves with the engine; the command block's first two
    // values are the ECU's own fuel request and confirmed fuel (a request
    // code other than 3 means petrol: 0 and 0).
    const int liveIndex = 1, stateIndex = 2;
    if (index == stateIndex)
        data[0] = data[1] = 0;
    for (int i = 0; i < blocks().size(); ++i) {
        const QByteArray now = readBlock(blocks().at(i));
        if (i == index) {
            QCOMPARE(dataOf(now).toHex(), data.toHex());
            QVERIFY(EcuSimLine::checksumOk(now));
        } else if (i != liveIndex) {
            QCOMPARE(now.toHex(), before.at(i).toHex());
        }
    }

    // A write whose data do not fill the block exactly is refused and changes nothing.
    QCOMPARE(m_ecu->exchange(EcuSimLine::request(target.writeService, data.left(data.size() - 1))).toHex(),
             refusal(target.writeService).toHex());
    QCOMPARE(m_ecu->exchange(EcuSimLine::request(target.writeService, data + '\0')).toHex(),
             refusal(target.writeService).toHex());
    QCOMPARE(dataOf(readBlock(target)).toHex(), data.toHex());
}

void TestEcuSimProtocol::storeIsAcknowledged()
{
    const QByteArray config = readBlock(blocks().at(3));
    QCOMPARE(m_ecu->exchange(QByteArray::fromHex("4102031555")).toHex(), QByteArray("410206550111"));
    QCOMPARE(m_ecu->exchange(EcuSimLine::request(21)).toHex(), ack(21).toHex());
    QCOMPARE(readBlock(blocks().at(3)).toHex(), config.toHex());
}

void TestEcuSimProtocol::refusals_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("answer");

    QByteArray badChecksum = EcuSimLine::request(14);
    badChecksum.back() = static_cast<char>(badChecksum.back() ^ 0x01);
    QTest::newRow("bad checksum") << badChecksum << refusal(14);
    QTest::newRow("unknown service") << EcuSimLine::request(0x55) << refusal(0x55);
    QTest::newRow("map read, other data") << EcuSimLine::request(18, QByteArray::fromHex("00006F")) << refusal(18);
    QTest::newRow("map read, no data") << EcuSimLine::request(18) << refusal(18);
    QTest::newRow("live read with data") << EcuSimLine::request(11, QByteArray(1, '\0')) << refusal(11);
    QTest::newRow("store with data") << EcuSimLine::request(21, QByteArray(1, '\0')) << refusal(21);
}

void TestEcuSimProtocol::refusals()
{
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, answer);
    QCOMPARE(m_ecu->exchange(message).toHex(), answer.toHex());
    // The ECU is still in step afterwards.
    QCOMPARE(m_ecu->exchange(QByteArray::fromHex("420104210066")).toHex(), QByteArray("420104610127"));
}

void TestEcuSimProtocol::framingSurvivesGarbageAndSplits()
{
    const QByteArray read13 = EcuSimLine::request(13);
    const QByteArray expected = readBlock(blocks().at(2));

    m_ecu->send(QByteArray::fromHex("00ff4113410a") + read13);
    QCOMPARE(m_ecu->readAnswer().toHex(), expected.toHex());

    m_ecu->send(read13.left(2));
    QTest::qWait(20);
    QCOMPARE(m_ecu->exchange(read13.mid(2)).toHex(), expected.toHex());

    // Two requests in one write: two answers, in order.
    m_ecu->send(QByteArray::fromHex("420104210066") + read13);
    QCOMPARE(m_ecu->readAnswer().toHex(), QByteArray("420104610127"));
    QCOMPARE(m_ecu->readAnswer().toHex(), expected.toHex());
}

void TestEcuSimProtocol::stalePartialMessageIsDropped()
{
    // The start of a long write, then nothing: a later request must not be
    // swallowed as the rest of it.
    m_ecu->send(QByteArray::fromHex("410230"));
    QTest::qWait(300);
    QCOMPARE(m_ecu->exchange(QByteArray::fromHex("420104210066")).toHex(), QByteArray("420104610127"));
}

void TestEcuSimProtocol::lineSurvivesReopen()
{
    for (int i = 0; i < 3; ++i) {
        m_ecu->closeLine();
        // With nobody on the line ecusim must idle, not spin on a hung-up master.
        const long before = cpuTicks(m_ecu->process().processId());
        QTest::qWait(500);
        const long used = cpuTicks(m_ecu->process().processId()) - before;
        QVERIFY2(before >= 0 && used < 20, qPrintable(QStringLiteral("%1 ticks while idle").arg(used)));
        QVERIFY(m_ecu->openLine());
        QCOMPARE(m_ecu->exchange(QByteArray::fromHex("420104210066")).toHex(), QByteArray("420104610127"));
    }
}

void TestEcuSimProtocol::terminationRemovesLink()
{
    QVERIFY(QFileInfo(m_ecu->linkPath()).isSymLink());
    QCOMPARE(m_ecu->terminate(), 0);
    QVERIFY(!QFileInfo::exists(m_ecu->linkPath()) && !QFileInfo(m_ecu->linkPath()).isSymLink());
}

void TestEcuSimProtocol::onlyStaleLinksAreReplaced()
{
    QCOMPARE(m_ecu->terminate(), 0);
    const QString path = m_ecu->linkPath();
    QProcess p;

    // A dead symlink left by an earlier run is replaced.
    QVERIFY(QFile::link(QStringLiteral("/dev/pts/nonexistent-ecu"), path));
    p.start(QStringLiteral(ECUSIM_PATH), {QStringLiteral("--link"), path});
    QVERIFY(p.waitForReadyRead(5000));
    QCOMPARE(p.readLine().trimmed(), QByteArray("ready"));
    QVERIFY(QFileInfo::exists(path));
    p.terminate();
    QVERIFY(p.waitForFinished(3000));

    // Any other file is left alone and ecusim refuses to start.
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write("keep me") == 7);
    f.close();
    p.start(QStringLiteral(ECUSIM_PATH), {QStringLiteral("--link"), path});
    QVERIFY(p.waitForFinished(5000));
    QVERIFY(p.exitCode() != 0 && !p.readAllStandardOutput().contains("ready"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("keep me"));
}

GASCAL_PROVA(TestEcuSimProtocol)
#include "tst_ecusim_protocol.moc"
