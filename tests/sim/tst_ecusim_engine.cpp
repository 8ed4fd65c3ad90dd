// ecusim's engine, driven over its control channel and watched on the
// line as the program sees it: the live record, the fuel change-over that
// the command and configuration records command, the control commands,
// and the CNG variant.

#include "RegistroProve.h"
#include "EcuSimLine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <functional>
#include <memory>

namespace {

// Data bytes (0-based) of the values used here.
constexpr int LivePeriod = 8, LivePressure = 10, LiveStatus = 12, LiveFiltered = 13, LiveRaw = 15,
              LiveTemp = 17, LiveLeds = 18;
constexpr int StateRequested = 0, StateConfirmed = 1, StateMode = 2, StateFaults = 3;
constexpr int ConfigSwitchTemp = 0, ConfigLevelSensor = 9, ConfigEnables = 19, ConfigDelay = 22,
              ConfigSwitchPeriod = 24, ConfigEndOfGasTime = 32, ConfigFactor = 34;

int u8(const QByteArray &d, int i) { return static_cast<quint8>(d.at(i)); }
int u16(const QByteArray &d, int i) { return u8(d, i) | (u8(d, i + 1) << 8); }
void put16(QByteArray &d, int i, int v)
{
    d[i] = static_cast<char>(v & 0xFF);
    d[i + 1] = static_cast<char>((v >> 8) & 0xFF);
}

QByteArray dataOf(const QByteArray &answer) { return answer.mid(5, answer.size() - 6); }

} // namespace

class TestEcuSimEngine : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void ignitionGatesLiveData();
    void engineSpeedDecodes_data();
    void engineSpeedDecodes();
    void gasRequestFromTheSwitch_data();
    void gasRequestFromTheSwitch();
    void stateToggleOnTheWire();
    void commandBlockWritesWithoutTheRequestBit();
    void endOfGasFallsBackToPetrol();
    void tankMovesTheLevelReadings();
    void temperatureMovesValue9();
    void controlCommands();
    void cngVariant();

private:
    QByteArray read(quint8 service) { return dataOf(m_ecu->exchange(EcuSimLine::request(service))); }
    QByteArray live() { return read(11); }
    QByteArray state() { return read(13); }
    QByteArray config() { return read(14); }
    void write(quint8 service, const QByteArray &data)
    {
        const QByteArray a = m_ecu->exchange(EcuSimLine::request(service, data));
        QVERIFY2(a.size() == 6 && u8(a, 3) == service + 0x40, a.toHex().constData());
    }
    void setConfig(const std::function<void(QByteArray &)> &change)
    {
        QByteArray c = config();
        change(c);
        write(17, c);
    }
    void command(const QString &line) { QCOMPARE(m_ecu->control(line), QStringLiteral("ok")); }
    // Polls until the condition holds; false when timeoutMs passed first.
    bool waitFor(const std::function<bool()> &condition, int timeoutMs)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            if (condition())
                return true;
            QTest::qWait(100);
        }
        return condition();
    }
    int rpm()
    {
        const QByteArray l = live();
        const int factor = u8(config(), ConfigFactor);
        return (u8(l, LiveStatus) & 1) && u16(l, LivePeriod) ? 30000000 / (u16(l, LivePeriod) * factor) : 0;
    }
    int confirmed() { return u8(state(), StateConfirmed); }

    std::unique_ptr<EcuSimLine> m_ecu;
};

void TestEcuSimEngine::init()
{
    m_ecu = std::make_unique<EcuSimLine>(QTest::currentTestFunction() == QByteArray("cngVariant")
                                             ? QStringList{QStringLiteral("--cng")}
                                             : QStringList{});
    const QString why = m_ecu->start();
    QVERIFY2(why.isEmpty(), qPrintable(why));
}

void TestEcuSimEngine::cleanup()
{
    m_ecu.reset();
}

