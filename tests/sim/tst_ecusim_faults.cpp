// ecusim's options on its line: an ECU without firmware, other identities,
// the faults injected for tests of the link (dropped requests, spoiled
// checksums, late answers, refused services), the message table's identity,
// the demo drive, and the cable pulled and the ECU's power cycled through
// the control channel.
#include "RegistroProve.h"
#include "EcuSimLine.h"

#include <QElapsedTimer>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray Sonda = QByteArray::fromHex("420104210066");
const QByteArray RispostaSonda = QByteArray::fromHex("420104610127");
const QByteArray Identita = QByteArray::fromHex("0210010120150000") + "LF";

// The ECU's answer to a read: header, data, checksum.
QByteArray Risposta(quint8 servizio, const QByteArray &dati)
{
    QByteArray a = QByteArray::fromHex("4102") + char(dati.size() + 6) + char(servizio + 0x40) + '\1' + dati;
    return a + char(EcuSimLine::checksum(a));
}

// A request and what must come back: "=HEX" that answer, "-" none,
// "#N" an answer of N bytes, "!N" one of N bytes with a spoiled checksum
// and otherwise the one before, "?TEXT" the control channel's state holding
// TEXT. An empty request only reads.
using Passi = QList<std::pair<QByteArray, QByteArray>>;

} // namespace

Q_DECLARE_METATYPE(Passi)

