#include "ControlChannel.h"

#include "ControlCommands.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QTimer>
#include <QVariant>

#include <cstdio>
#include <unistd.h>

ControlChannel::ControlChannel(ControlCommands &commands, QObject *parent)
    : QObject(parent)
    , m_commands(commands)
{
}

ControlChannel::~ControlChannel()
{
    if (m_server)
        m_server->close();   // removes the socket file
}

bool ControlChannel::open(const QString &path, QString *error)
{
    if (path == QLatin1String("-")) {
        m_stdin = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        connect(m_stdin, &QSocketNotifier::activated, this, &ControlChannel::onStdinReadable);
        return true;
    }
    // A relative path is taken from the current folder, as any other path
    // on the command line (a bare name would otherwise land in the
    // temporary folder).
    const QString socketPath = QFileInfo(path).absoluteFilePath();
    m_server = new QLocalServer(this);
    QLocalServer::removeServer(socketPath);   // a socket left by an earlier run
    if (!m_server->listen(socketPath)) {
        *error = QStringLiteral("cannot listen on %1: %2").arg(socketPath, m_server->errorString());
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &ControlChannel::onNewConnection);
    return true;
}

QByteArray ControlChannel::runLines(QByteArray *buffer)
{
    QByteArray answers;
    qsizetype end;
    while (!m_quit && (end = buffer->indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(buffer->left(end)).trimmed();
        buffer->remove(0, end + 1);
        if (line.isEmpty())
            continue;
        answers += m_commands.execute(line, &m_quit).toUtf8() + '\n';
        const QString word = line.section(QLatin1Char(' '), 0, 0).toLower();
        if (word != QLatin1String("state") && word != QLatin1String("help") && !m_quit)
            emit engineCommand();
    }
    if (m_quit)
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    return answers;
}

void ControlChannel::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
            const QByteArray answers = runLines(&buffer);
            socket->setProperty("buffer", buffer);
            if (!answers.isEmpty()) {
                socket->write(answers);
                socket->flush();
            }
        });
    }
}

void ControlChannel::onStdinReadable()
{
    char chunk[512];
    const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (n <= 0) {
        m_stdin->setEnabled(false);   // end of input: keep running without commands
        return;
    }
    m_stdinBuffer.append(chunk, n);
    const QByteArray answers = runLines(&m_stdinBuffer);
    std::fwrite(answers.constData(), 1, static_cast<size_t>(answers.size()), stdout);
    std::fflush(stdout);
}
