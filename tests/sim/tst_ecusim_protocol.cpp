// ecusim on its line: one process for the default ECU, one per option, fault and life cycle.
#include "RegistroProve.h"
#include "FileProva.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// One running ecusim, its control channel, and our end of its line as a raw serial device.
class EcuSimLine
{
public:
    explicit EcuSimLine(const QStringList &options = {}) : m_options(options) {}
    ~EcuSimLine()
    {
        closeLine();
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }

    // Empty on success, else why it failed.
    QString start()
    {
        m_process.start(QStringLiteral(ECUSIM_PATH), QStringList{u"--link"_s, linkPath(), u"--control"_s, controlPath()} + m_options);
        QElapsedTimer t;
        t.start();
        while (!m_process.canReadLine()) {
            if (!m_process.waitForStarted(3000) || m_process.state() == QProcess::NotRunning || t.elapsed() > 5000)
                return u"no 'ready' from ecusim: "_s + QString::fromLocal8Bit(m_process.readAllStandardError());
            m_process.waitForReadyRead(100);
        }
        const QByteArray line = m_process.readLine().trimmed();
        if (line != "ready")
            return u"ecusim said '%1' instead of 'ready'"_s.arg(QString::fromLatin1(line));
        return openLine() ? QString() : u"cannot open "_s + linkPath();
    }
    QString linkPath() const { return m_dir.filePath(u"ecu"_s); }
    QString controlPath() const { return m_dir.filePath(u"ecu.ctl"_s); }
    // One control line; the answer line, empty when none came.
    QString control(const QString &command)
    {
        QLocalSocket socket;
        socket.connectToServer(controlPath());
        if (!socket.waitForConnected(2000))
            return {};
        socket.write((command + QLatin1Char('\n')).toUtf8());
        QByteArray answer;
        while (!answer.contains('\n') && socket.waitForReadyRead(2000))
            answer += socket.readAll();
        return QString::fromUtf8(answer).trimmed();
    }
    QProcess &process() { return m_process; }

