#pragma once
#include "BancoCartella.h"
#include <QProcess>
#include <QStringList>
#include <functional>

// A gascal-cli run: exit status (-1 crashed or over a minute) and output.
struct EsitoCli {
    int codice = -1;
    QString out;
    QString err;
};

// The program folder with PrjCom, and ecusim on a pseudo-terminal linked in as port 0.
class BancoEcu : public BancoCartella
{
public:
    BancoEcu() : BancoCartella(true) { ctx = std::make_unique<gascal::Contesto>(ui); }
    ~BancoEcu() override;

    // (Re)starts ecusim, with its control channel when asked; false when not ready. Events keep flowing.
    bool AvviaEcu(const QStringList &opzioni = {}, bool controllo = false);
    void FermaEcu();
    // What ecusim said on its error output when it did not start.
    QString ErroriEcu() { return QString::fromLocal8Bit(m_ecu.readAllStandardError()); }
    // Sends a line on the ECU's control channel and returns its answer line.
    QString Controllo(const QString &comando);

    QString Link() const { return Percorso(QStringLiteral("ttyECU")); }
    // A map text with byte `pos` (1-based) of a section's block set to `valore`, checksum made good.
    static QByteArray CambiaByte(const QByteArray &mappa, const char *sezione, int pos, quint8 valore);
    // Runs gascal-cli on this folder, `prepara` setting up the process first.
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
