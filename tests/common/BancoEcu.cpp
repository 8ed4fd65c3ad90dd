#include "BancoEcu.h"
#include "FileProva.h"

#include "app/Avvio.h"
#include "link/CaricaSetCom.h"
#include "mapfile/RicercaEcu.h"

#include <QFile>
#include <QFileDevice>
#include <QLocalSocket>
#include <QTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

QString BancoEcu::Bin(const QString &nome)
{
    return QStringLiteral(GASCAL_BIN "/") + nome;
}

BancoEcu::BancoEcu()
{
    PreparaCartellaProgramma(QStringLiteral(GASCAL_BIN), Cartella(), true);
    ctx = std::make_unique<gascal::Contesto>(ui);
}

BancoEcu::~BancoEcu()
{
    ctx.reset(); // PrjCom ends with its input
    FermaEcu();
    if (m_terminaleMuto >= 0)
        ::close(m_terminaleMuto);
}

QString BancoEcu::TerminaleMuto(const QString &nome)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 || !::ptsname(master)) {
        if (master >= 0)
            ::close(master);
        return {};
    }
    m_terminaleMuto = master;
    const QString link = Percorso(nome);
    QFile::remove(link);
    return QFile::link(QString::fromLocal8Bit(::ptsname(master)), link) ? link : QString();
}

bool BancoEcu::PrjComDaUtenteComune()
{
    if (::getuid() != 0)
        return true;
    // The folder's PrjCom becomes a script that starts the real one as nobody,
    // from the same folder (where it finds its PrjCom.ini).
    const QString vero = Percorso(QStringLiteral("PrjCom.bin"));
    if (!QFile::rename(Percorso(QStringLiteral("PrjCom")), vero))
        return false;
    ScriviFile(QStringLiteral("PrjCom"),
               "#!/bin/sh\nexec setpriv --reuid=65534 --regid=65534 --clear-groups \"$0.bin\"\n");
    const auto esegui = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
        | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    return QFile::setPermissions(Percorso(QStringLiteral("PrjCom")), esegui)
        && QFile::setPermissions(vero, esegui) && QFile::setPermissions(Cartella(), esegui);
}

void BancoEcu::ScriviFile(const QString &nome, const QByteArray &contenuto)
{
    QFile file(Percorso(nome));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contenuto) < 0)
        qWarning("cannot write %s", qPrintable(nome));
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

QByteArray BancoEcu::LeggiFile(const QString &nome) const
{
    QFile file(Percorso(nome));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

bool BancoEcu::Avvia()
{
    return gascal::Avvio::Esegui(*ctx, Cartella());
}

bool BancoEcu::Cerca(int ms)
{
    gascal::RicercaEcu(*ctx).CercaEntro(ms);
    return ctx->stato.StatoProgramma == gascal::StatoApp::Connesso;
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

qint32 BancoEcu::ValoreEcu(int n, int k)
{
    if (m_tabella.size() <= n) {
        gascal::ImpostazioniLink link;
        gascal::ServiziUiScriptati silenzioso;
        gascal::CaricaSetCom(Percorso(QStringLiteral("SetCom.ini")), m_tabella, link, silenzioso);
    }
    const QByteArray dati = QByteArray::fromHex(Controllo(QStringLiteral("block %1").arg(n)).toLatin1());
    if (n >= m_tabella.size() || k >= m_tabella.at(n).Valori.size())
        return -1;
    const gascal::MsgRecord &r = m_tabella.at(n);
    // The data bytes follow the 5-byte header; offsets are 1-based.
    const int i = r.Offset.at(k) - 6;
    const QString &tipo = r.Tipi.at(k);
    const bool parola = tipo == QLatin1String("UW") || tipo == QLatin1String("SW");
    if (i < 0 || i + (parola ? 1 : 0) >= dati.size())
        return -1;
    qint32 grezzo = quint8(dati.at(i));
    if (parola)
        grezzo += 256 * quint8(dati.at(i + 1));
    if (tipo == QLatin1String("SW") && grezzo > 32767)
        grezzo -= 65536;
    if (tipo == QLatin1String("SB") && grezzo > 127)
        grezzo -= 256;
    return grezzo * r.Scala.at(k);
}

EsitoCli BancoEcu::Attendi(QProcess &p)
{
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

EsitoCli BancoEcu::Cli(const QStringList &argomenti) const
{
    QProcess p;
    p.start(Bin(QStringLiteral("gascal-cli")), QStringList{QStringLiteral("--dir"), Cartella()} + argomenti);
    return Attendi(p);
}

EsitoCli BancoEcu::Cli(const QStringList &argomenti, const std::function<void(QProcess &)> &prepara) const
{
    QProcess p;
    prepara(p);
    p.start(Bin(QStringLiteral("gascal-cli")), QStringList{QStringLiteral("--dir"), Cartella()} + argomenti);
    return Attendi(p);
}