void TestEcuSimEngine::ignitionGatesLiveData()
{
    // Factory state: key on, idling on petrol, red fuel LED and three level LEDs.
    QByteArray l = live();
    QCOMPARE(u8(l, LiveStatus) & 1, 1);
    QCOMPARE(u16(l, LiveLeds), 0x00FF);
    QVERIFY(qAbs(rpm() - 800) <= 10);

    command(QStringLiteral("key off"));
    QVERIFY(waitFor([this] { return (u8(live(), LiveStatus) & 1) == 0; }, 500));
    QVERIFY(waitFor([this] { return u16(live(), LiveLeds) == 0; }, 500));
    QCOMPARE(u8(live(), LiveStatus) & 2, 0);   // no gas valve either

    command(QStringLiteral("key on"));
    QVERIFY(waitFor([this] { return u8(live(), LiveStatus) & 1; }, 1000));
    QVERIFY(waitFor([this] { return qAbs(rpm() - 800) <= 10; }, 1500));
}

void TestEcuSimEngine::engineSpeedDecodes_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("factor");
    QTest::newRow("2500 rpm, factor 1") << 2500 << 1;
    QTest::newRow("2500 rpm, factor 2") << 2500 << 2;
    QTest::newRow("5500 rpm, factor 1") << 5500 << 1;
}

void TestEcuSimEngine::engineSpeedDecodes()
{
    QFETCH(int, target);
    QFETCH(int, factor);
    setConfig([factor](QByteArray &c) { c[ConfigFactor] = static_cast<char>(factor); });
    command(QStringLiteral("rpm %1").arg(target));
    // Still on its way up: the transient bit is set.
    QTest::qWait(200);
    QVERIFY(u8(live(), LiveStatus) & 4);
    // Once the speed has settled the period is the exact one for the target.
    QVERIFY2(waitFor([&] { return qAbs(u16(live(), LivePeriod) - 30000000 / (target * factor)) <= 1; }, 5000),
             qPrintable(QString::number(rpm())));
    QVERIFY(qAbs(rpm() - target) <= target / 100);
    QVERIFY(waitFor([&] { return (u8(live(), LiveStatus) & 4) == 0; }, 1000)); // steady
}

void TestEcuSimEngine::gasRequestFromTheSwitch_data()
{
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("gasTemp");
    QTest::addColumn<int>("switchTemp");
    QTest::addColumn<bool>("switches");
    QTest::newRow("warm, above the switch-over speed") << 2500 << 65 << 35 << true;
    QTest::newRow("reducer cold") << 2500 << 10 << 35 << false;
    QTest::newRow("below the switch-over speed") << 1000 << 65 << 35 << false;
    QTest::newRow("cold, no temperature condition") << 2500 << 10 << 150 << true;
}

void TestEcuSimEngine::gasRequestFromTheSwitch()
{
    QFETCH(int, speed);
    QFETCH(int, gasTemp);
    QFETCH(int, switchTemp);
    QFETCH(bool, switches);
    setConfig([switchTemp](QByteArray &c) {
        c[ConfigSwitchTemp] = static_cast<char>(switchTemp);
        put16(c, ConfigDelay, 1500);   // switch-over speed stays 1500 rpm (period 20000)
    });
    command(QStringLiteral("temp %1").arg(gasTemp));
    command(QStringLiteral("rpm %1").arg(speed));
    QVERIFY(waitFor([&] { return qAbs(rpm() - speed) <= 30; }, 3000));

    command(QStringLiteral("fuel gas"));
    QCOMPARE(u8(state(), StateRequested), 3);
    // Waiting: the fuel LED blinks slowly (high bit only).
    QVERIFY(waitFor([this] { return (u16(live(), LiveLeds) & 0x3) == 0x2; }, 300));
    QTest::qWait(800);
    QCOMPARE(confirmed(), 0);   // the delay has not passed yet
    const bool onGas = waitFor([this] { return confirmed() == 3; }, 2500);
    QCOMPARE(onGas, switches);
    const QByteArray l = live();
    QCOMPARE(bool(u8(l, LiveStatus) & 2), switches);              // gas valve
    QCOMPARE(u16(l, LiveLeds) & 0x0C03, switches ? 0x0C00 : 0x0002); // orange steady, or still waiting

    command(QStringLiteral("fuel petrol"));
    QVERIFY(waitFor([this] {
        const QByteArray l = live();
        return confirmed() == 0 && (u8(l, LiveStatus) & 2) == 0 && (u16(l, LiveLeds) & 0x0C03) == 0x0003;
    }, 500));
}

