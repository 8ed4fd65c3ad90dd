// resources/SetCom.ini against ecusim: the request messages are well
// formed, every variable lies inside the answer that the ECU gives, the
// written blocks are laid out as the program encodes them (variables one
// after the other, filling the data), and the defaults decode sensibly.

#include "RegistroProve.h"
#include "EcuSimLine.h"

#include <QFile>
#include <QTest>

namespace {

struct Variable
{
    QString type;
    int offset = 0;
    int scale = 1;
};

struct Record
{
    int id = -1;
    QByteArray request;
    QList<Variable> variables;
};

struct Table
{
    QList<Record> records;
    QList<QByteArray> firmware;
    QMap<QString, QString> settings;   // single-line sections, upper case
    bool crlfOnly = true;
};

Table parseTable(const QString &path)
{
    Table t;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return t;
    const QByteArray all = f.readAll();
    t.crlfOnly = all.count('\n') == all.count("\r\n") && all.endsWith("\r\n");
    const QStringList lines = QString::fromLatin1(all).split(QStringLiteral("\r\n"));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString s = lines.at(i).toUpper();
        if (s == QLatin1String("[MSG]") && i + 7 < lines.size()) {
            Record r;
            r.id = lines.at(i + 1).trimmed().toInt();
            r.request = QByteArray::fromHex(lines.at(i + 3).trimmed().toLatin1());
            for (const QString &e : lines.at(i + 7).split(QLatin1Char(';'))) {
                const QStringList f = e.split(QLatin1Char(','));
                if (f.size() == 3)
                    r.variables.append({f.at(0).trimmed(), f.at(1).trimmed().toInt(), f.at(2).trimmed().toInt()});
            }
            t.records.append(r);
            i += 7;
        } else if (s == QLatin1String("[FIRMWARE]") && i + 1 < lines.size()) {
            t.firmware.append(QByteArray::fromHex(lines.at(i + 1).trimmed().toLatin1()));
        } else if (s.startsWith(QLatin1Char('[')) && i + 1 < lines.size()) {
            t.settings.insert(s, lines.at(i + 1).trimmed());
        }
    }
    return t;
}

int width(const QString &type)
{
    if (type == QLatin1String("UB") || type == QLatin1String("SB"))
        return 1;
    if (type == QLatin1String("UW") || type == QLatin1String("SW"))
        return 2;
    if (type == QLatin1String("SL"))
        return 5;   // starts one byte after its offset
    return 0;
}

// The program's decoding of one variable (without derived values).
qint64 decode(const QByteArray &image, const Variable &v)
{
    auto b = [&image](int pos1) { return static_cast<quint8>(image.at(pos1 - 1)); };
    qint64 raw = 0;
    if (v.type == QLatin1String("UB"))
        raw = b(v.offset);
    else if (v.type == QLatin1String("SB"))
        raw = static_cast<qint8>(b(v.offset));
    else if (v.type == QLatin1String("UW"))
        raw = b(v.offset) | (b(v.offset + 1) << 8);
    else if (v.type == QLatin1String("SW"))
        raw = static_cast<qint16>(b(v.offset) | (b(v.offset + 1) << 8));
    return raw * v.scale;
}

} // namespace

class TestSetComTable : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void fileAndLinkSettings();
    void requestsAreWellFormed();
    void recordsHoldThePositionsTheProgramUses();
    void variablesLieInsideTheAnswers();
    void writtenBlocksMatchTheEncoding();
    void firmwareEntries();
    void defaultsDecodeSensibly();

private:
    QByteArray answer(int record) const { return m_answers.value(record); }
    QList<qint64> values(int record) const;

    Table m_table;
    EcuSimLine *m_ecu = nullptr;
    QList<QByteArray> m_answers;
};

void TestSetComTable::initTestCase()
{
    QVERIFY2(QFile::exists(QStringLiteral(SETCOM_PATH)), SETCOM_PATH);
    m_table = parseTable(QStringLiteral(SETCOM_PATH));
    QCOMPARE(m_table.records.size(), 7);

    m_ecu = new EcuSimLine;
    const QString why = m_ecu->start();
    QVERIFY2(why.isEmpty(), qPrintable(why));
    for (const Record &r : m_table.records)
        m_answers << m_ecu->exchange(r.request);
}

