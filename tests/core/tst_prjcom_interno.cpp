// The in-process PrjCom spends the time on the line that the real one does.
#include "RegistroProve.h"
#include "BancoVirtuale.h"
#include "link/MessaggioEcu.h"
#include "link/Transazioni.h"
#include <QTest>

using namespace gascal;

class TstPrjComInterno : public QObject
{
    Q_OBJECT
private slots:
    // Silent or garbling ECU time as PrjCom spends it: mode, command 8's wait (0 = 200 ms, and so after a reset), milliseconds.
    void repliesTakePrjComsTime()
    {
        const QStringList muta{QStringLiteral("--drop-every"), QStringLiteral("1")};
        const QStringList guasta{QStringLiteral("--corrupt-every"), QStringLiteral("1")};
        const struct { const char *nome; QStringList opzioni; int modo, attesaMs; double ms; bool azzera = false; } casi[] = {
            {"answer", {}, 0, 0, 0.0}, {"silent", muta, 0, 0, 200.0}, {"silent, long wait", muta, 0, 1000, 1000.0},
            {"silent, quiet polling", muta, 1, 1000, 200.0}, {"silent, writing", muta, 2, 0, 600.0},
            {"silent, writing, wait 700", muta, 2, 700, 1400.0}, {"silent, writing, long wait", muta, 2, 1000, 1000.0},
            {"silent, long wait, then a reset", muta, 0, 1000, 200.0, true},
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
            if (c.azzera)
                invia(2, QByteArray(1, '\0')), invia(3, QByteArray(1, '\0'));
            const double inizio = v.orologio.Ora_us();
            QCOMPARE(invia(6, MessaggioEcu::Componi(14)), 0);
            QCOMPARE(c.nome + QStringLiteral(": %1 ms").arg((v.orologio.Ora_us() - inizio) / 1000),
                     c.nome + QStringLiteral(": %1 ms").arg(c.ms));
        }
    }
};

GASCAL_PROVA(TstPrjComInterno)
#include "tst_prjcom_interno.moc"
