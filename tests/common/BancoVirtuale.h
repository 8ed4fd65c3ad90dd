#pragma once

#include "EcuInterna.h"
#include "OrologioPasso.h"
#include "PrjComInterno.h"

#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"

#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// A test bench whose time is the test's own: a program folder with the
// settings files, the program's state for it with its link on PrjCom and the
// virtual ECU in this very process, and a stepped clock that is the
// process's clock while the bench lives. Whatever the program waits for (a
// reply, a settling engine, ten minutes of road) takes as long as the work
// in it, not as long as the wait.
class BancoVirtuale
{
public:
    // `opzioniEcu`: ecusim's options for the ECU (see EcuInterna).
    explicit BancoVirtuale(const QStringList &opzioniEcu = {});
    ~BancoVirtuale();

    // Runs the start-up sequence on the folder; false when it ended the program.
    bool Avvia();
    // The ECU search as the frame runs it; true when it connected.
    bool Cerca();
    // Start-up and search; true when connected.
    bool Collega() { return Avvia() && Cerca(); }

    // Puts another program state's link (the command-line tool's session)
    // on a PrjCom of its own in this process, with this bench's ECU.
    PrjComInterno &Aggancia(gascal::Contesto &altro);

    // A line of the ECU's control channel, and its answer.
    QString Controllo(const QString &comando) { return ecu.Comando(comando); }
    // Value k of record n as the ECU holds it now, laid out as SetCom.ini says.
    qint32 ValoreEcu(int n, int k);

    // Lets the stepped time run until `pronta` holds or `ms` have passed;
    // true when it held.
    bool AttendiFino(const std::function<bool()> &pronta, double ms);
    // Lets `ms` of stepped time pass.
    void Passa(double ms) { orologio.Avanza(ms * 1000.0); }
    // Runs `azione` once `ms` of stepped time from now have passed.
    void Tra(double ms, std::function<void()> azione) { orologio.Tra(ms * 1000.0, std::move(azione)); }

    QString Cartella() const { return m_cartella.path(); }
    QString Percorso(const QString &nome) const { return m_cartella.filePath(nome); }
    void ScriviFile(const QString &nome, const QByteArray &contenuto);
    QByteArray LeggiFile(const QString &nome) const;

private:
    QTemporaryDir m_cartella;

public:
    OrologioPasso orologio;
    EcuInterna ecu;
    gascal::ServiziUiScriptati ui;
    std::unique_ptr<gascal::Contesto> ctx;
    // The link's peer (the link owns it).
    PrjComInterno *prjcom = nullptr;

private:
    gascal::TabellaMessaggi m_tabella;   // SetCom.ini's layout, for ValoreEcu
};
