#include "BancoEcu.h"

#include "app/Avvio.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalSocket>

BancoEcu::BancoEcu(const QString &binari) : m_binari(binari)
{
    for (const char *nome : {"PrjCom", "SetCom.ini", "map.ini", "def.xar", "def_cng.xar"}) {
        const QString origine = binari + QLatin1Char('/') + QLatin1String(nome);
        if (QFile::exists(origine))
            QFile::copy(origine, m_cartella.filePath(QLatin1String(nome)));
    }
    ScriviFile(QStringLiteral("PrjCom.ini"), "0=ttyECU\r\n");
    ScriviFile(QStringLiteral("PortCom.ini"), "0\r\n");
    ctx = std::make_unique<gascal::Contesto>(ui);
}

BancoEcu::~BancoEcu()
{
    ctx.reset(); // PrjCom ends first
    FermaEcu();
}

void BancoEcu::ScriviFile(const QString &nome, const QByteArray &contenuto)
{
    QFile file(m_cartella.filePath(nome));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(contenuto);
}

bool BancoEcu::AvviaEcu(const QStringList &opzioni, bool controllo)
{
    FermaEcu();
    QStringList argomenti{QStringLiteral("--link"), Link()};
    if (controllo)
        argomenti << QStringLiteral("--control") << m_cartella.filePath(QStringLiteral("ecu.ctl"));
    m_ecu.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_ecu.start(m_binari + QStringLiteral("/ecusim"), argomenti + opzioni);
    QDeadlineTimer scadenza(5000);
    QByteArray uscita;
    while (!scadenza.hasExpired() && m_ecu.waitForReadyRead(static_cast<int>(scadenza.remainingTime()))) {
        uscita += m_ecu.readAll();
        if (uscita.contains("ready"))
            return true;
    }
    return false;
}

void BancoEcu::FermaEcu()
{
    if (m_ecu.state() == QProcess::NotRunning)
        return;
    m_ecu.terminate();
    if (!m_ecu.waitForFinished(3000))
        m_ecu.kill();
    m_ecu.waitForFinished(1000);
}

bool BancoEcu::Avvia()
{
    return gascal::Avvio::Esegui(*ctx, m_cartella.path());
}

QString BancoEcu::Controllo(const QString &comando)
{
    QLocalSocket presa;
    presa.connectToServer(m_cartella.filePath(QStringLiteral("ecu.ctl")));
    if (!presa.waitForConnected(2000))
        return {};
    presa.write((comando + QLatin1Char('\n')).toUtf8());
    presa.waitForBytesWritten(1000);
    QByteArray risposta;
    while (!risposta.contains('\n') && presa.waitForReadyRead(2000))
        risposta += presa.readAll();
    return QString::fromUtf8(risposta).trimmed();
}
