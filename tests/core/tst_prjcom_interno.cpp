// The in-process PrjCom answers byte for byte, and in the same time, as the real one.
#include "RegistroProve.h"
#include "BancoEcu.h"
#include "BancoVirtuale.h"
#include "link/MessaggioEcu.h"
#include "link/Transazioni.h"
#include <QRegularExpression>
#include <QTest>

using namespace gascal;

namespace {
// A control line for the ECU first, when not empty; what of the reply is compared.
struct Richiesta { const char *nome; QString controllo; quint8 comando; QByteArray dati;
                   enum { Tutto, SenzaDispositivo, Intestazione } confronto = Tutto; };

QList<Richiesta> Richieste(const QByteArray &sonda)
{
    using M = QByteArray;
    QByteArray guasta = MessaggioEcu::Componi(33);
    guasta[guasta.size() - 1] = char(guasta.back() ^ 0x55);
    const QByteArray config = MessaggioEcu::Componi(14);
    return {
        {"version", {}, 11, {}}, {"message before any port", {}, 6, config}, {"report before any port", {}, 12, {}},
        {"missing port", {}, 3, M(1, char(25))}, {"its report", {}, 12, {}}, {"bad firmware probe", {}, 10, M(1, '\x41')},
        {"firmware probe", {}, 10, sonda}, {"the ECU's port", {}, 3, M(1, '\0')},
        {"its report", {}, 12, {}, Richiesta::SenzaDispositivo}, {"identity", {}, 6, MessaggioEcu::Componi(33)},
        {"configuration", {}, 6, config}, {"live data", {}, 6, MessaggioEcu::Componi(11), Richiesta::Intestazione},
        {"bad checksum", {}, 6, guasta}, {"unknown service", {}, 6, MessaggioEcu::Componi(0x55)},
        {"writing mode", {}, 4, M(1, '\2')}, {"bad mode", {}, 4, M(1, '\3')}, {"ECU wait", {}, 8, M::fromHex("E8030000")},
        {"bad ECU wait", {}, 8, M::fromHex("010203")}, {"silent ECU", QStringLiteral("unplug"), 6, config},
        {"ECU back", QStringLiteral("plug"), 6, config}, {"unknown command", {}, 99, {}}, {"reset", {}, 2, M(1, '\0')},
        {"message after the reset", {}, 6, config}, {"close", {}, 1, {}},
    };
}

// The reply frames to the requests, laid out for comparison.
template <typename Banco>
QStringList Risposte(Banco &b)
{
    Contesto &ctx = *b.ctx;
    ctx.stato.StatoProgramma = StatoApp::Ricerca;   // no message boxes on the way
    QStringList esiti;
    for (const Richiesta &r : Richieste(ctx.impLink.ListaFirmware.value(0))) {
        if (!r.controllo.isEmpty())
            b.Controllo(r.controllo);
        QByteArray frame;
        ctx.link.InviaComando(r.comando, r.dati, ctx.impLink.AttesaPipe_usec, &frame);
        QString testo;
        if (r.confronto == Richiesta::Intestazione)
            testo = QString::fromLatin1(frame.left(8).toHex(' ')) + QStringLiteral(" ... %1 bytes").arg(frame.size());
        else if (r.confronto == Richiesta::SenzaDispositivo)
            testo = QString::fromLatin1(frame.left(8).toHex(' ')) + QLatin1Char(' ')
                + QString::fromUtf8(frame.mid(8)).split(QLatin1Char('\n')).filter(QRegularExpression(QStringLiteral("^(?!device=)"))).join(QLatin1Char('|'));
        else
            testo = QString::fromLatin1(frame.toHex(' '));
        esiti << QString::fromLatin1(r.nome) + QStringLiteral(": ") + testo;
    }
    esiti << QStringLiteral("running after close: %1").arg(ctx.link.ProcessoAttivo());
    return esiti;
}
} // namespace

class TstPrjComInterno : public QObject
{
    Q_OBJECT
private slots:
    void sameFramesAsPrjCom()
    {
        QStringList reali;
        {
            BancoEcu b;
            QVERIFY(b.AvviaEcu({}, true) && b.Avvia());
            reali = Risposte(b);
            QVERIFY(QTest::qWaitFor([&] { return !b.ctx->link.ProcessoAttivo(); }, 2000));
            reali.last() = QStringLiteral("running after close: 0");
        }
        BancoVirtuale v;
        QVERIFY(v.Avvia());
        const QStringList interni = Risposte(v);
        QCOMPARE(interni.join(QLatin1Char('\n')), reali.join(QLatin1Char('\n')));
    }
    // Silent or garbling ECU time as PrjCom spends it: mode, command 8's wait (0 = 200 ms), milliseconds.
    void repliesTakePrjComsTime()
    {
        const QStringList muta{QStringLiteral("--drop-every"), QStringLiteral("1")};
        const QStringList guasta{QStringLiteral("--corrupt-every"), QStringLiteral("1")};
        const struct { const char *nome; QStringList opzioni; int modo, attesaMs; double ms; } casi[] = {
            {"answer", {}, 0, 0, 0.0}, {"silent", muta, 0, 0, 200.0}, {"silent, long wait", muta, 0, 1000, 1000.0},
            {"silent, quiet polling", muta, 1, 1000, 200.0}, {"silent, writing", muta, 2, 0, 600.0},
            {"silent, writing, wait 700", muta, 2, 700, 1400.0}, {"silent, writing, long wait", muta, 2, 1000, 1000.0},
            {"garbled", guasta, 0, 0, 50.0}, {"garbled, writing", guasta, 2, 0, 150.0}};
        for (const auto &c : casi) {
            BancoVirtuale v(c.opzioni);
            v.prjcom->Viaggio_us = 0;
            Contesto &ctx = *v.ctx;
            QVERIFY(v.Avvia());
            ctx.stato.StatoProgramma = StatoApp::Ricerca;
            // The probe of command 3 is no message: the faults count it too.
            const auto invia = [&ctx](quint8 comando, const QByteArray &dati) {
                return ctx.link.InviaComando(comando, dati, ctx.impLink.AttesaPipe_usec);
            };
            invia(3, QByteArray(1, '\0'));
            QVERIFY(invia(8, Transazioni::DatiAttesa(c.attesaMs)) == 0 && invia(4, QByteArray(1, char(c.modo))) == 0);
            const double inizio = v.orologio.Ora_us();
            QCOMPARE(invia(6, MessaggioEcu::Componi(14)), 0);
            QCOMPARE(c.nome + QStringLiteral(": %1 ms").arg((v.orologio.Ora_us() - inizio) / 1000),
                     c.nome + QStringLiteral(": %1 ms").arg(c.ms));
        }
    }
};

GASCAL_PROVA(TstPrjComInterno)
#include "tst_prjcom_interno.moc"
