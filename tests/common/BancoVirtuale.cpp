#include "BancoVirtuale.h"
#include "FileProva.h"

#include "app/Avvio.h"
#include "ecu/Blocco.h"
#include "link/CaricaSetCom.h"
#include "mapfile/RicercaEcu.h"

#include <QFile>

BancoVirtuale::BancoVirtuale(const QStringList &opzioniEcu) : ecu(orologio, opzioniEcu)
{
    orologio.Installa();
    if (!ecu.Errore().isEmpty())
        qWarning("ecusim options: %s", qPrintable(ecu.Errore()));
    PreparaCartellaProgramma(QStringLiteral(GASCAL_BIN), Cartella(), false);
    ctx = std::make_unique<gascal::Contesto>(ui);
    prjcom = &Aggancia(*ctx);
}

PrjComInterno &BancoVirtuale::Aggancia(gascal::Contesto &altro)
{
    auto peer = std::make_unique<PrjComInterno>(orologio, ecu);
    peer->Dispositivo = Percorso(QStringLiteral("ttyECU"));
    PrjComInterno &p = *peer;
    altro.link.UsaTrasporto(std::move(peer));
    return p;
}

BancoVirtuale::~BancoVirtuale()
{
    ctx.reset();
}

bool BancoVirtuale::Avvia()
{
    return gascal::Avvio::Esegui(*ctx, Cartella());
}

bool BancoVirtuale::Cerca()
{
    gascal::RicercaEcu(*ctx).CercaEntro(10000);
    return ctx->stato.StatoProgramma == gascal::StatoApp::Connesso;
}

qint32 BancoVirtuale::ValoreEcu(int n, int k)
{
    if (m_tabella.size() <= 1) {
        gascal::ImpostazioniLink link;
        gascal::ServiziUiScriptati silenzioso;
        gascal::CaricaSetCom(Percorso(QStringLiteral("SetCom.ini")), m_tabella, link, silenzioso);
    }
    if (n < 0 || n >= m_tabella.size() || n >= MemoryBlocks::BlockCount)
        return -1;
    // The block as the ECU would answer it: 41 02 LEN 00 01, the data, the checksum.
    const QByteArray dati = ecu.Memoria().data(static_cast<MemoryBlocks::Block>(n));
    QByteArray risposta = QByteArray::fromHex("4102000001") + dati + QByteArray(1, '\0');
    risposta[2] = char(risposta.size());
    gascal::MsgRecord r = m_tabella.at(n);
    gascal::Blocco::DecodificaBlocco(risposta, r);
    return r.Valori.value(k, -1);
}

bool BancoVirtuale::AttendiFino(const std::function<bool()> &pronta, double ms)
{
    return orologio.Attendi(orologio.Ora_us() + ms * 1000.0, pronta);
}

void BancoVirtuale::ScriviFile(const QString &nome, const QByteArray &contenuto)
{
    Scrivi(Percorso(nome), contenuto);
}

QByteArray BancoVirtuale::LeggiFile(const QString &nome) const
{
    return Leggi(Percorso(nome));
}
