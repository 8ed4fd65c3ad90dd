// ecusim as a programmed ECU with default memory, on its line (one process
// for every case): reads, writes, store, refusals, framing of the byte stream
// and the life cycle of the program and its link.
#include "RegistroProve.h"
#include "EcuSimLine.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray Sonda = QByteArray::fromHex("420104210066");
const QByteArray RispostaSonda = QByteArray::fromHex("420104610127");

QByteArray Esito(quint8 servizio, bool rifiuto)
{
    const QByteArray m = QByteArray::fromHex("410206") + char(rifiuto ? 0x7F : servizio + 0x40) + char(rifiuto ? servizio : 1);
    return m + char(EcuSimLine::checksum(m));
}
QByteArray Dati(const QByteArray &risposta) { return risposta.mid(5, risposta.size() - 6); }

// CPU time (user + system, in clock ticks) that a process has used so far.
long Tick(qint64 pid)
{
    QFile f(u"/proc/%1/stat"_s.arg(pid));
    const QByteArray stat = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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

} // namespace

class TestEcuSimProtocol : public QObject
{
    Q_OBJECT
    EcuSimLine m_ecu;
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
        QTest::newRow("probe, programmed") << Sonda << RispostaSonda;
        QTest::newRow("probe with a wrong checksum: the boot loader is silent")
            << QByteArray::fromHex("420104210067") << QByteArray();
        QTest::newRow("store") << QByteArray::fromHex("4102031555") << QByteArray::fromHex("410206550111");
        QTest::newRow("bad checksum") << badChecksum << Esito(14, true);
        QTest::newRow("unknown service") << EcuSimLine::request(0x55) << Esito(0x55, true);
        QTest::newRow("map read, other data") << EcuSimLine::request(18, QByteArray::fromHex("00006F")) << Esito(18, true);
        QTest::newRow("map read, no data") << EcuSimLine::request(18) << Esito(18, true);
        QTest::newRow("live read with data") << EcuSimLine::request(11, QByteArray(1, '\0')) << Esito(11, true);
        QTest::newRow("store with data") << EcuSimLine::request(21, QByteArray(1, '\0')) << Esito(21, true);
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

    // Every read answers its whole block; the identity names the firmware. A
    // write replaces its block only; one whose data do not fill the block
    // exactly is refused and changes nothing.
    void readsAndWrites()
    {
        const QByteArray identita = Dati(Leggi(Letture[0]));
        QCOMPARE(identita.left(6).toHex(), QByteArray("012828112014"));
        QCOMPARE(identita.split(' ').value(2), QByteArray("GC-SQ4"));
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
            QCOMPARE(m_ecu.exchange(EcuSimLine::request(bersaglio.scrittura, dati)).toHex(), Esito(bersaglio.scrittura, false).toHex());
            // The command block's first two values are the ECU's own fuel
            // request and confirmed fuel (a request other than 3 is petrol).
            if (i == Comandi)
                dati[0] = dati[1] = 0;
            for (int j = 0; j < int(std::size(Letture)); ++j) {
                if (j == i)
                    QCOMPARE(Dati(Leggi(Letture[j])).toHex(), dati.toHex());
                else if (j != Live) // the live block moves with the engine
                    QCOMPARE(Leggi(Letture[j]).toHex(), prima.at(j).toHex());
            }
            for (const QByteArray &storta : {dati.chopped(1), dati + '\0'})
                QCOMPARE(m_ecu.exchange(EcuSimLine::request(bersaglio.scrittura, storta)).toHex(), Esito(bersaglio.scrittura, true).toHex());
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
        // The start of a long write, then nothing: a later request is not
        // swallowed as the rest of it.
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

    // Ended by a signal or by "quit", ecusim removes its link and control
    // socket; it replaces only a dead link of an earlier run, never a file.
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
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("keep me") == 7);
        f.close();
        p.start(QStringLiteral(ECUSIM_PATH), {u"--link"_s, path});
        QVERIFY(p.waitForFinished(5000));
        QVERIFY(p.exitCode() != 0 && !p.readAllStandardOutput().contains("ready"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("keep me"));

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
