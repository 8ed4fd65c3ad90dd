#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace gascal {

// What the communication process says about the port of its last connection
// attempt (command 12): the device behind the port number and, when it could
// not be used, why. The program only reads it; the system facts (owner, mode,
// the process that holds a busy device) come from the communication process.
struct RapportoPorta
{
    // How far an attempt got, from the farthest to the closest to an ECU.
    enum class Esito {
        Mancante = 0,        // no device behind the port number
        SenzaPermesso,
        Occupata,            // the device exists but cannot be opened
        NessunaRisposta,
        RisposteConfuse,     // answers with a bad length or checksum
        LettureFallite,      // answered the probe, not every record read
        SenzaFirmware,       // only the boot loader answered (the probe echoed)
    };

    int porta = -1;
    int statoEcu = 0;          // the ECU status byte of the attempt
    QString dispositivo;
    bool adattatore = false;   // a USB serial adapter
    QString proprietario;      // "user:group"
    QString modo;              // octal permission bits
    QString occupante;         // "PID NAME"
    Esito esito = Esito::NessunaRisposta;

    // Reads command 12's "key=value" lines; nothing when the text holds no port.
    static std::optional<RapportoPorta> Decodifica(const QByteArray &testo);
    // The esito that an ECU status byte of command 3 stands for.
    static Esito DaStatoEcu(int stato);

    // One line for the user: the device (or the port) and what happened, with
    // the fix when there is one.
    QString Testo() const;
    // The parts of that line: "port N (DEVICE)" and what happened.
    QString Dove() const;
    QString Causa() const;
};

} // namespace gascal
