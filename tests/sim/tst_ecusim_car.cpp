// The car behind ecusim as autotuning sees it: the petrol ECU's closed-loop
// trim answering the gas installation's error, the tuning mode of the
// command block (gas at once and held, value 5 the whole correction), the
// calibration line outside it, and the cold start.

#include "RegistroProve.h"
#include "EcuSimLine.h"

#include <QElapsedTimer>
#include <QTest>

#include <functional>
#include <memory>

namespace {

constexpr int LivePetrol = 2, LiveCorrection = 6, LiveStatus = 12, LiveTemp = 17;
constexpr int StateRequested = 0, StateConfirmed = 1, StateMode = 2, StateCorrection = 5;
constexpr int ModeRequest = 1, ModeTuning = 2;

int u8(const QByteArray &d, int i) { return static_cast<quint8>(d.at(i)); }
int u16(const QByteArray &d, int i) { return u8(d, i) | (u8(d, i + 1) << 8); }
int s16(const QByteArray &d, int i) { return static_cast<qint16>(u16(d, i)); }
void put16(QByteArray &d, int i, int v)
{
    d[i] = static_cast<char>(v & 0xFF);
    d[i + 1] = static_cast<char>((v >> 8) & 0xFF);
}
QByteArray dataOf(const QByteArray &answer) { return answer.mid(5, answer.size() - 6); }

} // namespace

class TestEcuSimCar : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void trimAnswersTheInstallationError();
    void tuningModeHoldsGasAndUsesValue5();
    void lineAloneOutsideTuning();
    void coldStartWarmsUp();

private:
    QByteArray read(quint8 service) { return dataOf(m_ecu->exchange(EcuSimLine::request(service))); }
    QByteArray live() { return read(11); }
    QByteArray state() { return read(13); }
    void write(quint8 service, const QByteArray &data)
    {
        const QByteArray a = m_ecu->exchange(EcuSimLine::request(service, data));
        QVERIFY2(a.size() == 6 && u8(a, 3) == service + 0x40, a.toHex().constData());
    }
    void command(const QString &line) { QCOMPARE(m_ecu->control(line), QStringLiteral("ok")); }
    bool waitFor(const std::function<bool()> &condition, int timeoutMs)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            if (condition())
                return true;
            QTest::qWait(50);
        }
        return condition();
    }
    // The petrol time averaged over a second of samples once it settled.
    double settledPetrol()
    {
        QTest::qWait(1500);   // about ten time constants at time scale 5
        double sum = 0;
        for (int i = 0; i < 10; ++i) {
            sum += u16(live(), LivePetrol) * 4;
            QTest::qWait(100);
        }
        return sum / 10;
    }
    // Writes the command block: value 0, the mode bits, value 5.
    void setState(int requested, int mode, int correction)
    {
        QByteArray s = state();
        s[StateRequested] = static_cast<char>(requested);
        s[StateMode] = static_cast<char>(mode);
        put16(s, StateCorrection, correction);
        write(16, s);
    }
    int confirmed() { return u8(state(), StateConfirmed); }

    std::unique_ptr<EcuSimLine> m_ecu;
};

void TestEcuSimCar::init()
{
    QStringList options{QStringLiteral("--time-scale"), QStringLiteral("5")};
    if (QTest::currentTestFunction() == QByteArray("coldStartWarmsUp"))
        options << QStringLiteral("--cold");
    m_ecu = std::make_unique<EcuSimLine>(options);
    const QString why = m_ecu->start();
    QVERIFY2(why.isEmpty(), qPrintable(why));
}

void TestEcuSimCar::cleanup()
{
    m_ecu.reset();
}

// Petrol: the time is the need. Gas through the factory line with injectors
// 15 % short and 250 us of offset: lean, so the trim lengthens the time by
// about (need + offset) / 0.85 - line - need. A richer installation shortens it.
void TestEcuSimCar::trimAnswersTheInstallationError()
{
    const double onPetrol = settledPetrol();
    QVERIFY2(qAbs(onPetrol - 2800) < 30, qPrintable(QString::number(onPetrol)));

    command(QStringLiteral("fuel gas"));
    command(QStringLiteral("rpm 2000"));
    QVERIFY(waitFor([this] { return confirmed() == 3; }, 5000));
    command(QStringLiteral("rpm 800"));
    const double lean = settledPetrol();
    const double expected = (2800 + 250) / 0.85 - 128;   // the factory line gives 2 steps at point 13
    QVERIFY2(qAbs(lean - expected) < 100, qPrintable(QString::number(lean)));

    command(QStringLiteral("flow 120"));
    command(QStringLiteral("offset 0"));
    const double rich = settledPetrol();
    QVERIFY2(rich < onPetrol * 0.9, qPrintable(QString::number(rich)));
    QVERIFY(m_ecu->control(QStringLiteral("state")).contains(QLatin1String("flow=120")));
    for (const char *bad : {"flow 20", "flow x", "offset 5000"})
        QVERIFY2(m_ecu->control(QLatin1String(bad)).startsWith(QLatin1String("error:")), bad);
}

// Tuning mode: a gas request goes to gas at once (no switch-over delay, cold
// or idle), value 5 alone corrects, and a petrol request waits for the end
// of the mode. With value 5 at the installation's need the time on gas is the
// time on petrol.
void TestEcuSimCar::tuningModeHoldsGasAndUsesValue5()
{
    const double onPetrol = settledPetrol();
    const int need = qRound(((2800 + 250) / 0.85 - 2800) / 64) * 64;   // 768
    setState(0, ModeRequest | ModeTuning, need);
    setState(3, ModeRequest | ModeTuning, need);
    QVERIFY(waitFor([this] { return confirmed() == 3; }, 1000));
    QCOMPARE(s16(live(), LiveCorrection) * 4, need);
    const double onGas = settledPetrol();
    QVERIFY2(qAbs(onGas - onPetrol) < onPetrol * 0.02, qPrintable(QStringLiteral("%1 %2").arg(onGas).arg(onPetrol)));

    // Value 0 back to petrol: still on gas while the mode lasts.
    setState(0, ModeRequest | ModeTuning, need);
    QTest::qWait(300);
    QCOMPARE(confirmed(), 3);
    QCOMPARE(u8(state(), StateRequested), 0);
    QVERIFY(u8(live(), LiveStatus) & 2);
    // The mode ends: the petrol request is taken.
    setState(0, 0, need);
    QVERIFY(waitFor([this] { return confirmed() == 0; }, 1000));
}

// Outside tuning mode value 5 is kept but not used: the line alone corrects.
void TestEcuSimCar::lineAloneOutsideTuning()
{
    setState(0, 0, 1280);
    QTest::qWait(200);
    QCOMPARE(s16(live(), LiveCorrection) * 4, 128);   // factory line, point 10
    setState(0, ModeTuning, 1280);
    QTest::qWait(200);
    QCOMPARE(s16(live(), LiveCorrection) * 4, 1280);
}

void TestEcuSimCar::coldStartWarmsUp()
{
    const int start = static_cast<qint8>(live().at(LiveTemp));
    QVERIFY2(start <= 25, qPrintable(QString::number(start)));
    // 0.5 degC/s of engine time, five times faster: 35 degC within about 6 s.
    QVERIFY(waitFor([this] { return static_cast<qint8>(live().at(LiveTemp)) >= 35; }, 9000));
}

GASCAL_PROVA(TestEcuSimCar)
#include "tst_ecusim_car.moc"
