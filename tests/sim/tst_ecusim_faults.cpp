// ecusim's options: an ECU without firmware, another identity, and the
// faults injected for tests of the link (dropped requests, spoiled
// checksums, late answers, refused services), the cable pulled and the
// ECU's power cycled through the control channel, plus bad command lines.

#include "RegistroProve.h"
#include "EcuSimLine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
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
    void lineGoesSilent_data();
    void lineGoesSilent();
    void relativeControlPath();
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

void TestEcuSimFaults::lineGoesSilent_data()
{
    QTest::addColumn<QString>("cut");
    QTest::addColumn<QString>("restore");
    QTest::addColumn<QString>("silentField");
    QTest::addColumn<bool>("runningStateKept");
    QTest::newRow("cable pulled") << QStringLiteral("unplug") << QStringLiteral("plug")
                                  << QStringLiteral("line=unplugged") << true;
    QTest::newRow("power cycled") << QStringLiteral("power off") << QStringLiteral("power on")
                                  << QStringLiteral("power=off") << false;
}

// Either fault silences the line both ways, an answer already on its way
// included; the memory stays as written. Only a power cycle takes the ECU
// off gas and out of tuning mode.
void TestEcuSimFaults::lineGoesSilent()
{
    QFETCH(QString, cut);
    QFETCH(QString, restore);
    QFETCH(QString, silentField);
    QFETCH(bool, runningStateKept);
    constexpr int timeout = 3000;
    EcuSimLine ecu({QStringLiteral("--delay-ms"), QStringLiteral("300")});
    START(ecu);
    const QByteArray mapRead = EcuSimLine::request(18, QByteArray::fromHex("00006E"));
    auto data = [&](const QByteArray &request) {
        const QByteArray a = ecu.exchange(request, timeout);
        return a.mid(5, a.size() - 6);
    };
    auto written = [&](quint8 service, const QByteArray &bytes) {
        return ecu.exchange(EcuSimLine::request(service, bytes), timeout).size() == 6;
    };

    // Settings changed without a store, then gas in tuning mode with a correction.
    QByteArray config = data(EcuSimLine::request(14));
    config[22] = char(0x34);
    QVERIFY(written(17, config));
    QByteArray map = data(mapRead);
    map[0] = char(9);
    QVERIFY(written(19, map));
    QByteArray state = data(EcuSimLine::request(13));
    QCOMPARE(state.size(), 7);
    state[0] = char(3);                        // gas
    state[2] = char(0x03);                     // state request and tuning mode
    state[4] = char(0x20);                     // service flags
    state[5] = char(0x80);                     // tuning correction 640 us
    state[6] = char(0x02);
    QVERIFY(written(16, state));
    QTRY_VERIFY_WITH_TIMEOUT(ecu.control(QStringLiteral("state")).contains(QStringLiteral(" fuel=gas")), 5000);
    const QString before = ecu.control(QStringLiteral("state"));
    QVERIFY2(before.contains(QStringLiteral("tuning=1 ")) && before.endsWith(QStringLiteral("power=on line=plugged")),
             qPrintable(before));

    // A request whose answer is on its way when the line goes silent: the
    // answer is lost, even though the line is back before it was due.
    ecu.send(EcuSimLine::request(13));
    QCOMPARE(ecu.control(cut), QStringLiteral("ok"));
    QVERIFY2(ecu.control(QStringLiteral("state")).contains(silentField), qPrintable(silentField));
    QCOMPARE(ecu.exchange(probe, 800).toHex(), QByteArray());
    QCOMPARE(ecu.exchange(EcuSimLine::request(13), 800).toHex(), QByteArray());
    // Meanwhile the car runs on, and the ECU's memory is there.
    QCOMPARE(ecu.control(QStringLiteral("rpm 2000")), QStringLiteral("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(ecu.control(QStringLiteral("state")).contains(QStringLiteral(" rpm=2000")), 5000);
    QCOMPARE(ecu.control(QStringLiteral("block 3")), QString::fromLatin1(config.toHex().toUpper()));
    QCOMPARE(ecu.control(restore), QStringLiteral("ok"));
    ecu.send(EcuSimLine::request(13));
    QCOMPARE(ecu.control(cut), QStringLiteral("ok"));
    QCOMPARE(ecu.control(restore), QStringLiteral("ok"));
    QCOMPARE(ecu.readFor(800).toHex(), QByteArray());

    // Back: the settings as last written, and the running state as the fault left it.
    QCOMPARE(ecu.exchange(probe, timeout).toHex(), probeAnswer.toHex());
    QCOMPARE(data(EcuSimLine::request(14)).toHex(), config.toHex());
    QCOMPARE(data(mapRead).toHex(), map.toHex());
    const QByteArray after = data(EcuSimLine::request(13));
    QCOMPARE(after.mid(3).toHex(), state.mid(3).toHex());   // faults, service flags, correction
    const QString now = ecu.control(QStringLiteral("state"));
    QVERIFY2(now.endsWith(QStringLiteral("power=on line=plugged")), qPrintable(now));
    if (runningStateKept) {
        QCOMPARE(after.left(3).toHex(), QByteArray("030303"));
        QVERIFY2(now.contains(QStringLiteral(" fuel=gas")) && now.contains(QStringLiteral("tuning=1 ")), qPrintable(now));
    } else {
        QCOMPARE(after.left(3).toHex(), QByteArray("000000"));
        QVERIFY2(now.contains(QStringLiteral(" fuel=petrol")) && now.contains(QStringLiteral("tuning=0 "))
                     && now.contains(QStringLiteral("request=petrol")), qPrintable(now));
        // The driver's button works again once the ECU is back, not before.
        QCOMPARE(ecu.control(QStringLiteral("power off")), QStringLiteral("ok"));
        QVERIFY(ecu.control(QStringLiteral("fuel gas")).startsWith(QStringLiteral("error:")));
        QCOMPARE(ecu.control(QStringLiteral("power on")), QStringLiteral("ok"));
        QCOMPARE(ecu.control(QStringLiteral("fuel gas")), QStringLiteral("ok"));
        QVERIFY(ecu.control(QStringLiteral("state")).contains(QStringLiteral("request=gas")));
    }
}

// A relative control path is a socket in the current folder.
void TestEcuSimFaults::relativeControlPath()
{
    QTemporaryDir dir;
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(QStringLiteral(ECUSIM_PATH), {QStringLiteral("--link"), QStringLiteral("ecu"),
                                          QStringLiteral("--control"), QStringLiteral("./rel-ecu.ctl")});
    QVERIFY(p.waitForReadyRead(5000));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("rel-ecu.ctl"))).exists());
    QVERIFY(!QFileInfo::exists(QDir::temp().filePath(QStringLiteral("rel-ecu.ctl"))));
    p.terminate();
    QVERIFY(p.waitForFinished(5000));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("rel-ecu.ctl"))));
}

GASCAL_PROVA(TestEcuSimFaults)
#include "tst_ecusim_faults.moc"
