#include "SetComFile.h"

#include "EcuMessage.h"
#include "ServiceHandler.h"

#include <QFile>

qint64 SetComFile::Variable::lastByte() const
{
    if (type == QLatin1String("UW") || type == QLatin1String("SW"))
        return qint64(offset) + 1;
    if (type == QLatin1String("SL"))
        return qint64(offset) + 4;
    return offset;
}

bool SetComFile::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    QByteArray text = file.readAll();
    if (text.startsWith("\xEF\xBB\xBF"))   // a byte-order mark left by an editor
        text.remove(0, 3);
    const QList<QByteArray> lines = text.split('\n');
    auto line = [&lines](qsizetype i) {
        return i < lines.size() ? QString::fromLatin1(lines.at(i)).remove(QLatin1Char('\r')) : QString();
    };

    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString section = line(i).toUpper();
        if (section == QLatin1String("[FIRMWARE]")) {
            m_firmware.append(QByteArray::fromHex(line(i + 1).trimmed().toLatin1()));
        } else if (section == QLatin1String("[MSG]")) {
            Record r;
            r.id = line(i + 1).trimmed().toInt();
            r.name = line(i + 2).trimmed();
            r.request = QByteArray::fromHex(line(i + 3).trimmed().toLatin1());
            const QStringList entries = line(i + 7).split(QLatin1Char(';'), Qt::SkipEmptyParts);
            for (const QString &entry : entries) {
                const QStringList f = entry.split(QLatin1Char(','));
                if (f.size() < 3)
                    continue;
                bool offsetOk = false;
                const int offset = f.at(1).trimmed().toInt(&offsetOk);
                if (!offsetOk || offset < 1 || offset > MaxAnswerSize) {
                    *error = QStringLiteral("%1: record %2 (%3): value %4 has the position '%5', "
                                            "not one of 1..%6 in an answer")
                                 .arg(path).arg(m_records.size()).arg(r.name)
                                 .arg(r.variables.size()).arg(f.at(1).trimmed()).arg(MaxAnswerSize);
                    return false;
                }
                r.variables.append({f.at(0).trimmed(), offset, f.at(2).trimmed().toInt()});
            }
            m_records.append(r);
        }
    }
    return true;
}

QByteArray SetComFile::firstIdentity() const
{
    if (m_firmware.isEmpty() || m_firmware.first().size() <= EcuMessage::HeaderSize + 1)
        return {};
    const QByteArray &f = m_firmware.first();
    return f.mid(EcuMessage::HeaderSize, f.size() - EcuMessage::HeaderSize - 1);
}

QStringList SetComFile::check(ServiceHandler &handler) const
{
    QStringList problems;
    for (qsizetype n = 0; n < m_records.size(); ++n) {
        const Record &r = m_records.at(n);
        const QByteArray answer = handler.handle(r.request);
        if (answer.size() < EcuMessage::HeaderSize + 1
            || static_cast<quint8>(answer.at(3)) == EcuMessage::RefusalCode) {
            problems << QStringLiteral("record %1 (%2): request %3 is not answered")
                            .arg(n).arg(r.name, QString::fromLatin1(r.request.toHex(' ')));
            continue;
        }
        const int lastData = static_cast<int>(answer.size()) - 1;   // 1-based, before the checksum
        for (qsizetype k = 0; k < r.variables.size(); ++k) {
            const Variable &v = r.variables.at(k);
            if (v.offset < EcuMessage::HeaderSize + 1 || v.lastByte() > lastData) {
                problems << QStringLiteral("record %1 (%2): value %3 at %4 lies outside the %5-byte answer")
                                .arg(n).arg(r.name).arg(k).arg(v.offset).arg(answer.size());
            }
        }
    }
    return problems;
}
