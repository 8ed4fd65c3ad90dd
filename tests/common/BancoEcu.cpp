#include "BancoEcu.h"
#include <QLocalSocket>
#include <QTest>

BancoEcu::~BancoEcu()
{
    ctx.reset(); // PrjCom ends with its input
    FermaEcu();
}

QByteArray BancoEcu::CambiaByte(const QByteArray &mappa, const char *sezione, int pos, quint8 valore)
{
    QList<QByteArray> righe = mappa.split('\n');
    for (qsizetype i = 0; i + 1 < righe.size(); ++i) {
        if (righe[i].trimmed() != sezione)
            continue;
        const bool cr = righe[i + 1].endsWith('\r');
        QByteArray blocco = QByteArray::fromHex(righe[i + 1].trimmed());
        if (pos < 1 || pos >= blocco.size())
            break;
        blocco[pos - 1] = char(valore);
        // A file block is a whole ECU answer: its last byte is the XOR of the others.
        char x = 0;
        for (qsizetype k = 0; k + 1 < blocco.size(); ++k)
            x = char(x ^ blocco[k]);
        blocco[blocco.size() - 1] = x;
        righe[i + 1] = blocco.toHex().toUpper() + (cr ? "\r" : "");
        break;
    }
    return righe.join('\n');
}

bool BancoEcu::AvviaEcu(const QStringList &opzioni, bool controllo)
{
    FermaEcu();
    QStringList argomenti{QStringLiteral("--link"), Link()};
    if (controllo)
        argomenti << QStringLiteral("--control") << Percorso(QStringLiteral("ecu.ctl"));
    m_ecu.start(Bin(QStringLiteral("ecusim")), argomenti + opzioni);
    if (!m_ecu.waitForStarted(5000))
        return false;
    QByteArray uscita;
    const bool pronto = QTest::qWaitFor([&] {
        uscita += m_ecu.readAllStandardOutput();
        return uscita.contains("ready") || m_ecu.state() != QProcess::Running;
    }, 5000);
    return pronto && uscita.contains("ready");
}

void BancoEcu::FermaEcu()
{
    if (m_ecu.state() == QProcess::NotRunning)
        return;
    m_ecu.terminate();
    if (!m_ecu.waitForFinished(3000)) {
        m_ecu.kill();
        m_ecu.waitForFinished(1000);
    }
}

QString BancoEcu::Controllo(const QString &comando)
{
    QLocalSocket presa;
    presa.connectToServer(Percorso(QStringLiteral("ecu.ctl")));
    if (!presa.waitForConnected(2000))
        return {};
    presa.write((comando + QLatin1Char('\n')).toUtf8());
    presa.waitForBytesWritten(1000);
    QByteArray risposta;
    while (!risposta.contains('\n') && presa.waitForReadyRead(2000))
        risposta += presa.readAll();
    return QString::fromUtf8(risposta).trimmed();
}

EsitoCli BancoEcu::Cli(const QStringList &argomenti, const std::function<void(QProcess &)> &prepara) const
{
    QProcess p;
    if (prepara)
        prepara(p);
    p.start(Bin(QStringLiteral("gascal-cli")), QStringList{QStringLiteral("--dir"), Cartella()} + argomenti);
    EsitoCli e;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return e;
    }
    e.codice = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    e.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    e.err = QString::fromLocal8Bit(p.readAllStandardError());
    return e;
}
