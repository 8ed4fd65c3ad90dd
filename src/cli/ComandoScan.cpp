#include "Comandi.h"
#include "Console.h"
#include "SessioneCli.h"
#include "StatoEcu.h"
#include "link/MessaggioEcu.h"
#include "mapfile/Identita.h"
#include "mapfile/RicercaEcu.h"

#include <QStringList>

namespace gascal::cli {

namespace {

// The ports the search tries: the fixed one of PortCom.ini, port 0 alone with
// "solo usb", or all of them.
QList<int> PortePreviste(const Contesto &ctx, QString &nota)
{
    if (const std::optional<int> porta = RicercaEcu::PortaFissa(ctx.imp.FilePortCom)) {
        nota = QStringLiteral("fixed by PortCom.ini");
        return {*porta};
    }
    if (ctx.impLink.SoloUsb) {
        nota = QStringLiteral("USB only (SetCom.ini)");
        return {0};
    }
    QList<int> porte;
    for (int p = 0; p <= ctx.imp.LimitePorte; ++p)
        porte << p;
    nota = QStringLiteral("all ports");
    return porte;
}

} // namespace

int ComandoScan(SessioneCli &s)
{
    Contesto &ctx = s.ctx;
    const qint64 attesa = ctx.impLink.AttesaPipe_usec;
    ctx.stato.StatoProgramma = StatoApp::Ricerca;
    ctx.link.InviaComando(2, QByteArray(1, '\0'), attesa);

    QString nota;
    const QList<int> porte = PortePreviste(ctx, nota);
    Stampa(QStringLiteral("ports tried: %1").arg(nota));
    QList<int> trovate;
    for (int porta : porte) {
        QStringList esiti;
        QString dove = QStringLiteral("port %1").arg(porta);
        for (qsizetype k = 0; k < ctx.impLink.ListaFirmware.size(); ++k) {
            const QByteArray sonda = ctx.impLink.ListaFirmware.at(k);
            const QString versione = Identita::FormatVersione(MessaggioEcu::DatiRisposta(sonda));
            ctx.link.InviaComando(10, sonda, attesa);
            QByteArray grezza;
            const int s3 = ctx.link.InviaComando(3, QByteArray(1, static_cast<char>(porta)), attesa,
                                                 &grezza);
            const qint32 statoEcu = ctx.link.RispByte4();
            QString esito;
            if (s3 != 0)
                esito = QStringLiteral("no valid reply from PrjCom (status %1)").arg(s3);
            else if (grezza.endsWith(ctx.imp.MsgProva))
                esito = QStringLiteral("an ECU without firmware (boot loader only) answered");
            else
                esito = TestoStatoEcu(statoEcu);
            if (s3 == 0 && statoEcu == 1 && !trovate.contains(porta))
                trovate << porta;
            // The device tried, and for a port that could not be used, why.
            if (s3 == 0) {
                if (const std::optional<RapportoPorta> r = ctx.tx.RapportoUltimaPorta()) {
                    dove = r->Dove();
                    if (r->esito <= RapportoPorta::Esito::Occupata)
                        esito = r->Causa();
                }
            }
            esito = QStringLiteral("%1 (probe of firmware %2)").arg(esito, versione);
            if (!esiti.contains(esito))
                esiti << esito;
        }
        Stampa(QStringLiteral("%1: %2").arg(dove, esiti.join(QStringLiteral("; "))));
    }
    ctx.link.InviaComando(2, QByteArray(1, '\0'), attesa);

    if (trovate.isEmpty()) {
        Errore(QStringLiteral("no ECU answered on any port"));
        return 1;
    }
    QStringList testo;
    for (int p : trovate)
        testo << QString::number(p);
    Stampa(QStringLiteral("ECU found on port %1").arg(testo.join(QStringLiteral(", "))));
    return 0;
}

} // namespace gascal::cli
