#pragma once

#include "BancoCartella.h"

#include <QProcess>
#include <QStringList>

#include <functional>

// How a run of gascal-cli ended: its exit status (-1 when it crashed or did
// not end within a minute) and what it printed.
struct EsitoCli {
    int codice = -1;
    QString out;
    QString err;
};

// A test bench: the program folder with PrjCom, and the virtual ECU (ecusim)
// on a pseudo-terminal linked into that folder as port 0.
class BancoEcu : public BancoCartella
{
public:
    BancoEcu() : BancoCartella(true) { ctx = std::make_unique<gascal::Contesto>(ui); }
    ~BancoEcu() override;

    // Starts (or restarts) the virtual ECU with these options, with its
    // control channel when asked; false when it did not become ready. The
    // event loop keeps running meanwhile.
    bool AvviaEcu(const QStringList &opzioni = {}, bool controllo = false);
    void FermaEcu();
    // What ecusim said on its error output when it did not start.
    QString ErroriEcu() { return QString::fromLocal8Bit(m_ecu.readAllStandardError()); }
    // Sends a line on the ECU's control channel and returns its answer line.
    QString Controllo(const QString &comando);

    QString Link() const { return Percorso(QStringLiteral("ttyECU")); }
    // A map file's text with byte `pos` (1-based, over the whole block line)
    // of a section's block set to `valore`, and the block's checksum made good.
    static QByteArray CambiaByte(const QByteArray &mappa, const char *sezione, int pos, quint8 valore);
    // Runs gascal-cli on this folder with these arguments, the process
    // prepared before it starts when asked (its environment, a limit set in the child).
    EsitoCli Cli(const QStringList &argomenti, const std::function<void(QProcess &)> &prepara = {}) const;

    // A file of the build's program folder (ecusim, PrjCom, gascal-cli...).
    static QString Bin(const QString &nome) { return QStringLiteral(GASCAL_BIN "/") + nome; }

protected:
    QByteArray DatiBlocco(int n) override
    {
        return QByteArray::fromHex(Controllo(QStringLiteral("block %1").arg(n)).toLatin1());
    }

private:
    QProcess m_ecu;
};
