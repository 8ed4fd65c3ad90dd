#include "BancoCli.h"

#include "app/Avvio.h"
#include "mapfile/RicercaEcu.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTest>
#include <QTimer>

QString BancoCli::Bin(const QString &nome)
{
    return QStringLiteral(GASCAL_BIN "/") + nome;
}

BancoCli::BancoCli()
{
    for (const char *nome : {"PrjCom", "SetCom.ini"}) {
        const QString n = QString::fromLatin1(nome);
        if (!QFile::copy(Bin(n), Percorso(n)))
            qWarning("cannot copy %s", nome);
    }
    QFile::setPermissions(Percorso(QStringLiteral("PrjCom")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ScriviFile(QStringLiteral("PrjCom.ini"), "0=" + Linea().toLocal8Bit() + "\n");
    ScriviFile(QStringLiteral("PortCom.ini"), "0\r\n");
}

BancoCli::~BancoCli()
{
    ctx.reset(); // PrjCom ends with its input
    FermaEcu();
}

void BancoCli::ScriviFile(const QString &nome, const QByteArray &contenuto)
{
    QFile file(Percorso(nome));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contenuto) < 0)
        qWarning("cannot write %s", qPrintable(nome));
}

QByteArray BancoCli::LeggiFile(const QString &nome) const
{
    QFile file(Percorso(nome));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool BancoCli::AvviaEcu(const QStringList &opzioni)
{
    FermaEcu();
    m_ecu.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_ecu.start(Bin(QStringLiteral("ecusim")), QStringList{QStringLiteral("--link"), Linea()} + opzioni);
    if (!m_ecu.waitForStarted(5000))
        return false;
    const QDeadlineTimer scadenza(5000);
    QByteArray uscita;
    while (!uscita.contains("ready") && !scadenza.hasExpired()) {
        m_ecu.waitForReadyRead(static_cast<int>(scadenza.remainingTime()));
        uscita += m_ecu.readAllStandardOutput();
        if (m_ecu.state() != QProcess::Running)
            break;
    }
    return uscita.contains("ready");
}

void BancoCli::FermaEcu()
{
    if (m_ecu.state() == QProcess::NotRunning)
        return;
    m_ecu.terminate();
    if (!m_ecu.waitForFinished(3000)) {
        m_ecu.kill();
        m_ecu.waitForFinished(1000);
    }
}

bool BancoCli::Avvia()
{
    ctx = std::make_unique<gascal::Contesto>(ui);
    return gascal::Avvio::Esegui(*ctx, Cartella());
}

bool BancoCli::Cerca(int ms)
{
    using gascal::StatoApp;
    ctx->stato.StatoProgramma = StatoApp::Ricerca;
    ctx->stato.ErroreComunicazione = 1;
    gascal::Contesto *c = ctx.get();
    QTimer stop;
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout, [c] { c->stato.LavoroOffline = 1; });
    stop.start(ms);
    gascal::RicercaEcu(*ctx).CercaCentralina();
    return ctx->stato.StatoProgramma == StatoApp::Connesso;
}
