// ecusim's options: an ECU without firmware, another identity, and the
// faults injected for tests of the link (dropped requests, spoiled
// checksums, late answers, refused services), plus bad command lines.

#include "EcuSimLine.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray probe = QByteArray::fromHex("420104210066");
const QByteArray probeAnswer = QByteArray::fromHex("420104610127");

} // namespace

class TestEcuSimFaults : public QObject
{
    Q_OBJECT

private slots:
    void unprogrammedEchoesProbeOnly();
    void identityOption();
    void dropEveryNth();
    void corruptEveryNth();
    void delayedAnswer();
    void refusedService();
    void badCommandLines_data();
    void badCommandLines();
    void extremeInputsAreRefused();
    void settingsWithLfAndByteOrderMark();
    void demoDrivesTheEngineByItself();
};

#define START(ecu)                                   \
    do {                                             \
        const QString why = (ecu).start();           \
        QVERIFY2(why.isEmpty(), qPrintable(why));    \
    } while (0)

void TestEcuSimFaults::unprogrammedEchoesProbeOnly()
{
    EcuSimLine ecu({QStringLiteral("--unprogrammed")});
    START(ecu);
    QCOMPARE(ecu.exchange(probe).toHex(), probe.toHex());
    ecu.send(EcuSimLine::request(33));
    ecu.send(EcuSimLine::request(11));
    ecu.send(EcuSimLine::request(0x55));
    QCOMPARE(ecu.readFor(400).toHex(), QByteArray());
    QCOMPARE(ecu.exchange(probe).toHex(), probe.toHex());
}

void TestEcuSimFaults::identityOption()
{
    const QByteArray identity = QByteArray::fromHex("0210010120150000") + "X";
    EcuSimLine ecu({QStringLiteral("--identity"), QString::fromLatin1(identity.toHex())});
    START(ecu);
    const QByteArray a = ecu.exchange(EcuSimLine::request(33));
    QCOMPARE(a.size(), identity.size() + 6);
    QCOMPARE(static_cast<quint8>(a.at(2)), identity.size() + 6);
    QCOMPARE(a.mid(5, identity.size()).toHex(), identity.toHex());
    QVERIFY(EcuSimLine::checksumOk(a));
}

void TestEcuSimFaults::dropEveryNth()
{
    EcuSimLine ecu({QStringLiteral("--drop-every"), QStringLiteral("3")});
    START(ecu);
    for (int n = 1; n <= 7; ++n) {
        const QByteArray a = ecu.exchange(probe, n % 3 == 0 ? 300 : 2000);
        if (n % 3 == 0)
            QVERIFY2(a.isEmpty(), qPrintable(QStringLiteral("request %1 answered").arg(n)));
        else
            QCOMPARE(a.toHex(), probeAnswer.toHex());
    }
}

void TestEcuSimFaults::corruptEveryNth()
{
    EcuSimLine ecu({QStringLiteral("--corrupt-every"), QStringLiteral("2")});
    START(ecu);
    const QByteArray read = EcuSimLine::request(14);
    QByteArray good;
    for (int n = 1; n <= 4; ++n) {
        const QByteArray a = ecu.exchange(read);
        QCOMPARE(a.size(), 50);
        if (n % 2 == 0) {
            QVERIFY(!EcuSimLine::checksumOk(a));
            QCOMPARE(a.left(a.size() - 1).toHex(), good.left(good.size() - 1).toHex());
        } else {
            QVERIFY(EcuSimLine::checksumOk(a));
            good = a;
        }
    }
}

void TestEcuSimFaults::delayedAnswer()
{
    EcuSimLine ecu({QStringLiteral("--delay-ms"), QStringLiteral("400")});
    START(ecu);
    QElapsedTimer t;
    t.start();
    ecu.send(probe);
    QCOMPARE(ecu.readFor(250).toHex(), QByteArray());
    QCOMPARE(ecu.readAnswer(1500).toHex(), probeAnswer.toHex());
    QVERIFY(t.elapsed() >= 380);

    // Requests sent while an answer is pending are answered in order.
    ecu.send(probe + EcuSimLine::request(13));
    QCOMPARE(ecu.readAnswer(1500).toHex(), probeAnswer.toHex());
    QCOMPARE(ecu.readAnswer(1500).size(), 13);
}

void TestEcuSimFaults::refusedService()
{
    EcuSimLine ecu({QStringLiteral("--refuse"), QStringLiteral("17"), QStringLiteral("--refuse"), QStringLiteral("0x31")});
    START(ecu);
    const QByteArray config = ecu.exchange(EcuSimLine::request(14));
    QCOMPARE(config.size(), 50);
    const QByteArray write = EcuSimLine::request(17, config.mid(5, config.size() - 6));
    QCOMPARE(ecu.exchange(write).toHex(), QByteArray("4102067f112b"));
    QCOMPARE(ecu.exchange(EcuSimLine::request(49)).left(5).toHex(), QByteArray("4102067f31"));
    QCOMPARE(ecu.exchange(EcuSimLine::request(13)).size(), 13);
}

