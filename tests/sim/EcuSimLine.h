#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// One running ecusim, its control channel, and our end of its line as a raw serial device.
class EcuSimLine
{
public:
    explicit EcuSimLine(const QStringList &options = {}) : m_options(options) {}
    ~EcuSimLine();

    // Empty on success, else why it failed.
    QString start();
    QString linkPath() const { return m_dir.filePath(QStringLiteral("ecu")); }
    QString controlPath() const { return m_dir.filePath(QStringLiteral("ecu.ctl")); }
    // Sends one control line and returns the answer line (empty when none came).
    QString control(const QString &command);
    QProcess &process() { return m_process; }

    bool openLine();
    void closeLine();

    void send(const QByteArray &bytes);
    // The next framed answer (6 bytes for 42 01), or all that came when `framed` is false.
    QByteArray readAnswer(int timeoutMs = 1000, bool framed = true);
    QByteArray exchange(const QByteArray &request, int timeoutMs = 1000)
    {
        send(request);
        return readAnswer(timeoutMs);
    }

    static QByteArray request(quint8 service, const QByteArray &data = {});
    static quint8 checksum(const QByteArray &bytes);
    static bool checksumOk(const QByteArray &m) { return m.size() >= 2 && checksum(m.chopped(1)) == quint8(m.back()); }

private:
    QStringList m_options;
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_fd = -1;
};