// The program's fuel toggle, done by hand: flip the state request bit, write
// the target fuel, poll the confirmed fuel, flip the bit back.
void TestEcuSimEngine::stateToggleOnTheWire()
{
    setConfig([](QByteArray &c) { put16(c, ConfigDelay, 500); });
    command(QStringLiteral("rpm 2500"));
    QVERIFY(waitFor([this] { return rpm() > 2400; }, 3000));

    auto toggle = [this](int target) {
        QByteArray s = state();
        QCOMPARE(u8(s, StateMode) & 1, 0);
        s[StateMode] = static_cast<char>(u8(s, StateMode) ^ 1);
        write(16, s);
        QTest::qWait(500);
        s = state();
        s[StateRequested] = static_cast<char>(target);
        write(16, s);
        QTest::qWait(500);
        for (int i = 0; i < 12 && u8(s, StateConfirmed) != target; ++i) {
            QTest::qWait(250);
            s = state();
        }
        QCOMPARE(u8(s, StateConfirmed), target);
        s[StateMode] = static_cast<char>(u8(s, StateMode) ^ 1);
        write(16, s);
    };

    toggle(3);
    QCOMPARE(u8(state(), StateRequested), 3);   // the request survives the bit going back
    QTest::qWait(300);
    QCOMPARE(confirmed(), 3);
    toggle(0);
    QCOMPARE(u8(state(), StateRequested), 0);
    QCOMPARE(u8(live(), LiveStatus) & 2, 0);
}

void TestEcuSimEngine::commandBlockWritesWithoutTheRequestBit()
{
    setConfig([](QByteArray &c) { put16(c, ConfigDelay, 0); });
    command(QStringLiteral("rpm 2500"));

    // Without the request bit the ECU keeps its own fuel values.
    QByteArray s = state();
    s[StateRequested] = 3;
    s[StateConfirmed] = 3;
    write(16, s);
    s = state();
    QCOMPARE(u8(s, StateRequested), 0);
    QCOMPARE(u8(s, StateConfirmed), 0);

    // On gas, a map-file load (values 0 and 1 written as 0) does not stop the gas.
    command(QStringLiteral("fuel gas"));
    QVERIFY(waitFor([this] { return confirmed() == 3; }, 3000));
    s = state();
    s[StateRequested] = s[StateConfirmed] = 0;
    write(16, s);
    QCOMPARE(confirmed(), 3);
    QTest::qWait(300);
    QCOMPARE(confirmed(), 3);
}

void TestEcuSimEngine::endOfGasFallsBackToPetrol()
{
    setConfig([](QByteArray &c) {
        put16(c, ConfigDelay, 0);
        put16(c, ConfigEndOfGasTime, 500);
    });
    command(QStringLiteral("rpm 2500"));
    command(QStringLiteral("fuel gas"));
    QVERIFY(waitFor([this] { return confirmed() == 3; }, 3000));

    command(QStringLiteral("tank 0"));
    QVERIFY(waitFor([this] { return confirmed() == 0; }, 3000));
    QVERIFY(u16(live(), LivePressure) < 600);
    const QByteArray s = state();
    QCOMPARE(u8(s, StateRequested), 0);        // the request is dropped
    QCOMPARE(u8(s, StateFaults) & 1, 1);
    const int leds = u16(live(), LiveLeds);
    QVERIFY2(leds & 0x8000, qPrintable(QString::number(leds, 16)));   // fast beeps
    QCOMPARE(leds & 0x3000, 0x1000);                                  // red LED blinking fast
}

void TestEcuSimEngine::tankMovesTheLevelReadings()
{
    const int before = u16(live(), LiveFiltered);
    QVERIFY(qAbs(before - 512) <= 3);

    command(QStringLiteral("tank 10"));   // about 102 counts
    QVERIFY(waitFor([this] { return qAbs(u16(live(), LiveRaw) - 102) <= 4; }, 500));
    QVERIFY2(u16(live(), LiveFiltered) > 200, "the filtered reading lags");
    QVERIFY(waitFor([this] { return qAbs(u16(live(), LiveFiltered) - 102) <= 2; }, 8000));
    QCOMPARE(u16(live(), LiveLeds) & 0x3FC, 0x00C);   // reserve LED alone, steady

    command(QStringLiteral("tank 5"));    // below the lowest threshold (100)
    QVERIFY(waitFor([this] { return (u16(live(), LiveLeds) & 0x3FC) == 0x004; }, 8000));   // reserve, fast blink

    // An inverted sensor reads the other way round; the LEDs still show the level.
    setConfig([](QByteArray &c) { put16(c, ConfigLevelSensor, 0x2001); });
    command(QStringLiteral("tank 80"));
    QVERIFY(waitFor([this] { return qAbs(u16(live(), LiveFiltered) - (1023 - 818)) <= 2; }, 8000));
    QCOMPARE(u16(live(), LiveLeds) & 0x3FC, 0x3FC);
}

