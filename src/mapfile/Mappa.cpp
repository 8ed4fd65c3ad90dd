#include "mapfile/Mappa.h"

#include "app/Contesto.h"
#include "app/LetturaLimitata.h"
#include "app/ServiziUi.h"
#include "ecu/CorniceModo.h"
#include "link/MessaggioEcu.h"
#include "mapfile/CaricamentoMappa.h"
#include "mapfile/FileMappa.h"
#include "i18n/TraduttoreDizionario.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

bool Mappa::LeggiEcu(FileMappa::Contenuto &c)
{
    Transazioni &tx = m_ctx.tx;
    if (m_ctx.TabMsg.size() <= Contesto::RecProduzione)
        return false;
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
    // a mode that cannot be put back fails the reading.
    CorniceModo cornice(m_ctx);
    bool ok = cornice.Ok();
    ok = ok && leggiServizio(ServLeggiFirmware, {}, c.Firmware)
        && leggiRecord(Contesto::RecLive, c.Blk1) && leggiRecord(Contesto::RecComandi, c.Blk2)
        && leggiRecord(Contesto::RecConfig, c.Blk3) && leggiRecord(Contesto::RecProduzione, c.Coll)
        && leggiServizio(ServLeggiMappa, DatiLetturaMappa, c.Map0)
        && leggiServizio(ServLeggiBlk5, {}, c.Blk5);
    return cornice.Ripristina() && ok;
}

QByteArray Mappa::TestoFile(FileMappa::Contenuto c) const
{
    if (c.Blk3.size() > LunghezzaConPiedistallo)
        c.Blk3[BytePiedistallo] = 1;
    const QString info = m_ctx.diz.Testo(0) + QStringLiteral(" - ") + Impostazioni::Versione()
        + QStringLiteral(" , file created ")
        + QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    c.Info = info.toLocal8Bit();
    return FileMappa::Componi(c);
}

QString Mappa::ScriviFile(const QString &percorso, const QByteArray &testo)
{
    // Written aside and renamed: an old file of that name stays whole until
    // the new one is complete. Unbuffered, so that a write that fails (a full
    // disk, a size limit) is seen here with the system's reason, and never
    // renamed over the old file; a buffered one would only fail at the flush.
    QSaveFile file(percorso);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    // A write cut short is tried on, so that the next one says why.
    for (qint64 scritti = 0; scritti < testo.size();) {
        const qint64 n = file.write(testo.constData() + scritti, testo.size() - scritti);
        if (n <= 0 || file.error() != QFileDevice::NoError) {
            const QString motivo = file.errorString();
            file.cancelWriting();
            return motivo;
        }
        scritti += n;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

QString Mappa::ConEstensione(const QString &percorso)
{
    if (percorso.isEmpty() || !QFileInfo(percorso).suffix().isEmpty())
        return percorso;
    return percorso + QStringLiteral(".var");
}

bool Mappa::SalvaMappa(const QString &percorso)
{
    m_segnalato = false;
    FileMappa::Contenuto c;
    if (!LeggiEcu(c))
        return false;
    const QString motivo = ScriviFile(percorso, TestoFile(c));
    if (!motivo.isEmpty()) {
        m_segnalato = true;
        m_ctx.ui.Messaggio(TraduttoreDizionario::Tr("The map file %1 cannot be written: %2")
                               .arg(QDir::toNativeSeparators(percorso), motivo),
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
    QByteArray dati;
    const QString illeggibile = LetturaLimitata::Leggi(percorso, LetturaLimitata::Tipo::Mappa, dati);
    if (!illeggibile.isEmpty())
        return TraduttoreDizionario::Tr("The map file %1 cannot be read: %2").arg(percorso, illeggibile);
    const QString motivo = FileMappa::Leggi(dati, blocchi);
    if (motivo.isEmpty())
        return {};
    return QStringLiteral("The map file %1 cannot be loaded: %2.").arg(percorso, motivo);
}

bool Mappa::CaricaMappa(const QString &percorso)
{
    CaricamentoMappa caricamento(*this);
    const bool ok = caricamento.Esegui(percorso);
    m_segnalato = !ok && caricamento.Segnalato();
    m_backup = caricamento.FileBackup();
    return ok;
}

} // namespace gascal
