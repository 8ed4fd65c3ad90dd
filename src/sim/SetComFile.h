#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class ServiceHandler;

// The parts of a SetCom.ini message table that ecusim cares about: the
// firmware probe answers and, per [MSG] record, its request and the byte
// positions of its variables. Used to take the identity from the table and
// to warn when the table and ecusim's memory do not agree.
class SetComFile
{
public:
    struct Variable
    {
        QString type;
        int offset = 0;   // 1-based position in the whole answer message
        int scale = 1;
        // Last 1-based position the variable reads ("SL" reads P+1..P+4).
        qint64 lastByte() const;
    };
    struct Record
    {
        int id = 0;
        QString name;
        QByteArray request;
        QList<Variable> variables;
    };

    // The longest answer message: its length byte counts the whole message.
    static constexpr int MaxAnswerSize = 255;

    // Reads the table; a variable position that no answer can have (outside
    // 1..255) is refused with a reason in error.
    bool load(const QString &path, QString *error);

    const QList<QByteArray> &firmware() const { return m_firmware; }
    const QList<Record> &records() const { return m_records; }

    // Identity data of the first [FIRMWARE] answer (header and checksum
    // removed); empty when there is none.
    QByteArray firstIdentity() const;

    // Sends every record's request to handler and lists each variable that
    // lies outside the answer, and each request that is refused.
    QStringList check(ServiceHandler &handler) const;

private:
    QList<QByteArray> m_firmware;
    QList<Record> m_records;
};
