#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// The ECU's end of the line: the master side of a pseudo-terminal whose
// slave device is reached through a symlink. The slave is put in raw mode,
// and one slave descriptor stays open for the whole run, so that the master
// never sees a hang-up when the program on the other side closes and
// reopens the port.
class PseudoTerminal : public QObject
{
    Q_OBJECT

public:
    explicit PseudoTerminal(QObject *parent = nullptr);
    ~PseudoTerminal() override;

    // Creates the pty and the symlink (replacing an existing symlink, never
    // another kind of file). On failure returns false and sets error.
    bool open(const QString &linkPath, QString *error);
    // Closes the pty and removes the symlink (if it still points to us).
    void close();

    QString slaveName() const { return m_slaveName; }
    // Writes all bytes to the line; returns false when the line refused them.
    bool write(const QByteArray &bytes);

signals:
    void received(const QByteArray &bytes);

private:
    void onReadable();

    int m_master = -1;
    int m_slave = -1;
    QSocketNotifier *m_notifier = nullptr;
    QString m_linkPath;
    QString m_slaveName;
};