void TestEcuSimFaults::badCommandLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no link") << QStringList{};
    QTest::newRow("drop not a number") << QStringList{QStringLiteral("--link"), QStringLiteral("/tmp/x-ecu"), QStringLiteral("--drop-every"), QStringLiteral("x")};
    QTest::newRow("short identity") << QStringList{QStringLiteral("--link"), QStringLiteral("/tmp/x-ecu"), QStringLiteral("--identity"), QStringLiteral("0128")};
    QTest::newRow("identity longer than an answer") << QStringList{QStringLiteral("--link"), QStringLiteral("/tmp/x-ecu"), QStringLiteral("--identity"), QString(QStringLiteral("01")).repeated(250)};
    QTest::newRow("service too big") << QStringList{QStringLiteral("--link"), QStringLiteral("/tmp/x-ecu"), QStringLiteral("--refuse"), QStringLiteral("300")};
}

void TestEcuSimFaults::badCommandLines()
{
    QFETCH(QStringList, arguments);
    QProcess p;
    p.start(QStringLiteral(ECUSIM_PATH), arguments);
    QVERIFY(p.waitForFinished(5000));
    QVERIFY(p.exitCode() != 0);
    QVERIFY(!p.readAllStandardOutput().contains("ready"));
}

namespace {
// Runs ecusim with a message table and returns its exit code and error output.
QPair<int, QByteArray> RunWithSettings(const QByteArray &table)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("SetCom.ini")));
    if (!file.open(QIODevice::WriteOnly))
        return {-1, {}};
    file.write(table);
    file.close();
    QProcess p;
    p.start(QStringLiteral(ECUSIM_PATH), {QStringLiteral("--link"), dir.filePath(QStringLiteral("ecu")),
                                          QStringLiteral("--settings"), file.fileName()});
    if (p.waitForReadyRead(5000)) { // "ready": it took the table
        p.terminate();
        p.waitForFinished(5000);
        return {0, p.readAllStandardError()};
    }
    p.waitForFinished(5000);
    return {p.exitCode(), p.readAllStandardError()};
}
} // namespace

void TestEcuSimFaults::extremeInputsAreRefused()
{
    // A position no answer can have: refused, never added to (it overflowed).
    const auto [code, err] = RunWithSettings("[MSG]\r\n1\r\nLive\r\n4102030B4A\r\n0\r\n\r\n\r\n"
                                             "UB,6,1;SL,2147483647,1\r\n");
    QVERIFY(code != 0);
    QVERIFY2(err.contains("2147483647") && err.contains("Live"), err.constData());

    // The longest identity still fits one answer.
    EcuSimLine longest({QStringLiteral("--identity"), QString(QStringLiteral("02")).repeated(249)});
    START(longest);
    QCOMPARE(longest.exchange(EcuSimLine::request(33)).size(), 255);

    // The control channel takes finite numbers only.
    EcuSimLine ecu;
    START(ecu);
    const QString before = ecu.control(QStringLiteral("state"));
    for (const char *bad : {"rpm nan", "load NaN", "tank -nan", "temp inf", "rpm 1e999"})
        QVERIFY2(ecu.control(QString::fromLatin1(bad)).startsWith(QStringLiteral("error:")), bad);
    QCOMPARE(ecu.control(QStringLiteral("state")), before);
}

void TestEcuSimFaults::settingsWithLfAndByteOrderMark()
{
    // As a Linux editor saves it: LF line ends and a byte-order mark before the first section.
    const QByteArray identity = QByteArray::fromHex("0210010120150000") + "LF";
    const QByteArray answer = [&] {
        QByteArray a = QByteArray::fromHex("410200") + QByteArray::fromHex("6101") + identity;
        a[2] = static_cast<char>(a.size() + 1);
        return a + char(EcuSimLine::checksum(a));
    }();
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("SetCom.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF[FIRMWARE]\n" + answer.toHex().toUpper() + "\n");
    file.close();
    EcuSimLine ecu({QStringLiteral("--settings"), file.fileName()});
    START(ecu);
    QCOMPARE(ecu.exchange(EcuSimLine::request(33)).toHex(), answer.toHex());
}

void TestEcuSimFaults::demoDrivesTheEngineByItself()
{
    EcuSimLine ecu({QStringLiteral("--demo")});
    START(ecu);
    // The cycle starts at idle and moves on every few seconds, switching to gas.
    QVERIFY(ecu.control(QStringLiteral("state")).contains(QStringLiteral("target=800")));
    QTRY_VERIFY_WITH_TIMEOUT(ecu.control(QStringLiteral("state")).contains(QStringLiteral("target=1800")), 6000);
    QTRY_VERIFY_WITH_TIMEOUT(ecu.control(QStringLiteral("state")).contains(QStringLiteral("request=gas")), 6000);

    // A command of the user's pauses the cycle: the engine stays where it was
    // put for longer than a step ("state" alone does not pause it).
    QCOMPARE(ecu.control(QStringLiteral("rpm 4321")), QStringLiteral("ok"));
    QTest::qWait(5000);
    QVERIFY(ecu.control(QStringLiteral("state")).contains(QStringLiteral("target=4321")));
}

QTEST_GUILESS_MAIN(TestEcuSimFaults)
#include "tst_ecusim_faults.moc"
