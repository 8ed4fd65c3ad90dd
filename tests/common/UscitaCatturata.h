#pragma once
#include <QStringList>
#include <QTemporaryFile>
#include <QtGlobal>
#include <cstdio>
#include <unistd.h>

// This process's stdout/stderr into files while it lives (check failures after Fine()); Qt's messages still reach stderr.
class UscitaCatturata
{
public:
    UscitaCatturata() : m_out(Devia(STDOUT_FILENO, m_fileOut)), m_err(Devia(STDERR_FILENO, m_fileErr))
    {
        s_erroreVero = m_err;
        s_precedente = qInstallMessageHandler([](QtMsgType tipo, const QMessageLogContext &c, const QString &testo) {
            const QByteArray riga = testo.toLocal8Bit() + '\n';
            [[maybe_unused]] const ssize_t scritti = ::write(s_erroreVero, riga.constData(), size_t(riga.size()));
            if (s_precedente)
                s_precedente(tipo, c, testo);
        });
    }
    ~UscitaCatturata() { Fine(); }

    // The whole lines printed on standard output since the last call.
    QStringList NuoveRighe()
    {
        // A reader of its own: seeking stdout's file would move where it writes.
        std::fflush(stdout);
        if (!m_lettore.isOpen()) {
            m_lettore.setFileName(m_fileOut.fileName());
            m_lettore.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        }
        m_lettore.seek(m_letti);
        const QByteArray nuovo = m_lettore.readAll();
        const QByteArray intere = nuovo.left(nuovo.lastIndexOf('\n') + 1);
        m_letti += intere.size();
        QStringList righe;
        for (const QByteArray &r : intere.split('\n').mid(0, intere.count('\n')))
            righe << QString::fromLocal8Bit(r).trimmed();
        return righe;
    }
    // Gives the process its outputs back and keeps what they got.
    void Fine()
    {
        if (m_out < 0)
            return;
        qInstallMessageHandler(s_precedente);
        std::fflush(stdout);
        std::fflush(stderr);
        ::dup2(m_out, STDOUT_FILENO);
        ::dup2(m_err, STDERR_FILENO);
        ::close(m_out);
        ::close(m_err);
        m_out = m_err = -1;
        out = Tutto(m_fileOut);
        err = Tutto(m_fileErr);
    }
    QString out;
    QString err;

private:
    static int Devia(int fd, QTemporaryFile &file)
    {
        std::fflush(nullptr);
        file.open();
        const int copia = ::dup(fd);
        ::dup2(file.handle(), fd);
        return copia;
    }
    static QString Tutto(QTemporaryFile &file)
    {
        file.seek(0);
        return QString::fromLocal8Bit(file.readAll());
    }
    QTemporaryFile m_fileOut;
    QTemporaryFile m_fileErr;
    QFile m_lettore;
    int m_out;
    int m_err;
    qint64 m_letti = 0;
    static inline int s_erroreVero = -1;
    static inline QtMessageHandler s_precedente = nullptr;
};
