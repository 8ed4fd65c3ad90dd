#include "link/RapportoPorta.h"

#include "app/GruppiUtente.h"

#include <QList>

namespace gascal {

namespace {
// ECU status bytes of the communication process (docs/protocol.md).
enum : int { NonRisponde = 0, Riuscito = 1, Malformata = 2, Rifiutata = 3, PortaMancante = 4,
             PortaSenzaPermesso = 5, PortaNonApribile = 6 };
} // namespace

RapportoPorta::Esito RapportoPorta::DaStatoEcu(int stato)
{
    switch (stato) {
    case PortaMancante: return Esito::Mancante;
    case PortaSenzaPermesso: return Esito::SenzaPermesso;
    case PortaNonApribile: return Esito::Occupata;
    case Malformata:
    case Rifiutata: return Esito::RisposteConfuse;
    case Riuscito: return Esito::LettureFallite;
    default: return Esito::NessunaRisposta;
    }
}

std::optional<RapportoPorta> RapportoPorta::Decodifica(const QByteArray &testo)
{
    RapportoPorta r;
    bool conPorta = false;
    bool conStato = false;
    for (const QByteArray &riga : testo.split('\n')) {
        const qsizetype uguale = riga.indexOf('=');
        if (uguale <= 0)
            continue;
        const QByteArray chiave = riga.left(uguale).trimmed();
        const QString valore = QString::fromUtf8(riga.mid(uguale + 1)).trimmed();
        if (chiave == "port")
            r.porta = valore.toInt(&conPorta);
        else if (chiave == "status")
            r.statoEcu = valore.toInt(&conStato);
        else if (chiave == "device")
            r.dispositivo = valore;
        else if (chiave == "adapter")
            r.adattatore = valore == QLatin1String("1");
        else if (chiave == "owner")
            r.proprietario = valore;
        else if (chiave == "mode")
            r.modo = valore;
        else if (chiave == "holder")
            r.occupante = valore;
    }
    // A report before any connection attempt names port -1.
    if (!conPorta || !conStato || r.porta < 0)
        return std::nullopt;
    r.esito = DaStatoEcu(r.statoEcu);
    return r;
}

QString RapportoPorta::Causa() const
{
    switch (esito) {
    case Esito::Mancante:
        if (dispositivo.isEmpty())
            return porta == 0 ? QStringLiteral("missing, no USB serial adapter is plugged in")
                              : QStringLiteral("missing, no device has this port number");
        return QStringLiteral("missing, the device does not exist");
    case Esito::SenzaPermesso: {
        // The group that opens the device when its mode lets the group read
        // and write; an adapter's without owner and mode is dialout's.
        bool ottale = false;
        const int bit = modo.toInt(&ottale, 8);
        QString gruppo = proprietario.section(QLatin1Char(':'), 1);
        if (gruppo.isEmpty() && adattatore)
            gruppo = QStringLiteral("dialout");
        const bool gruppoApre = modo.isEmpty() || (ottale && (bit & 060) == 060);
        if (!gruppo.isEmpty() && gruppo != QLatin1String("root") && gruppoApre) {
            const QString rimedio = GruppiUtente::Rimedio(gruppo, GruppiUtente::NomeUtente(),
                                                          GruppiUtente::Di(gruppo));
            if (!rimedio.isEmpty())
                return QStringLiteral("no permission: ") + rimedio;
        }
        if (!proprietario.isEmpty())
            return QStringLiteral("no permission (owner %1, mode %2)").arg(proprietario, modo);
        return QStringLiteral("no permission");
    }
    case Esito::Occupata:
        if (!occupante.isEmpty())
            return QStringLiteral("busy, held by process %1").arg(occupante);
        return QStringLiteral("busy or cannot be opened (another program may hold it)");
    case Esito::NessunaRisposta:
        return QStringLiteral("no answer from the ECU (is it powered and plugged in?)");
    case Esito::RisposteConfuse:
        return QStringLiteral("garbled answers (bad length or checksum): check the cable");
    case Esito::LettureFallite:
        return QStringLiteral("the ECU answers the probe but not every read");
    case Esito::SenzaFirmware:
        return QStringLiteral("an ECU without firmware (boot loader only)");
    }
    return {};
}

QString RapportoPorta::Dove() const
{
    return dispositivo.isEmpty() ? QStringLiteral("port %1").arg(porta)
                                 : QStringLiteral("port %1 (%2)").arg(porta).arg(dispositivo);
}

QString RapportoPorta::Testo() const
{
    return Dove() + QStringLiteral(": ") + Causa() + QLatin1Char('.');
}

} // namespace gascal
