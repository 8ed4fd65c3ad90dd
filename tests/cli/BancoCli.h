#pragma once

#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A program folder of its own (PrjCom, SetCom.ini, PrjCom.ini mapping port 0
// to the virtual ECU's line, PortCom.ini fixing port 0), the virtual ECU
// running on that line, and the program's state started on the folder.
class BancoCli
{
public:
    BancoCli();
    ~BancoCli();

    // Starts the virtual ECU with these options; false when it did not become ready.
    bool AvviaEcu(const QStringList &opzioni = {});
    void FermaEcu();
    // Start-up on the folder (PrjCom is started here).
    bool Avvia();
    // The ECU search as the main window runs it, stopped after `ms` at the
    // latest; true when it connected.
    bool Cerca(int ms = 10000);

    QString Cartella() const { return m_cartella.path(); }
    QString Percorso(const QString &nome) const { return m_cartella.filePath(nome); }
    QString Linea() const { return Percorso(QStringLiteral("ttyECU")); }
    void ScriviFile(const QString &nome, const QByteArray &contenuto);
    QByteArray LeggiFile(const QString &nome) const;

    // A file of the build's program folder (ecusim, PrjCom, gascal-cli...).
    static QString Bin(const QString &nome);

    gascal::ServiziUiScriptati ui;
    std::unique_ptr<gascal::Contesto> ctx;

private:
    QTemporaryDir m_cartella;
    QProcess m_ecu;
};