void TestEcuSimEngine::temperatureMovesValue9()
{
    command(QStringLiteral("key off"));   // no warm-up: the value stays where it is set
    command(QStringLiteral("temp 30"));
    QTest::qWait(150);
    QCOMPARE(static_cast<qint8>(live().at(LiveTemp)), qint8(30));
    command(QStringLiteral("temp -12"));
    QTest::qWait(150);
    QCOMPARE(static_cast<qint8>(live().at(LiveTemp)), qint8(-12));

    // With the engine running the reducer warms up.
    command(QStringLiteral("key on"));
    QVERIFY(waitFor([this] { return static_cast<qint8>(live().at(LiveTemp)) >= -10; }, 6000));
}

void TestEcuSimEngine::controlCommands()
{
    const QString s = m_ecu->control(QStringLiteral("state"));
    for (const char *field : {"key=on", "rpm=800", "fuel=petrol", "tank=50", "temp=65"})
        QVERIFY2(s.contains(QLatin1String(field)), qPrintable(s));

    for (const char *bad : {"rpm", "rpm fast", "rpm 99999", "load 101", "tank -1", "key maybe", "fuel diesel",
                            "jump", "state now"})
        QVERIFY2(m_ecu->control(QLatin1String(bad)).startsWith(QLatin1String("error:")), bad);
    QVERIFY(m_ecu->control(QStringLiteral("state")).contains(QLatin1String("target=800")));   // nothing changed

    QCOMPARE(m_ecu->control(QStringLiteral("quit")), QStringLiteral("bye"));
    QVERIFY(m_ecu->process().waitForFinished(3000));
    QCOMPARE(m_ecu->process().exitCode(), 0);
    QVERIFY(!QFile::exists(m_ecu->linkPath()));
    QVERIFY(!QFile::exists(m_ecu->controlPath()));
}

void TestEcuSimEngine::cngVariant()
{
    // The identity is the second firmware entry of the message table.
    QFile table(QStringLiteral(SETCOM_PATH));
    QVERIFY(table.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = table.readAll().split('\n');
    QList<QByteArray> firmware;
    for (int i = 0; i + 1 < lines.size(); ++i) {
        if (lines.at(i).trimmed() == "[FIRMWARE]")
            firmware << QByteArray::fromHex(lines.at(i + 1).trimmed());
    }
    QVERIFY(firmware.size() >= 2);
    QCOMPARE(m_ecu->exchange(EcuSimLine::request(33)).toHex(), firmware.at(1).toHex());

    QCOMPARE(u8(config(), ConfigEnables) & 8, 8);
    QVERIFY(u16(live(), LivePressure) > 1500);

    // The definition files come from the same factory contents.
    QProcess p;
    const QString path = QFileInfo(m_ecu->linkPath()).dir().filePath(QStringLiteral("def_cng.xar"));
    p.start(QStringLiteral(ECUSIM_PATH), {QStringLiteral("--write-definitions"), path, QStringLiteral("--cng")});
    QVERIFY(p.waitForFinished(3000));
    QCOMPARE(p.exitCode(), 0);
    QFile def(path);
    QVERIFY(def.open(QIODevice::ReadOnly));
    const QList<QByteArray> defLines = def.readAll().split('\n');
    QCOMPARE(defLines.size(), 11);   // five sections, two lines each, and the end
    QCOMPARE(defLines.at(0), QByteArray("[BLK_1]\r"));
    const struct { int line; quint8 service; QByteArray data; } blocks[] = {
        {3, 13, {}}, {5, 14, {}}, {7, 49, {}}, {9, 18, QByteArray::fromHex("00006E")}};
    for (const auto &b : blocks)
        QCOMPARE(defLines.at(b.line).trimmed(), m_ecu->exchange(EcuSimLine::request(b.service, b.data)).toHex().toUpper());
}

GASCAL_PROVA(TestEcuSimEngine)
#include "tst_ecusim_engine.moc"