    bool openLine()
    {
        closeLine();
        m_fd = ::open(linkPath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_fd < 0)
            return false;
        termios tio{};
        ::tcgetattr(m_fd, &tio);
        ::cfmakeraw(&tio);
        ::cfsetspeed(&tio, B57600);
        ::tcsetattr(m_fd, TCSANOW, &tio);
        ::tcflush(m_fd, TCIOFLUSH);
        return true;
    }
    void closeLine()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    void send(const QByteArray &bytes)
    {
        for (qsizetype done = 0; m_fd >= 0 && done < bytes.size();) {
            const ssize_t n = ::write(m_fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
            n > 0 ? void(done += n) : void(::usleep(1000));
        }
    }
    // The next answer, framed by its length byte (6 bytes for 42 01), or what
    // came when time ran out; with `framed` false, all that came in the time.
    QByteArray readAnswer(int timeoutMs = 1000, bool framed = true)
    {
        QByteArray in;
        QElapsedTimer t;
        t.start();
        for (;;) {
            const qsizetype total = in.isEmpty() ? -1 : quint8(in.at(0)) == 0x42 ? 6 : in.size() >= 3 ? quint8(in.at(2)) : -1;
            const qint64 left = timeoutMs - t.elapsed();
            if ((framed && total > 0 && in.size() >= total) || left <= 0 || m_fd < 0)
                return in;
            pollfd pfd{m_fd, POLLIN, 0};
            char c;   // one byte at a time: never read past this answer
            if (::poll(&pfd, 1, static_cast<int>(left)) > 0 && ::read(m_fd, &c, 1) == 1)
                in.append(c);
        }
    }
    QByteArray exchange(const QByteArray &request, int timeoutMs = 1000)
    {
        send(request);
        return readAnswer(timeoutMs);
    }

    static QByteArray request(quint8 service, const QByteArray &data = {})
    {
        const QByteArray m = QByteArray::fromHex("4102") + char(data.size() + 3) + char(service) + data;
        return m + char(checksum(m));
    }
    static quint8 checksum(const QByteArray &bytes)
    {
        quint8 x = 0;
        for (char c : bytes)
            x ^= static_cast<quint8>(c);
        return x;
    }
    static bool checksumOk(const QByteArray &m) { return m.size() >= 2 && checksum(m.chopped(1)) == quint8(m.back()); }

private:
    QStringList m_options;
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_fd = -1;
};

const QByteArray Sonda = QByteArray::fromHex("420104210066");
const QByteArray RispostaSonda = QByteArray::fromHex("420104610127");

const QByteArray Identita = QByteArray::fromHex("0210010120150000") + "LF";

// The ECU's answer to a read or a write (no data), or its refusal.
QByteArray Risposta(quint8 servizio, const QByteArray &dati = {})
{
    const QByteArray a = QByteArray::fromHex("4102") + char(dati.size() + 6) + char(servizio + 0x40) + '\1' + dati;
    return a + char(EcuSimLine::checksum(a));
}
QByteArray Rifiuto(quint8 servizio)
{
    const QByteArray a = QByteArray::fromHex("4102067F") + char(servizio);
    return a + char(EcuSimLine::checksum(a));
}
QByteArray Dati(const QByteArray &risposta) { return risposta.mid(5, risposta.size() - 6); }

// CPU time (user + system, in clock ticks) that a process has used so far.
long Tick(qint64 pid)
{
    const QByteArray stat = Leggi(u"/proc/%1/stat"_s.arg(pid));
    const QList<QByteArray> campi = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return stat.isEmpty() ? -1 : campi.value(11).toLong() + campi.value(12).toLong();
}

// Each read of the memory, its write service (0: not writable) and its answer's length.
struct Lettura {
    quint8 servizio;
    QByteArray dati;
    quint8 scrittura;
    int lunghezza;
};
const Lettura Letture[] = {{33, {}, 0, 27}, {11, {}, 0, 30}, {13, {}, 16, 13}, {14, {}, 17, 50},
                           {49, {}, 50, 26}, {15, {}, 44, 18}, {18, QByteArray::fromHex("00006E"), 19, 62}};
constexpr int Live = 1, Comandi = 2;

// A request and what must come back: "=HEX" that answer, "-" none,
// "#N" an answer of N bytes, "!N" one of N bytes with a spoiled checksum
// and otherwise the one before, "?TEXT" the control channel's state holding
// TEXT (after the line given, once the delay passed). An empty request only reads.
using Passi = QList<std::pair<QByteArray, QByteArray>>;

} // namespace

Q_DECLARE_METATYPE(Passi)

class TestEcuSimProtocol : public QObject
{
    Q_OBJECT
    EcuSimLine m_ecu;
    QTemporaryDir m_dir;
    QByteArray Leggi(const Lettura &l) { return m_ecu.exchange(EcuSimLine::request(l.servizio, l.dati)); }

private slots:
    void initTestCase()
    {
        const QString why = m_ecu.start();
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }

