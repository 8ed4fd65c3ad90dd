// PrjCom against an ECU on a pseudo-terminal: probe, round trips, bad answers, retries, speed.
#include "RegistroProve.h"
#include "CommHarness.h"
#include <QThread>
#include <QtTest>

static const QByteArray Probe = hex("420104210066");
static const QByteArray Request = withChecksum(hex("41020412"));
static const QByteArray Answer = withChecksum(hex("4102095201AABBCC"));
static const QByteArray BadSum = Answer.chopped(1) + char(Answer.back() ^ 1);
static const QByteArray Refusal = withChecksum(hex("4102067F12"));
static const QByteArray Good = hex("0011060103000000") + Answer;  // the reply that carries Answer (mode 0)
static const QByteArray None = hex("0008060003000000");           // no answer (mode 0)

class TestCommEcu : public QObject
{
    Q_OBJECT
    std::unique_ptr<PtyEcu> ecu;
    std::unique_ptr<PrjComRun> prjcom;

    // Command 3 on port 3 (PrjCom.ini: 3=ecu); the ECU answers the probe with 'answer'.
    QByteArray probe(const QByteArray &answer)
    {
        prjcom->send(3, hex("03"));
        if (ecu->receive() == Probe)
            ecu->answer(answer);
        return prjcom->reply();
    }
    // Command 6; the ECU answers after delayMs, 'step' bytes at a time gapMs apart.
    QByteArray exchange(const QByteArray &answer, int delayMs = 0, int gapMs = 0, int step = 0)
    {
        prjcom->send(6, Request);
        if (ecu->receive() != Request)
            return "the request did not reach the ECU as it was";
        QThread::msleep(delayMs);
        for (qsizetype at = 0; at < answer.size(); at += step ? step : answer.size()) {
            QThread::msleep(at ? gapMs : 0);
            ecu->answer(answer.mid(at, step ? step : -1));
        }
        return prjcom->reply();
    }
    // Command 8: how long the ECU's first byte is waited for.
    void ecuWait(int ms) { prjcom->call(8, QByteArray(1, char(ms)) + char(ms >> 8) + QByteArray(2, 0)); }
    // How long PrjCom waited for a silent ECU before it said so.
    qint64 silence()
    {
        QElapsedTimer timer;
        timer.start();
        return statusOf(exchange({})) == 0 ? timer.elapsed() : -1;
    }

private slots:
    void init()
    {
        ecu = std::make_unique<PtyEcu>();
        prjcom = std::make_unique<PrjComRun>();
        QVERIFY(prjcom->start("3=ecu\n") && ecu->linkInto(prjcom->dir.path()));
        QCOMPARE(probe(Probe), hex("000F030103000000" "03") + Probe);  // boot loader only: echo
    }
    void probeAnswers()
    {
        QCOMPARE(probe(hex("420104610127")), hex("000F030103000000" "03420104610127"));
        QCOMPARE(probe(hex("420104610128")), hex("000F030203000000" "03420104610128"));
        QCOMPARE(probe({}), hex("0009030003000000" "03"));
    }
    void messageAnswers()
    {
        QCOMPARE(exchange(Answer), Good);
        ecu->answer(hex("FFFF4102"));  // stale bytes, thrown away before the message goes out
        QThread::msleep(20);
        // A slow line: the pieces within the 50 ms inter-byte time.
        QCOMPARE(exchange(Answer, 0, 25, 6), Good);
        QCOMPARE(exchange(Refusal), hex("000E060303000000") + Refusal);
        QCOMPARE(statusOf(exchange(Answer, 0, 100, 5)), 0);  // inter-byte time-out
        QCOMPARE(statusOf(exchange(BadSum)), 2);
        QCOMPARE(statusOf(exchange(withChecksum(hex("410204")))), 2);  // length below 6
        QCOMPARE(exchange(Answer), Good);
    }
    void writingModeRetries()
    {
        ecuWait(80);
        prjcom->call(4, hex("02"));
        prjcom->send(6, Request);  // lost, garbled, then good: the third attempt counts
        QCOMPARE(ecu->receive(), Request);
        QCOMPARE(ecu->receive(), Request);
        ecu->answer(BadSum);
        QCOMPARE(ecu->receive(), Request);
        ecu->answer(Answer);
        QCOMPARE(prjcom->reply(), hex("0011060103020000") + Answer);
        prjcom->send(6, Request);  // three attempts at most
        for (int attempt = 0; attempt < 3; ++attempt)
            QCOMPARE(ecu->receive(), Request);
        QCOMPARE(statusOf(prjcom->reply()), 0);
        QCOMPARE(statusOf(exchange(Refusal)), 3);  // not repeated
        prjcom->call(4, hex("00"));
        const qint64 waited = silence();
        QVERIFY2(waited > 0 && waited < 200, "mode 0: one attempt");
    }
    void lateAnswerToAnotherServiceIsSkipped()
    {
        // The answer to an earlier message (0x13) comes late, while PrjCom waits for 0x12's.
        const QByteArray late = withChecksum(hex("4102065301"));
        ecuWait(100);
        prjcom->send(6, Request);
        QCOMPARE(ecu->receive(), Request);
        ecu->answer(late);
        QThread::msleep(30);
        ecu->answer(Answer);
        QCOMPARE(prjcom->reply(), Good);
        // A refusal names its service too; the late one alone is no answer.
        QCOMPARE(exchange(withChecksum(hex("4102067F13")) + Refusal), hex("000E060303000000") + Refusal);
        QCOMPARE(exchange(late), None);
    }
    void firmwareProbeSetsLineSpeed()
    {
        // The port stays open from one command 3 to the next and takes the new speed.
        for (const auto &[identity, speed] : {std::pair{"02051A", B115200}, {"01033F", B57600}, {"07", B19200}}) {
            const QByteArray id = QByteArray::fromHex(identity);
            QCOMPARE(statusOf(prjcom->call(10, withChecksum(hex("4102") + char(id.size() + 6) + hex("6101") + id))), 1);
            QCOMPARE(statusOf(probe(Probe)), 1);
            QCOMPARE(ecu->speed(), unsigned(speed));
        }
    }
};

GASCAL_PROVA(TestCommEcu)
#include "tst_commecu.moc"