void TestSetComTable::cleanupTestCase()
{
    delete m_ecu;
}

QList<qint64> TestSetComTable::values(int record) const
{
    QList<qint64> out;
    for (const Variable &v : m_table.records.at(record).variables)
        out << decode(answer(record), v);
    return out;
}

void TestSetComTable::fileAndLinkSettings()
{
    QVERIFY2(m_table.crlfOnly, "every line must end with CR LF");
    QCOMPARE(m_table.settings.value(QStringLiteral("[ATTESAPIPE_USEC]")), QStringLiteral("3000000"));
    QCOMPARE(m_table.settings.value(QStringLiteral("[ATTESAGLOBALE_USEC]")), QStringLiteral("200000"));
    QCOMPARE(m_table.settings.value(QStringLiteral("[MOLATTESAGLOBALE]")), QStringLiteral("5"));
    QCOMPARE(m_table.settings.value(QStringLiteral("[SOLO USB]")).toLower(), QStringLiteral("false"));

    QSet<int> ids;
    for (int n = 0; n < m_table.records.size(); ++n) {
        const int id = m_table.records.at(n).id;
        QVERIFY2(!ids.contains(id), qPrintable(QStringLiteral("Id %1 twice").arg(id)));
        ids.insert(id);
        // The decoder post-processes Id 1 and Id 5; only records 1 and 5 may carry them.
        if (n == 1 || n == 5)
            QCOMPARE(id, n);
        else
            QVERIFY(id != 1 && id != 5);
    }
}

void TestSetComTable::requestsAreWellFormed()
{
    const quint8 services[] = {33, 11, 13, 14, 49, 15, 18};
    for (int n = 0; n < 7; ++n) {
        const QByteArray &r = m_table.records.at(n).request;
        QVERIFY(r.size() >= 5);
        QCOMPARE(r.left(2).toHex(), QByteArray("4102"));
        QCOMPARE(static_cast<int>(static_cast<quint8>(r.at(2))), r.size() - 2);
        QCOMPARE(static_cast<quint8>(r.at(3)), services[n]);
        QVERIFY2(EcuSimLine::checksumOk(r), r.toHex().constData());
        const QByteArray data = r.mid(4, r.size() - 5);
        QCOMPARE(data.toHex(), n == 6 ? QByteArray("00006e") : QByteArray());
    }
}

void TestSetComTable::recordsHoldThePositionsTheProgramUses()
{
    const int atLeast[] = {6, 12, 6, 27, 9, 8, 56};
    for (int n = 0; n < 7; ++n) {
        const auto &vars = m_table.records.at(n).variables;
        QVERIFY2(vars.size() >= atLeast[n], qPrintable(QStringLiteral("record %1").arg(n)));
        for (const Variable &v : vars) {
            QVERIFY2(width(v.type) > 0, qPrintable(v.type));
            QVERIFY(v.scale >= 1);
        }
    }
    QCOMPARE(m_table.records.at(6).variables.size(), 56);
    // Pivots and map points are sent as one byte per value, unscaled.
    for (int n : {4, 6}) {
        for (const Variable &v : m_table.records.at(n).variables)
            QVERIFY(v.type == QLatin1String("UB") && v.scale == 1);
    }
    QVERIFY2(answer(3).size() > 27, "a map file marks the configuration only when it is longer than 27 bytes");
}

void TestSetComTable::variablesLieInsideTheAnswers()
{
    for (int n = 0; n < 7; ++n) {
        const QByteArray a = answer(n);
        QVERIFY2(a.size() >= 6 && static_cast<quint8>(a.at(3)) == static_cast<quint8>(m_table.records.at(n).request.at(3)) + 0x40,
                 qPrintable(QStringLiteral("record %1 answered %2").arg(n).arg(QString::fromLatin1(a.toHex(' ')))));
        QVERIFY(EcuSimLine::checksumOk(a));
        for (const Variable &v : m_table.records.at(n).variables) {
            const int first = v.type == QLatin1String("SL") ? v.offset + 1 : v.offset;
            const int last = v.offset + width(v.type) - 1;
            QVERIFY2(first >= 6 && last <= a.size() - 1,
                     qPrintable(QStringLiteral("record %1: %2 at %3 outside %4 bytes").arg(n).arg(v.type).arg(v.offset).arg(a.size())));
        }
    }
}

