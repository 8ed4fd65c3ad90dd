#include "mapfile/Mappa.h"

#include "app/Contesto.h"
#include "app/ServiziUi.h"
#include "ecu/CorniceModo.h"
#include "ecu/SequenzeBlocchi.h"
#include "link/MessaggioEcu.h"
#include "mapfile/FileMappa.h"

#include <QDate>
#include <QFile>
#include <QLocale>
#include <QSaveFile>

namespace gascal {

using namespace MessaggioEcu;

namespace {

// Data of the calibration map read: map 0, first point 0, access key.
const QByteArray DatiLetturaMappa("\x00\x00\x6E", 3);

// Byte 14 (1-based) of the configuration block: the pedestal guard, saved on.
constexpr int BytePiedistallo = 13;
constexpr int LunghezzaConPiedistallo = 27;

} // namespace

bool Mappa::SalvaMappa(const QString &percorso)
{
    Transazioni &tx = m_ctx.tx;
    if (m_ctx.TabMsg.size() <= Contesto::RecProduzione)
        return false;

    FileMappa::Contenuto c;
    auto leggiRecord = [&](int n, QByteArray &blocco) {
        if (tx.Richiedi(m_ctx.TabMsg.at(n)) != 0)
            return false;
        blocco = tx.RispDati();
        return true;
    };
    auto leggiServizio = [&](quint8 servizio, const QByteArray &dati, QByteArray &blocco) {
        if (tx.LeggiServizio(servizio, dati) != 0)
            return false;
        blocco = tx.RispDati();
        return true;
    };

    // The mode is put back once the switch was sent, whatever happened after;
    // a mode that cannot be put back fails the save.
    CorniceModo cornice(m_ctx);
    bool ok = cornice.Ok();
    ok = ok && leggiServizio(ServLeggiFirmware, {}, c.Firmware)
        && leggiRecord(Contesto::RecLive, c.Blk1) && leggiRecord(Contesto::RecComandi, c.Blk2)
        && leggiRecord(Contesto::RecConfig, c.Blk3) && leggiRecord(Contesto::RecProduzione, c.Coll)
        && leggiServizio(ServLeggiMappa, DatiLetturaMappa, c.Map0)
        && leggiServizio(ServLeggiBlk5, {}, c.Blk5);
    ok = cornice.Ripristina() && ok;
    if (!ok)
        return false;

    if (c.Blk3.size() > LunghezzaConPiedistallo)
        c.Blk3[BytePiedistallo] = 1;
    const QString info = m_ctx.diz.Testo(0) + QStringLiteral(" - ") + Impostazioni::Versione()
        + QStringLiteral(" , file created ")
        + QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    c.Info = info.toLocal8Bit();

    // Written aside and renamed: an old file of that name stays whole until
    // the new one is complete.
    QSaveFile file(percorso);
    if (!file.open(QIODevice::WriteOnly) || file.write(FileMappa::Componi(c)) < 0
        || !file.commit()) {
        m_ctx.ui.Messaggio(QStringLiteral("The map file %1 cannot be written: %2")
                               .arg(percorso, file.errorString()),
                           m_ctx.Titolo(), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Critica);
        return false;
    }
    return true;
}

QString Mappa::ControllaFile(const QString &percorso)
{
    FileMappa::BlocchiCaricati blocchi;
    return LeggiFile(percorso, blocchi);
}

QString Mappa::LeggiFile(const QString &percorso, FileMappa::BlocchiCaricati &blocchi)
{
    QFile file(percorso);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("The map file %1 cannot be read: %2").arg(percorso, file.errorString());
    const QString motivo = FileMappa::Leggi(file.readAll(), blocchi);
    if (motivo.isEmpty())
        return {};
    return QStringLiteral("The map file %1 cannot be loaded: %2.").arg(percorso, motivo);
}

bool Mappa::CaricaMappa(const QString &percorso)
{
    // The file is checked before anything is sent to the ECU.
    FileMappa::BlocchiCaricati blocchi;
    const QString motivo = LeggiFile(percorso, blocchi);
    if (!motivo.isEmpty()) {
        m_ctx.ui.Messaggio(motivo, m_ctx.Titolo(), ServiziUi::Pulsanti::Ok,
                           ServiziUi::Icona::Critica);
        return false;
    }

    SequenzeBlocchi sequenze(m_ctx);
    const bool commutato = m_ctx.Valore(Contesto::RecComandi, 1) != 0;
    if (commutato && !sequenze.CommutaStato())
        return false;

    QByteArray blk2 = FileMappa::DatiBlocco(blocchi.Blk2);
    for (int i = 0; i < 2 && i < blk2.size(); ++i)
        blk2[i] = 0;

    Transazioni &tx = m_ctx.tx;
    CorniceModo cornice(m_ctx);
    bool ok = cornice.Ok();
    ok = ok && tx.ScriviServizio(ServScriviBlk2, blk2) == 0
        && tx.ScriviServizio(ServScriviBlk3, FileMappa::DatiBlocco(blocchi.Blk3)) == 0
        && tx.ScriviServizio(ServScriviBlk5, FileMappa::DatiBlocco(blocchi.Blk5)) == 0
        && tx.ScriviServizio(ServScriviMappa, FileMappa::DatiBlocco(blocchi.Map0)) == 0
        && tx.AttesaEcu(true) == 0 && tx.Scambia(Componi(ServMemorizza)) == 0
        && tx.AttesaEcu(false) == 0;
    ok = cornice.Ripristina() && ok;

    // Back to the fuel in use before the load; its outcome is not the load's.
    if (commutato && ok)
        sequenze.CommutaStato();
    return ok;
}

} // namespace gascal
