// `gascal-cli samples` against ecusim driven through its road cycle: both
// fuels' tables fill a curve's worth of rows, the ECU gets its pressure
// sensor and end-of-gas setting back, and the samples propose corrections.
#include "RegistroProve.h"
#include "BancoEcu.h"
#include "StradaComune.h"

#include "interp/FileCampioni.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <csignal>
#include <QTest>

using namespace gascal;
using T = TabelleCampioni;

class TstStradaCli : public QObject
{
    Q_OBJECT

    static QProcess *Cli(const BancoEcu &b, const QStringList &argomenti)
    {
        auto *p = new QProcess;
        p->start(BancoEcu::Bin(QStringLiteral("gascal-cli")),
                 QStringList{QStringLiteral("--dir"), b.Cartella()} + argomenti);
        return p;
    }

private slots:
    void cicloStradale()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true));
        const QString uscita = b.Percorso(QStringLiteral("strada.cmp"));
        std::unique_ptr<QProcess> cli(Cli(b, {QStringLiteral("samples"), QStringLiteral("--seconds"),
                                              QString::number(StradaComune::SecondiCiclo + 4),
                                              QStringLiteral("--stability"), QStringLiteral("1000"),
                                              QStringLiteral("--out"), uscita}));
        QVERIFY(cli->waitForStarted(5000));
        // The cycle starts once the tool is sampling.
        QTest::qWait(4000);
        QCOMPARE(b.Controllo(QStringLiteral("road %1").arg(StradaComune::PassoSecondi)), QStringLiteral("ok"));
        QVERIFY(cli->waitForFinished((StradaComune::SecondiCiclo + 60) * 1000));
        const QString errori = QString::fromLocal8Bit(cli->readAllStandardError());
        QVERIFY2(cli->exitCode() == 0, qPrintable(errori));
        const QString testo = QString::fromLocal8Bit(cli->readAllStandardOutput());
        QVERIFY(testo.startsWith(QStringLiteral(" id   BeM")));

        T t;
        QVERIFY(FileCampioni::CaricaCampioni(uscita, t));
        QVERIFY2(StradaComune::Righe(t[T::BeM]) >= 14, qPrintable(t.Testo()));
        QVERIFY2(StradaComune::Righe(t[T::GaM]) >= 14, qPrintable(t.Testo()));
        // All three speed bands were driven on both fuels.
        for (int k : {T::Be0, T::Be1, T::Be2, T::Ga0, T::Ga1, T::Ga2})
            QVERIFY2(StradaComune::Righe(t[k]) >= 4, T::Nomi[k]);
        QVERIFY(testo.contains(QStringLiteral(" 20 %1").arg(t[T::BeM][20], 5)));

        // The ECU has its pressure sensor and end-of-gas management back.
        QVERIFY(b.Avvia());
        QVERIFY(b.Cerca());
        QCOMPARE(b.ctx->Valore(Contesto::RecConfig, 25), 1);
        QCOMPARE(b.ctx->Valore(Contesto::RecConfig, 12) & 1, 1);

        // On gas the car's own ECU trims the mixture: the samples propose
        // corrections.
        std::unique_ptr<QProcess> analisi(Cli(b, {QStringLiteral("samples"), QStringLiteral("--in"), uscita}));
        QVERIFY(analisi->waitForFinished(20000));
        QCOMPARE(analisi->exitCode(), 0);
        const QString proposta = QString::fromLocal8Bit(analisi->readAllStandardOutput());
        QVERIFY2(StradaComune::PuntiProposti(proposta) >= 2, qPrintable(proposta.section(QLatin1Char('\n'), -2)));
    }
    // Sampling ended by a signal or by a pulled cable: the samples are kept
    // and the ECU gets its pressure sensor and end-of-gas setting back.
    void interruptedSamplingPutsTheEcuBack_data()
    {
        QTest::addColumn<QString>("guasto");
        QTest::newRow("Ctrl+C") << QStringLiteral("SIGINT");
        QTest::newRow("SIGTERM") << QStringLiteral("SIGTERM");
        QTest::newRow("cable pulled") << QStringLiteral("unplug");
    }
    void interruptedSamplingPutsTheEcuBack()
    {
        QFETCH(QString, guasto);
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true));
        const qint32 sensore = b.ValoreEcu(Contesto::RecConfig, 25);
        const qint32 abilitazioni = b.ValoreEcu(Contesto::RecConfig, 12);
        QVERIFY(sensore != 0 && (abilitazioni & 1));
        const QString memo = b.Percorso(QStringLiteral("strada.cmp"));
        std::unique_ptr<QProcess> cli(Cli(b, {QStringLiteral("samples"), QStringLiteral("--seconds"), QStringLiteral("60"),
                                              QStringLiteral("--out"), memo, QStringLiteral("--timeout"), QStringLiteral("20")}));
        QVERIFY(QTest::qWaitFor([&] { return b.ValoreEcu(Contesto::RecConfig, 25) == 0; }, 20000));
        QTest::qWait(500);
        if (guasto == QLatin1String("unplug")) {
            b.Controllo(QStringLiteral("unplug"));
            QTimer::singleShot(3000, [&b] { b.Controllo(QStringLiteral("plug")); });
        } else {
            ::kill(static_cast<pid_t>(cli->processId()), guasto == QLatin1String("SIGINT") ? SIGINT : SIGTERM);
        }
        // The event loop runs meanwhile, so that the cable goes back in.
        QVERIFY(QTest::qWaitFor([&] { return cli->state() == QProcess::NotRunning; }, 60000));
        QVERIFY2(cli->exitStatus() == QProcess::NormalExit && cli->exitCode() == 1,
                 qPrintable(QString::fromLocal8Bit(cli->readAllStandardError())));
        QCOMPARE(b.ValoreEcu(Contesto::RecConfig, 25), sensore);
        QCOMPARE(b.ValoreEcu(Contesto::RecConfig, 12), abilitazioni);
        QVERIFY(QFileInfo::exists(memo));
        QVERIFY(QDir(b.Percorso(QStringLiteral("Data"))).entryList({QStringLiteral("restore_*")}).isEmpty());
    }
};

GASCAL_PROVA(TstStradaCli)
#include "tst_strada_cli.moc"