class TestEcuSimFaults : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void options_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<Passi>("passi");
        QTest::addColumn<int>("ritardo");
        const QByteArray sonda = "=" + RispostaSonda.toHex();
        const QByteArray r14 = EcuSimLine::request(14);
        QTest::newRow("unprogrammed: the probe echoed only")
            << QStringList{"--unprogrammed"}
            << Passi{{Sonda, "=" + Sonda.toHex()}, {EcuSimLine::request(33), "-"}, {EcuSimLine::request(11), "-"},
                     {EcuSimLine::request(0x55), "-"}, {Sonda, "=" + Sonda.toHex()}} << 0;
        QTest::newRow("identity") << QStringList{"--identity", QString::fromLatin1(Identita.toHex())}
                                  << Passi{{EcuSimLine::request(33), "=" + Risposta(33, Identita).toHex()}} << 0;
        QTest::newRow("the longest identity fits one answer") << QStringList{"--identity", u"02"_s.repeated(249)}
                                                              << Passi{{EcuSimLine::request(33), "#255"}} << 0;
        // As a Linux editor saves it: LF line ends and a byte-order mark before the first section.
        QFile tabella(m_dir.filePath(u"SetCom.ini"_s));
        QVERIFY(tabella.open(QIODevice::WriteOnly));
        tabella.write("\xEF\xBB\xBF[FIRMWARE]\n" + Risposta(33, Identita).toHex().toUpper() + "\n");
        QTest::newRow("identity of the message table") << QStringList{"--settings", tabella.fileName()}
                                                       << Passi{{EcuSimLine::request(33), "=" + Risposta(33, Identita).toHex()}} << 0;
        QTest::newRow("every third request dropped") << QStringList{"--drop-every", "3"}
                                                     << Passi{{Sonda, sonda}, {Sonda, sonda}, {Sonda, "-"}, {Sonda, sonda}} << 0;
        QTest::newRow("every second answer spoiled") << QStringList{"--corrupt-every", "2"}
                                                     << Passi{{r14, "#50"}, {r14, "!50"}, {r14, "#50"}, {r14, "!50"}} << 0;
        // Requests sent while an answer is pending are answered in order.
        QTest::newRow("late answers") << QStringList{"--delay-ms", "200"}
                                      << Passi{{Sonda, sonda}, {Sonda + EcuSimLine::request(13), sonda}, {{}, "#13"}} << 180;
        QTest::newRow("cold start") << QStringList{"--cold"} << Passi{{{}, "?temp=20 "}} << 0;
        QTest::newRow("refused services") << QStringList{"--refuse", "17", "--refuse", "0x31"}
            << Passi{{EcuSimLine::request(17, QByteArray(44, '\0')), "=4102067f112b"},
                     {EcuSimLine::request(49), "=4102067f310b"}, {EcuSimLine::request(13), "#13"}} << 0;
        // The demo runs its first step at once; a user's command holds it
        // past the next step.
        QTest::newRow("demo drive, paused by the user")
            << QStringList{"--demo"} << Passi{{{}, "?load=10 "}, {"rpm 4321", "?target=4321"}} << 4300;
    }
    void options()
    {
        QFETCH(QStringList, options);
        QFETCH(Passi, passi);
        QFETCH(int, ritardo);
        EcuSimLine ecu(options);
        const QString why = ecu.start();
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QByteArray prima;
        QElapsedTimer t;
        t.start();
        for (const auto &[richiesta, attesa] : passi) {
            if (attesa.startsWith('?')) {
                // A control line given, the state once the delay passed.
                if (!richiesta.isEmpty()) {
                    QCOMPARE(ecu.control(QString::fromLatin1(richiesta)), u"ok"_s);
                    QTest::qWait(ritardo);
                }
                QVERIFY2(ecu.control(u"state"_s).contains(QLatin1String(attesa.mid(1))), attesa.constData());
                continue;
            }
            ecu.send(richiesta);
            const QByteArray a = ecu.readAnswer(attesa == "-" ? 150 : 2000);
            const QByteArray come = richiesta.toHex() + " -> " + a.toHex();
            if (attesa.startsWith('='))
                QCOMPARE(a.toHex(), attesa.mid(1));
            else if (attesa == "-")
                QVERIFY2(a.isEmpty(), come.constData());
            else
                QVERIFY2(a.size() == attesa.mid(1).toInt() && EcuSimLine::checksumOk(a) == (attesa[0] == '#')
                             && (attesa[0] == '#' || a.chopped(1) == prima.chopped(1)), come.constData());
            QVERIFY(t.elapsed() >= ritardo);
            prima = a;
        }
    }

    // The cable pulled, then the power cycled, on one ECU on gas in tuning
    // mode: either fault silences the line both ways, an answer already on
    // its way included; the memory stays as written. Only the power cycle
    // takes the ECU off gas and out of tuning mode.
    void lineGoesSilent()
    {
        EcuSimLine ecu({u"--delay-ms"_s, u"150"_s, u"--time-scale"_s, u"10"_s});
        QVERIFY(ecu.start().isEmpty());
        auto data = [&](const QByteArray &request) {
            const QByteArray a = ecu.exchange(request, 2000);
            return a.mid(5, a.size() - 6);
        };
        auto written = [&](quint8 service, const QByteArray &bytes) {
            return ecu.exchange(EcuSimLine::request(service, bytes), 2000).size() == 6;
        };
        // Settings changed without a store, then gas in tuning mode with a correction.
        QByteArray config = data(EcuSimLine::request(14));
        config[22] = char(0x34);
        QVERIFY(written(17, config));
        QByteArray state = data(EcuSimLine::request(13));
        state[0] = char(3);    // gas
        state[2] = char(0x03); // state request and tuning mode
        state[4] = char(0x20); // service flags
        state[5] = char(0x80); // tuning correction 640 us
        state[6] = char(0x02);
        QVERIFY(written(16, state));
        QTRY_VERIFY_WITH_TIMEOUT(ecu.control(u"state"_s).contains(u" fuel=gas"_s), 5000);
        const QByteArray live = data(EcuSimLine::request(11));
        QCOMPARE(qint16(quint8(live[6]) | quint8(live[7]) << 8) * 4, 640); // value 5 alone corrects

        const struct {
            QString cut, restore, silent;
            bool kept;
        } guasti[] = {{u"unplug"_s, u"plug"_s, u"line=unplugged"_s, true},
                      {u"power off"_s, u"power on"_s, u"power=off"_s, false}};
        for (const auto &g : guasti) {
            const QString before = ecu.control(u"state"_s);
            QVERIFY2(before.contains(u"tuning=1 "_s) && before.endsWith(u"power=on line=plugged"_s), qPrintable(before));
            // An answer on its way when the line goes silent is lost.
            ecu.send(EcuSimLine::request(13));
            QCOMPARE(ecu.control(g.cut), u"ok"_s);
            QVERIFY2(ecu.control(u"state"_s).contains(g.silent), qPrintable(g.silent));
            QCOMPARE(ecu.exchange(Sonda, 300).toHex(), QByteArray());
            // Meanwhile the car runs on, and the ECU's memory is there.
            QCOMPARE(ecu.control(u"rpm 2000"_s), u"ok"_s);
            QTRY_VERIFY_WITH_TIMEOUT(ecu.control(u"state"_s).contains(u" rpm=2000"_s), 5000);
            QCOMPARE(ecu.control(u"block 3"_s), QString::fromLatin1(config.toHex().toUpper()));
            // ... even when the line is back before it was due.
            QCOMPARE(ecu.control(g.restore), u"ok"_s);
            ecu.send(EcuSimLine::request(13));
            QCOMPARE(ecu.control(g.cut), u"ok"_s);
            QCOMPARE(ecu.control(g.restore), u"ok"_s);
            QCOMPARE(ecu.readAnswer(300, false).toHex(), QByteArray());

            // Back: the settings as last written, the running state as the fault left it.
            QCOMPARE(ecu.exchange(Sonda, 2000).toHex(), RispostaSonda.toHex());
            QCOMPARE(data(EcuSimLine::request(14)).toHex(), config.toHex());
            const QByteArray after = data(EcuSimLine::request(13));
            QCOMPARE(after.mid(3).toHex(), state.mid(3).toHex()); // faults, service flags, correction
            const QString now = ecu.control(u"state"_s);
            QVERIFY2(now.endsWith(u"power=on line=plugged"_s), qPrintable(now));
            QCOMPARE(after.left(3).toHex(), g.kept ? QByteArray("030303") : QByteArray("000000"));
            QVERIFY2(now.contains(g.kept ? u" fuel=gas"_s : u" fuel=petrol"_s)
                         && now.contains(g.kept ? u"tuning=1 "_s : u"tuning=0 "_s), qPrintable(now));
        }
        QVERIFY(ecu.control(u"state"_s).contains(u"request=petrol"_s));
        // The driver's button works again once the ECU is back, not before.
        QCOMPARE(ecu.control(u"power off"_s), u"ok"_s);
        QVERIFY(ecu.control(u"fuel gas"_s).startsWith(u"error:"_s));
        QCOMPARE(ecu.control(u"power on"_s), u"ok"_s);
        QCOMPARE(ecu.control(u"fuel gas"_s), u"ok"_s);
        QVERIFY(ecu.control(u"state"_s).contains(u"request=gas"_s));
    }
};

GASCAL_PROVA(TestEcuSimFaults)
#include "tst_ecusim_faults.moc"
