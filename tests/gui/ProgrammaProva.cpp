#include "ProgrammaProva.h"

#include "app/Avvio.h"

#include <QFile>
#include <QTest>

namespace {
void Scrivi(const QString &percorso, const QByteArray &testo)
{
    QFile file(percorso);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(testo);
}
} // namespace

ProgrammaProva::ProgrammaProva()
{
    const QString risorse = QStringLiteral(GASCAL_SOURCE "/resources/");
    QFile::copy(QStringLiteral(PRJCOM_PATH), Percorso(QStringLiteral("PrjCom")));
    QFile::copy(risorse + QStringLiteral("SetCom.ini"), Percorso(QStringLiteral("SetCom.ini")));
    QFile::copy(risorse + QStringLiteral("map.ini"), Percorso(QStringLiteral("map.ini")));
    Scrivi(Percorso(QStringLiteral("PrjCom.ini")), "0=" + Link().toLocal8Bit() + "\r\n");
    Scrivi(Percorso(QStringLiteral("PortCom.ini")), "0\r\n");
}

ProgrammaProva::~ProgrammaProva()
{
    if (frame && !frame->Chiuso()) {
        ctx.stato.UscitaRichiesta = 1;
        (void)QTest::qWaitFor([this] { return frame->Chiuso(); }, 10000);
    }
    frame.reset();
    m_sorveglianti.clear();
    FermaEcu();
}

QString ProgrammaProva::AvviaEcu(const QStringList &opzioni)
{
    FermaEcu();
    m_ecu.setProgram(QStringLiteral(ECUSIM_PATH));
    m_ecu.setArguments(QStringList{QStringLiteral("--link"), Link()} + opzioni);
    m_ecu.start();
    if (!m_ecu.waitForStarted(3000))
        return QStringLiteral("ecusim did not start");
    // The event loop keeps running while we wait for "ready".
    if (!QTest::qWaitFor([this] { return m_ecu.canReadLine()
                                         || m_ecu.state() == QProcess::NotRunning; }, 5000)
        || m_ecu.readLine().trimmed() != "ready")
        return QStringLiteral("no 'ready' from ecusim: ") + QString::fromLocal8Bit(m_ecu.readAllStandardError());
    return {};
}

void ProgrammaProva::FermaEcu()
{
    if (m_ecu.state() == QProcess::NotRunning)
        return;
    m_ecu.terminate();
    if (!m_ecu.waitForFinished(3000)) {
        m_ecu.kill();
        m_ecu.waitForFinished(1000);
    }
}

bool ProgrammaProva::AvviaProgramma()
{
    if (!gascal::Avvio::Esegui(ctx, Cartella()))
        return false;
    frame = std::make_unique<gascal::MDIFrm>(ctx);
    frame->MDIForm_Load();
    return true;
}

bool ProgrammaProva::AttendiStato(int stato, int ms)
{
    return QTest::qWaitFor([this, stato] { return ctx.stato.StatoProgramma == stato; }, ms);
}

void ProgrammaProva::Quando(std::function<bool()> condizione, std::function<void()> azione)
{
    auto timer = std::make_unique<QTimer>();
    QTimer *t = timer.get();
    t->setInterval(10);
    QObject::connect(t, &QTimer::timeout, t, [t, condizione, azione] {
        if (!condizione())
            return;
        t->stop();
        azione();
    });
    t->start();
    m_sorveglianti.push_back(std::move(timer));
}
