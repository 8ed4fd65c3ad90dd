#pragma once

#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A test bench: a program folder of its own with PrjCom and the settings
// files, the virtual ECU on a pseudo-terminal linked into that folder as
// port 0, and the program's state started on that folder.
class BancoEcu
{
public:
    // `binari` is the build's program folder (ecusim, PrjCom, SetCom.ini...).
    explicit BancoEcu(const QString &binari);
    ~BancoEcu();

    // Starts (or restarts) the virtual ECU with these options, with its
    // control channel when asked; false when it did not become ready.
    bool AvviaEcu(const QStringList &opzioni = {}, bool controllo = false);
    void FermaEcu();
    // Runs the start-up sequence on the folder; false when it ended the program.
    bool Avvia();
    // Sends a line on the ECU's control channel and returns its answer line.
    QString Controllo(const QString &comando);

    QString Cartella() const { return m_cartella.path(); }
    QString Link() const { return m_cartella.filePath(QStringLiteral("ttyECU")); }
    QString Binari() const { return m_binari; }
    void ScriviFile(const QString &nome, const QByteArray &contenuto);

    gascal::ServiziUiScriptati ui;
    std::unique_ptr<gascal::Contesto> ctx;

private:
    QString m_binari;
    QTemporaryDir m_cartella;
    QProcess m_ecu;
};
