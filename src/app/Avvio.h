#pragma once

#include <QString>

namespace gascal {

class Contesto;

// The start-up sequence: settings and paths, dictionary, scale configuration,
// message table, the communication process and its first command. Returns
// false when the program must end (no dictionary, or no firmware to expect).
// The caller then opens the main window.
class Avvio
{
public:
    // The settings folder follows the program folder's rule (CartellaUtente).
    static bool Esegui(Contesto &ctx, const QString &cartellaProgramma);
    // The same with the settings in the given folder (gascal-cli --dir).
    static bool Esegui(Contesto &ctx, const QString &cartellaProgramma,
                       const QString &cartellaImpostazioni);
    // The same without the communication process: for work on files alone
    // (gascal-cli diff-map of two files, config list), where no ECU is asked.
    static bool EseguiSenzaLink(Contesto &ctx, const QString &cartellaProgramma,
                                const QString &cartellaImpostazioni);

    // The identity the program expects, from the first firmware probe
    // message: without its last byte and its first 5 bytes. Empty when the
    // message is shorter than 6 bytes.
    static QByteArray FirmwareDaSonda(const QByteArray &sonda);
    static QString MessaggioSenzaFirmware();
};

} // namespace gascal
