#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// One running ecusim and our end of its line: starts the real program with
// the given options and its control channel (a local socket), waits for
// "ready", and opens the link as a raw serial device, as PrjCom does.
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
    // The next answer, framed by its length byte (6 bytes for the boot
    // loader's 42 01 answers), or what came when time ran out; with
    // `framed` false, everything that came within the time.
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