void TestSetComTable::writtenBlocksMatchTheEncoding()
{
    // The program encodes a record as its variables one after the other in
    // list order; the ECU takes the write as the data of its read answer.
    for (int n : {2, 3, 4, 5, 6}) {
        int next = 6;
        for (const Variable &v : m_table.records.at(n).variables) {
            QVERIFY2(v.type != QLatin1String("SL"), "no SL in written blocks");
            QVERIFY2(v.offset == next, qPrintable(QStringLiteral("record %1: offset %2, expected %3").arg(n).arg(v.offset).arg(next)));
            next += width(v.type);
        }
        QCOMPARE(next, static_cast<int>(answer(n).size()));   // data end just before the checksum
    }
}

void TestSetComTable::firmwareEntries()
{
    QVERIFY(m_table.firmware.size() >= 2);
    for (const QByteArray &f : m_table.firmware) {
        QCOMPARE(f.left(2).toHex(), QByteArray("4102"));
        QCOMPARE(static_cast<int>(static_cast<quint8>(f.at(2))), f.size());
        QCOMPARE(f.mid(3, 2).toHex(), QByteArray("6101"));
        QVERIFY(EcuSimLine::checksumOk(f));
        QVERIFY(f.size() >= 12);
        // A checksum of CR or LF would break the line count of a map file.
        const auto cs = static_cast<quint8>(f.back());
        QVERIFY2(cs != 0x0A && cs != 0x0D, qPrintable(f.toHex()));
    }
    // The first entry is what ecusim answers to the identity read.
    QCOMPARE(m_table.firmware.first().toHex(), answer(0).toHex());
    const QByteArray identity = m_table.firmware.first().mid(5, m_table.firmware.first().size() - 6);
    QCOMPARE(identity.left(6).toHex(), QByteArray("012828112014"));
    QCOMPARE(identity.split(' ').value(2), QByteArray("GC-SQ4"));
    // The second one is an older version of the same family.
    const QByteArray older = m_table.firmware.at(1).mid(5, 2);
    QCOMPARE(older.at(0), identity.at(0));
    QVERIFY(static_cast<quint8>(older.at(1)) < static_cast<quint8>(identity.at(1)));
}

void TestSetComTable::defaultsDecodeSensibly()
{
    const QList<qint64> live = values(1), state = values(2), config = values(3);
    const QList<qint64> block5 = values(4), production = values(5), map = values(6);

    QVERIFY2(live.at(6) & 1, "ignition on, live data valid");
    QVERIFY(config.at(20) == 1 || config.at(20) == 2);
    const qint64 rpm = 30000000 / (live.at(4) * config.at(20));
    QVERIFY2(rpm >= 600 && rpm <= 1000, qPrintable(QString::number(rpm)));
    QVERIFY(live.at(11) >= 0 && live.at(11) <= 55);     // working point

    QCOMPARE(state.at(0), 0);                           // on petrol
    QCOMPARE(state.at(1), 0);

    for (int k = 8; k < 11; ++k)
        QVERIFY(config.at(k) < config.at(k + 1));       // level thresholds ascend
    QCOMPARE(config.at(22), 25500);                     // max power off, as the editor writes it
    QVERIFY(config.at(25) != 0);                        // a pressure sensor, not interpolation

    QCOMPARE(block5.mid(0, 9), (QList<qint64>{0, 6, 10, 16, 27, 35, 41, 49, 55}));

    QVERIFY(production.at(6) == 4 || production.at(6) == 6);
    QCOMPARE(map.size(), 56);
}

GASCAL_PROVA(TestSetComTable)
#include "tst_setcom_table.moc"
