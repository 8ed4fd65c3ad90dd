#pragma once
#include "FileProva.h"
#include "app/Avvio.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "ecu/Blocco.h"
#include "link/CaricaSetCom.h"
#include "mapfile/RicercaEcu.h"
#include <QTemporaryDir>
#include <memory>

// Both benches: a program folder with the build's settings (port 0 = ttyECU), its state, the ECU's values.
class BancoCartella
{
public:
    virtual ~BancoCartella() = default;

    // Runs the start-up sequence on the folder; false when it ended the program.
    bool Avvia() { return gascal::Avvio::Esegui(*ctx, Cartella()); }
    // The frame's ECU search, stopped after `ms` as the stop button does; true when connected.
    bool Cerca(int ms = 10000)
    {
        gascal::RicercaEcu(*ctx).CercaEntro(ms);
        return ctx->stato.StatoProgramma == gascal::StatoApp::Connesso;
    }
    QString Cartella() const { return m_cartella.path(); }
    QString Percorso(const QString &nome) const { return m_cartella.filePath(nome); }
    void ScriviFile(const QString &nome, const QByteArray &contenuto) { Scrivi(Percorso(nome), contenuto); }
    QByteArray LeggiFile(const QString &nome) const { return Leggi(Percorso(nome)); }

    // Value k of record n as the ECU holds it now (-1 when there is none).
    qint32 ValoreEcu(int n, int k)
    {
        if (m_tabella.size() <= 1) {
            gascal::ImpostazioniLink link;
            gascal::ServiziUiScriptati silenzioso;
            gascal::CaricaSetCom(Percorso(QStringLiteral("SetCom.ini")), m_tabella, link, silenzioso);
        }
        if (n < 0 || n >= m_tabella.size())
            return -1;
        // The block as the ECU answers it: 41 02 LEN 00 01, the data, the checksum.
        QByteArray risposta = QByteArray::fromHex("4102000001") + DatiBlocco(n) + QByteArray(1, '\0');
        risposta[2] = char(risposta.size());
        gascal::MsgRecord r = m_tabella.at(n);
        r.Valori.fill(-1);
        gascal::Blocco::DecodificaBlocco(risposta, r);
        return r.Valori.value(k, -1);
    }

protected:
    // The build's settings and definition files, and PrjCom when the bench starts it.
    explicit BancoCartella(bool conPrjCom)
    {
        for (const char *nome : {"PrjCom", "SetCom.ini", "map.ini", "def.xar", "def_cng.xar"})
            if (conPrjCom || qstrcmp(nome, "PrjCom") != 0)
                QFile::copy(QStringLiteral(GASCAL_BIN "/") + QLatin1String(nome), Percorso(QLatin1String(nome)));
        Scrivi(Percorso(QStringLiteral("PrjCom.ini")), "0=ttyECU\r\n");
        Scrivi(Percorso(QStringLiteral("PortCom.ini")), "0\r\n");
    }
    // The data bytes of block n as the ECU holds them now.
    virtual QByteArray DatiBlocco(int n) = 0;

private:
    QTemporaryDir m_cartella;
    gascal::TabellaMessaggi m_tabella;

public:
    gascal::ServiziUiScriptati ui;
    std::unique_ptr<gascal::Contesto> ctx;
};
