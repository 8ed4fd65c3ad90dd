#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// One running ecusim and our end of its line: starts the real program with
// the given options, waits for "ready", and opens the link as a raw serial
// device, as the communication process does.
class EcuSimLine
{
public:
    explicit EcuSimLine(const QStringList &options = {});
    ~EcuSimLine();

    // Empty on success, else why it failed.
    QString start();
    QString linkPath() const { return m_linkPath; }
    // ecusim always runs with a control channel (a local socket here).
    QString controlPath() const { return m_controlPath; }
    // Sends one control line and returns the answer line (empty when none came).
    QString control(const QString &command);
    QProcess &process() { return m_process; }

    bool openLine();
    void closeLine();

    void send(const QByteArray &bytes);
    // Sends a request and returns the answer, framed by its length byte
    // (6 bytes for the boot loader's 42 01 answers); what came when time ran out.
    QByteArray exchange(const QByteArray &request, int timeoutMs = 1000);
    // Reads one answer without sending.
    QByteArray readAnswer(int timeoutMs = 1000);
    // Everything that arrives within ms.
    QByteArray readFor(int ms);

    // Asks ecusim to end (SIGTERM) and returns its exit code, -1 on a crash or hang.
    int terminate();

    static QByteArray request(quint8 service, const QByteArray &data = {});
    static quint8 checksum(const QByteArray &bytes);
    static bool checksumOk(const QByteArray &message);

private:
    QStringList m_options;
    QTemporaryDir m_dir;
    QString m_linkPath;
    QString m_controlPath;
    QProcess m_process;
    int m_fd = -1;
};