    void answers_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer"); // empty: none
        QByteArray badChecksum = EcuSimLine::request(14);
        badChecksum.back() = char(badChecksum.back() ^ 0x01);
        QTest::newRow("probe with a wrong checksum: the boot loader is silent")
            << QByteArray::fromHex("420104210067") << QByteArray();
        QTest::newRow("store") << QByteArray::fromHex("4102031555") << QByteArray::fromHex("410206550111");
        QTest::newRow("bad checksum") << badChecksum << Rifiuto(14);
        QTest::newRow("unknown service") << EcuSimLine::request(0x55) << Rifiuto(0x55);
        QTest::newRow("map read, other data") << EcuSimLine::request(18, QByteArray::fromHex("00006F")) << Rifiuto(18);
        QTest::newRow("map read, no data") << EcuSimLine::request(18) << Rifiuto(18);
        QTest::newRow("live read with data") << EcuSimLine::request(11, QByteArray(1, '\0')) << Rifiuto(11);
        QTest::newRow("store with data") << EcuSimLine::request(21, QByteArray(1, '\0')) << Rifiuto(21);
    }
    void answers()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        const QByteArray config = Leggi(Letture[3]);
        m_ecu.send(request);
        QCOMPARE(m_ecu.readAnswer(answer.isEmpty() ? 200 : 1000).toHex(), answer.toHex());
        // In step afterwards, the memory as it was.
        QCOMPARE(m_ecu.exchange(Sonda).toHex(), RispostaSonda.toHex());
        QCOMPARE(Leggi(Letture[3]).toHex(), config.toHex());
    }

    // Every read answers its whole block; a write replaces its block only, a misfit one nothing.
    void readsAndWrites()
    {
        for (int i = 0; i < int(std::size(Letture)); ++i) {
            QList<QByteArray> prima;
            for (const Lettura &l : Letture) {
                const QByteArray a = Leggi(l);
                const QByteArray what = "service " + QByteArray::number(l.servizio) + ": " + a.toHex(' ');
                QVERIFY2(a.size() == l.lunghezza && EcuSimLine::checksumOk(a)
                             && a.left(5) == QByteArray::fromHex("4102") + char(a.size()) + char(l.servizio + 0x40) + '\1',
                         what.constData());
                prima << a;
            }
            const Lettura &bersaglio = Letture[i];
            if (!bersaglio.scrittura)
                continue;
            QByteArray dati = Dati(prima.at(i));
            for (qsizetype k = 0; k < dati.size(); ++k)
                dati[k] = char(0xA5 ^ k ^ i);
            QCOMPARE(m_ecu.exchange(EcuSimLine::request(bersaglio.scrittura, dati)).toHex(), Risposta(bersaglio.scrittura).toHex());
            // The command block's first two values are the ECU's own fuel request and confirmed fuel.
            if (i == Comandi)
                dati[0] = dati[1] = 0;
            for (int j = 0; j < int(std::size(Letture)); ++j) {
                if (j == i)
                    QCOMPARE(Dati(Leggi(Letture[j])).toHex(), dati.toHex());
                else if (j != Live) // the live block moves with the engine
                    QCOMPARE(Leggi(Letture[j]).toHex(), prima.at(j).toHex());
            }
            for (const QByteArray &storta : {dati.chopped(1), dati + '\0'})
                QCOMPARE(m_ecu.exchange(EcuSimLine::request(bersaglio.scrittura, storta)).toHex(), Rifiuto(bersaglio.scrittura).toHex());
            QCOMPARE(Dati(Leggi(bersaglio)).toHex(), dati.toHex());
        }
    }

    void framingSurvivesGarbageSplitsAndStalePieces()
    {
        const QByteArray leggi13 = EcuSimLine::request(13);
        const QByteArray atteso = Leggi(Letture[Comandi]);
        m_ecu.send(QByteArray::fromHex("00ff4113410a") + leggi13);
        QCOMPARE(m_ecu.readAnswer().toHex(), atteso.toHex());
        m_ecu.send(leggi13.left(2));
        QTest::qWait(20);
        QCOMPARE(m_ecu.exchange(leggi13.mid(2)).toHex(), atteso.toHex());
        // Two requests in one write: two answers, in order.
        m_ecu.send(Sonda + leggi13);
        QCOMPARE(m_ecu.readAnswer().toHex(), RispostaSonda.toHex());
        QCOMPARE(m_ecu.readAnswer().toHex(), atteso.toHex());
        // A long write started then dropped does not swallow a later request.
        m_ecu.send(QByteArray::fromHex("410230"));
        QTest::qWait(300);
        QCOMPARE(m_ecu.exchange(Sonda).toHex(), RispostaSonda.toHex());
    }

    void lineSurvivesReopenAndIdles()
    {
        for (int i = 0; i < 2; ++i) {
            m_ecu.closeLine();
            // With nobody on the line ecusim must idle, not spin on a hung-up master.
            const long prima = Tick(m_ecu.process().processId());
            QTest::qWait(500);
            const long usati = Tick(m_ecu.process().processId()) - prima;
            QVERIFY2(prima >= 0 && usati < 20, qPrintable(u"%1 ticks while idle"_s.arg(usati)));
            QVERIFY(m_ecu.openLine());
            QCOMPARE(m_ecu.exchange(Sonda).toHex(), RispostaSonda.toHex());
        }
    }

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
        QTest::newRow("the longest identity fits one answer") << QStringList{"--identity", u"02"_s.repeated(249)}
                                                              << Passi{{EcuSimLine::request(33), "#255"}} << 0;
        // As a Linux editor saves it: LF line ends and a byte-order mark before the first section.
        Scrivi(m_dir.filePath(u"SetCom.ini"_s), "\xEF\xBB\xBF[FIRMWARE]\n" + Risposta(33, Identita).toHex().toUpper() + "\n");
        QTest::newRow("identity of the message table") << QStringList{"--settings", m_dir.filePath(u"SetCom.ini"_s)}
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
                     {EcuSimLine::request(49), "=" + Rifiuto(49).toHex()}, {EcuSimLine::request(13), "#13"}} << 0;
        // The demo runs its first step at once; a user's command holds it.
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

    // Cable pulled, then power cycled: the line silent, memory kept; only power ends gas and tuning.
    void lineGoesSilent()
    {
        EcuSimLine ecu({u"--delay-ms"_s, u"150"_s, u"--time-scale"_s, u"10"_s});
        QVERIFY(ecu.start().isEmpty());
        auto data = [&](const QByteArray &request) { return Dati(ecu.exchange(request, 2000)); };
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
    // Ended by a signal or "quit", ecusim removes its link; it replaces only a dead link.
    void lifeCycle()
    {
        const QString path = m_ecu.linkPath();
        QVERIFY(QFileInfo(path).isSymLink());
        m_ecu.closeLine();
        m_ecu.process().terminate();
        QVERIFY(m_ecu.process().waitForFinished(3000));
        QCOMPARE(m_ecu.process().exitCode(), 0);
        QVERIFY(!QFileInfo::exists(path) && !QFileInfo(path).isSymLink());
        EcuSimLine controllata;
        QVERIFY(controllata.start().isEmpty());
        QCOMPARE(controllata.control(u"quit"_s), u"bye"_s);
        QVERIFY(controllata.process().waitForFinished(3000));
        QCOMPARE(controllata.process().exitCode(), 0);
        QVERIFY(!QFile::exists(controllata.linkPath()) && !QFile::exists(controllata.controlPath()));

        QProcess p;
        QVERIFY(QFile::link(u"/dev/pts/nonexistent-ecu"_s, path));
        p.start(QStringLiteral(ECUSIM_PATH), {u"--link"_s, path});
        QVERIFY(p.waitForReadyRead(5000));
        QCOMPARE(p.readLine().trimmed(), QByteArray("ready"));
        QVERIFY(QFileInfo::exists(path));
        p.terminate();
        QVERIFY(p.waitForFinished(3000));
        Scrivi(path, "keep me");
        p.start(QStringLiteral(ECUSIM_PATH), {u"--link"_s, path});
        QVERIFY(p.waitForFinished(5000));
        QVERIFY(p.exitCode() != 0 && !p.readAllStandardOutput().contains("ready"));
        QCOMPARE(::Leggi(path), QByteArray("keep me"));

        // A relative control path is a socket in the current folder.
        QTemporaryDir dir;
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral(ECUSIM_PATH), {u"--link"_s, u"ecu"_s, u"--control"_s, u"./rel-ecu.ctl"_s});
        QVERIFY(p.waitForReadyRead(5000));
        QVERIFY(QFileInfo::exists(dir.filePath(u"rel-ecu.ctl"_s)));
        QVERIFY(!QFileInfo::exists(QDir::temp().filePath(u"rel-ecu.ctl"_s)));
        p.terminate();
        QVERIFY(p.waitForFinished(5000));
        QVERIFY(!QFileInfo::exists(dir.filePath(u"rel-ecu.ctl"_s)));
    }
};

GASCAL_PROVA(TestEcuSimProtocol)
#include "tst_ecusim_protocol.moc"
