// PrjCom's side of the pipes without an ECU: replies, bad requests, unusable ports, how it ends.
#include "RegistroProve.h"
#include "CommHarness.h"
#include <QRegularExpression>
#include <QtTest>

static const QByteArray Version = hex("000A0B01FF0000000100");  // big-endian length, code, status, no port, mode, 0, 0, payload

class TestCommFrames : public QObject
{
    Q_OBJECT
private slots:
    void repliesAndBadRequests()
    {
        PrjComRun prjcom;
        QVERIFY(prjcom.start());
        QCOMPARE(prjcom.call(11), Version);
        QCOMPARE(prjcom.call(8, hex("E8030000")), hex("00080801FF000000"));
        // Two requests in one pipe write are answered one by one.
        prjcom.sendRaw(hex("0900040000000000" "02" "08000B0000000000"));
        QCOMPARE(prjcom.reply(), hex("00090401FF020000" "02"));
        QCOMPARE(prjcom.reply(), hex("000A0B01FF0200000100"));
        QCOMPARE(prjcom.call(2, hex("00")), hex("00080201FF000000"));  // mode back to 0
        const std::pair<const char *, int> cases[] = {
            {"0800090000000000", 0},             // unknown command
            {"0500040000000000", 0},             // length below the header
            {"1400060000000000" "4102", 0},      // frame cut short
            {"0900040000000000" "07", 4},        // no mode 7
            {"0800060000000000", 6},             // message missing
            {"0B000A0000000000" "410203", 10}};  // firmware probe too short
        for (const auto &[request, code] : cases) {
            prjcom.sendRaw(hex(request));
            const QByteArray bad = prjcom.reply();
            QCOMPARE(bad.mid(2, 2), QByteArray(1, char(code)) + char(8));
            // Code 0 says what was wrong; code 4 still carries the mode byte the program reads.
            QCOMPARE(payloadOf(bad).isEmpty(), code != 0 && code != 4);
            QCOMPARE(prjcom.call(11), Version);  // nothing of it left over
        }
    }
    // A port that cannot be used is answered at once, and command 12 says why.
    void unusablePortsAnswerAtOnceAndSayWhy()
    {
        PrjComRun prjcom;
        QVERIFY(prjcom.start("# test ports\n5=nosuch\n; not a tty\n6=plain\n8=/dev/null\n"));
        QFile(prjcom.dir.filePath("plain")).open(QIODevice::WriteOnly);
        QFile devNull(QStringLiteral("/dev/null"));
        QVERIFY(devNull.open(QIODevice::ReadOnly));  // held by this process at least
        const auto report = [](PrjComRun &p) { return QString::fromUtf8(payloadOf(p.call(12))); };
        QCOMPARE(statusOf(prjcom.call(6, withChecksum(hex("41020412")))), 7);  // no port open yet
        QVERIFY(report(prjcom).startsWith(QStringLiteral("port=-1\n")));       // no command 3 yet
        const QString dir = prjcom.dir.path();
        // A plain file is no line: it cannot be opened, and no holder is looked for.
        const struct { int port, status; QString report; } cases[] = {
            {5, 4, QStringLiteral("port=5\nstatus=4\ndevice=%1/nosuch\nadapter=0\n").arg(dir)},
            {25, 4, QStringLiteral("port=25\nstatus=4\ndevice=\n")},
            {6, 6, QStringLiteral("port=6\nstatus=6\ndevice=%1/plain\nadapter=0\n").arg(dir)},
            {8, 6, QStringLiteral("port=8\nstatus=6\ndevice=/dev/null\n")}};
        for (const auto &c : cases) {
            QElapsedTimer timer;
            timer.start();
            QCOMPARE(prjcom.call(3, QByteArray(1, char(c.port))), hex("000903") + char(c.status) + hex("FF000000") + char(c.port));
            QVERIFY2(timer.elapsed() < 100, qPrintable(QString::number(timer.elapsed())));
            QVERIFY2(report(prjcom).startsWith(c.report), qPrintable(report(prjcom)));
        }
        // A device that is no serial line, held open: a holder is named; the report stays the last.
        QVERIFY(QRegularExpression(QStringLiteral("\nholder=[0-9]+ [^\n]+\n")).match(report(prjcom)).hasMatch());
        QCOMPARE(prjcom.call(11), Version);
        QVERIFY(report(prjcom).startsWith(QStringLiteral("port=8\nstatus=6\n")));
        // A device this user may not open: the owner and the mode.
        PrjComRun other;
        QVERIFY(other.start("7=locked\n", true));
        QFile locked(other.dir.filePath("locked"));
        QVERIFY(locked.open(QIODevice::WriteOnly));
        locked.setPermissions(::getuid() == 0 ? QFile::ReadOwner | QFile::WriteOwner : QFile::Permissions{});
        QCOMPARE(statusOf(other.call(3, hex("07"))), 5);
        const QString text = report(other);
        QVERIFY2(text.contains(QStringLiteral("status=5\n")) && (::getuid() != 0 || (text.contains(QStringLiteral("owner=root:root\n"))
                                                                              && text.contains(QStringLiteral("mode=0600\n")))),
                 qPrintable(text));
    }
    // Command 1, or end of input: PrjCom goes, the second time without a word.
    void exits()
    {
        for (bool orphan : {false, true}) {
            PrjComRun prjcom;
            QVERIFY(prjcom.start());
            if (orphan)
                prjcom.process.closeWriteChannel();
            else
                QCOMPARE(prjcom.call(1), hex("00080101FF000000"));
            QVERIFY(prjcom.process.waitForFinished(1000));
            QCOMPARE(prjcom.process.exitCode(), 0);
            QVERIFY(!orphan || (prjcom.process.readAll().isEmpty() && prjcom.process.readAllStandardError().isEmpty()));
        }
    }
};

GASCAL_PROVA(TestCommFrames)
#include "tst_commframes.moc"
