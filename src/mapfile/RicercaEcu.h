#pragma once

#include "link/RapportoPorta.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace gascal {

class Contesto;

// Finding the ECU: over the fixed port of PortCom.ini or all ports, with
// every firmware probe, until it answers and all its records are read, the
// user stops the search (LavoroOffline) or the program must close.
class RicercaEcu
{
public:
    explicit RicercaEcu(Contesto &ctx) : m_ctx(ctx) {}

    void CercaCentralina();
    // The search with a way out after `millisecondi`, taken as the wait
    // window's stop button does; for callers without a window (the
    // command-line tool). It starts from a link to be made, and returns true
    // when the time ran out.
    bool CercaEntro(int millisecondi);
    // Compares the expected identity with the ECU's and reacts: an ECU
    // without firmware asks for an update (the update button blinks), a newer
    // one closes the program.
    void VerificaFirmware(const QByteArray &atteso, const QByteArray &trovato);

    // The text shown for an ECU that has only its boot loader.
    static QString TestoNonProgrammata();
    // The port fixed by the first line of PortCom.ini, when the file is there
    // and the line is a port number.
    static std::optional<int> PortaFissa(const QString &percorso);

private:
    // Asks the communication process about the port just tried and keeps the
    // report in the search's diagnosis; `esito` overrides what the status
    // byte says (an echoed probe, reads that failed after a good probe).
    void RegistraTentativo(std::optional<RapportoPorta::Esito> esito = std::nullopt);

    Contesto &m_ctx;
};

} // namespace gascal
