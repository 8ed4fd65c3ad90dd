#include "mapfile/CaricamentoMappa.h"

#include "app/Contesto.h"
#include "app/ServiziUi.h"
#include "app/TestoByte.h"
#include "ecu/CorniceModo.h"
#include "ecu/SequenzeBlocchi.h"
#include "link/MessaggioEcu.h"
#include "mapfile/ConfrontoMappe.h"
#include "mapfile/Mappa.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace gascal {

using namespace MessaggioEcu;

namespace {

// PrjCom's status of an exchange that the ECU answered with a refusal.
constexpr qint32 EsitoRifiutato = 3;

const QString Acapo = QStringLiteral("\r\n");

QString Elenco(const QStringList &sezioni)
{
    return sezioni.isEmpty() ? QStringLiteral("none") : sezioni.join(QStringLiteral(", "));
}

} // namespace

CaricamentoMappa::CaricamentoMappa(Mappa &mappa) : m_mappa(mappa), m_ctx(mappa.m_ctx) {}

QString CaricamentoMappa::NomeBackup(const QDateTime &quando, qint32 lotto, qint32 matricola)
{
    return quando.toString(QStringLiteral("yyyyMMdd_HHmmss")) + QStringLiteral("_ECU%1-%2.var")
        .arg(lotto)
        .arg(matricola);
}

QList<CaricamentoMappa::Scrittura> CaricamentoMappa::Scritture(const FileMappa::BlocchiCaricati &b)
{
    // The fuel request and state are not loaded: the ECU keeps them at 0.
    QByteArray blk2 = FileMappa::DatiBlocco(b.Blk2);
    for (int i = 0; i < 2 && i < blk2.size(); ++i)
        blk2[i] = 0;
    return {
        {QStringLiteral("[BLK_2]"), ServScriviBlk2, blk2},
        {QStringLiteral("[BLK_3]"), ServScriviBlk3, FileMappa::DatiBlocco(b.Blk3)},
        {QStringLiteral("[BLK_5]"), ServScriviBlk5, FileMappa::DatiBlocco(b.Blk5)},
        {QStringLiteral("[MAP_0]"), ServScriviMappa, FileMappa::DatiBlocco(b.Map0)},
    };
}

QString CaricamentoMappa::ControllaControEcu(const FileMappa::BlocchiCaricati &file,
                                             const FileMappa::Contenuto &ecu) const
{
    const struct {
        const char *sezione;
        const QString &riga;
        const QByteArray &suo;
    } coppie[] = {{"[BLK_2]", file.Blk2, ecu.Blk2},
                  {"[BLK_3]", file.Blk3, ecu.Blk3},
                  {"[BLK_5]", file.Blk5, ecu.Blk5},
                  {"[MAP_0]", file.Map0, ecu.Map0}};
    for (const auto &c : coppie) {
        const QByteArray blocco = HexToStr(c.riga);
        const QString nome = QString::fromLatin1(c.sezione);
        // The ECU takes a write only when it fills the whole block.
        if (blocco.size() != c.suo.size())
            return QStringLiteral("the block of section %1 is %2 bytes long, the ECU's is %3")
                .arg(nome)
                .arg(blocco.size())
                .arg(c.suo.size());
        // A block saved under the wrong section answers another service.
        if (blocco.size() > 3 && blocco.at(3) != c.suo.at(3))
            return QStringLiteral("the block of section %1 is not the answer the ECU gives for "
                                  "that section")
                .arg(nome);
    }
    return {};
}

QString CaricamentoMappa::SalvaBackup(const FileMappa::Contenuto &ecu)
{
    const QString cartella = m_ctx.imp.CartellaDati + QStringLiteral("backup");
    if (!QDir().mkpath(cartella))
        return QStringLiteral("the folder %1 cannot be created").arg(QDir::toNativeSeparators(cartella));
    MsgRecord produzione = m_ctx.TabMsg.value(Contesto::RecProduzione);
    Blocco::DecodificaBlocco(ecu.Coll, produzione, m_ctx.Ambiente());
    const QString nome = NomeBackup(QDateTime::currentDateTime(), produzione.Valori.value(1),
                                    produzione.Valori.value(0));
    QString percorso = QDir(cartella).filePath(nome);
    for (int n = 2; QFileInfo::exists(percorso); ++n)
        percorso = QDir(cartella).filePath(QFileInfo(nome).completeBaseName()
                                           + QStringLiteral("_%1.var").arg(n));
    const QString motivo = Mappa::ScriviFile(percorso, m_mappa.TestoFile(ecu));
    if (!motivo.isEmpty())
        return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(percorso), motivo);
    m_backup = percorso;
    return {};
}

CaricamentoMappa::Esito CaricamentoMappa::Scrivi(const QList<Scrittura> &scritture, qsizetype quante)
{
    Transazioni &tx = m_ctx.tx;
    Esito esito;
    CorniceModo cornice(m_ctx);
    bool ok = cornice.Ok();
    for (qsizetype i = 0; ok && i < quante; ++i) {
        ok = tx.ScriviServizio(scritture.at(i).servizio, scritture.at(i).dati) == 0;
        if (ok)
            ++esito.riuscite;
        else
            esito.incerta = m_ctx.link.RispByte4() != EsitoRifiutato;
    }
    if (ok && !(tx.AttesaEcu(true) == 0 && tx.Scambia(Componi(ServMemorizza)) == 0
                && tx.AttesaEcu(false) == 0)) {
        ok = false;
        esito.incerta = true; // the store may have happened
    }
    esito.completa = ok;
    esito.modo = cornice.Ripristina();
    return esito;
}

void CaricamentoMappa::Segnala(const QString &testo, bool critico)
{
    m_segnalato = true;
    m_ctx.ui.Messaggio(testo, m_ctx.Titolo(), ServiziUi::Pulsanti::Ok,
                       critico ? ServiziUi::Icona::Critica : ServiziUi::Icona::Esclamazione);
}

void CaricamentoMappa::Rifiuta(const QString &motivo)
{
    Segnala(m_ctx.diz.Testo(10) + Acapo + Acapo + motivo, true);
}

bool CaricamentoMappa::Esegui(const QString &percorso)
{
    const QString nomeFile = QDir::toNativeSeparators(percorso);
    // 1. The file alone, before anything is sent.
    FileMappa::BlocchiCaricati blocchi;
    QString motivo = Mappa::LeggiFile(percorso, blocchi);
    if (!motivo.isEmpty()) {
        Rifiuta(motivo);
        return false;
    }
    // The ECU's blocks: what the file must fit, and the backup.
    FileMappa::Contenuto ecu;
    if (!m_mappa.LeggiEcu(ecu))
        return false; // the link has told why; nothing was written
    motivo = ControllaControEcu(blocchi, ecu);
    if (!motivo.isEmpty()) {
        Rifiuta(QStringLiteral("The map file %1 does not fit this ECU: %2.").arg(nomeFile, motivo));
        return false;
    }
    // The user sees what the load changes, and may still cancel.
    if (m_mappa.m_conferma) {
        ConfrontoMappe confronto(m_ctx);
        confronto.LeggiEcu(ecu, ConfrontoMappe::A);
        if (!confronto.LeggiFile(percorso, ConfrontoMappe::B)) {
            Rifiuta(confronto.Errore());
            return false;
        }
        if (!m_mappa.m_conferma(percorso, confronto.Confronta())) {
            m_segnalato = true; // cancelled: nothing to tell
            return false;
        }
    }
    motivo = SalvaBackup(ecu);
    if (!motivo.isEmpty()) {
        Segnala(QStringLiteral("Nothing was written to the ECU: its blocks cannot be backed up "
                               "before the load (%1).")
                    .arg(motivo),
                true);
        return false;
    }

    // 2. Petrol while the blocks change.
    SequenzeBlocchi sequenze(m_ctx);
    const bool commutato = m_ctx.Valore(Contesto::RecComandi, 1) != 0;
    if (commutato && !sequenze.CommutaStato())
        return false;

    const QList<Scrittura> nuove = Scritture(blocchi);
    const Esito esito = Scrivi(nuove, nuove.size());

    // 3. A write that failed part-way is undone: the blocks the ECU may have
    // taken get the backup's, and the store makes that the ECU's set-up.
    bool ripristinato = true;
    const qsizetype toccate = qMin(nuove.size(), esito.riuscite + (esito.incerta ? 1 : 0));
    if (!esito.completa && toccate > 0) {
        const FileMappa::BlocchiCaricati vecchi{StrToHex(ecu.Blk2), StrToHex(ecu.Blk3),
                                                StrToHex(ecu.Blk5), StrToHex(ecu.Map0)};
        const Esito ripristino = Scrivi(Scritture(vecchi), toccate);
        ripristinato = ripristino.completa;
    }

    // 4. Back to the fuel in use before the load, whatever happened.
    const bool carburante = !commutato || sequenze.CommutaStato();

    if (esito.completa) {
        if (!carburante)
            Segnala(QStringLiteral("The map file %1 was written to the ECU, but the fuel could "
                                   "not be switched back as it was: switch it by hand.")
                        .arg(nomeFile),
                    false);
        // A mode that cannot be put back is the link's failure, told by it.
        return esito.modo;
    }
    QStringList sezioni;
    for (const Scrittura &s : nuove)
        sezioni.append(s.sezione);
    QString testo;
    if (toccate == 0)
        testo = QStringLiteral("Writing the map file %1 into the ECU failed before any block was "
                               "written: the ECU keeps its set-up.")
                    .arg(nomeFile);
    else if (ripristinato)
        testo = QStringLiteral("Writing the map file %1 into the ECU failed part-way. The ECU was "
                               "restored as it was before, from the backup %2.")
                    .arg(nomeFile, QDir::toNativeSeparators(m_backup));
    else {
        testo = QStringLiteral("Writing the map file %1 into the ECU failed part-way, and the ECU "
                               "could not be restored. Blocks written from the file: %2.")
                    .arg(nomeFile, Elenco(sezioni.mid(0, esito.riuscite)));
        if (esito.incerta && esito.riuscite < sezioni.size())
            testo += QStringLiteral(" Perhaps written (the ECU did not answer): %1.")
                         .arg(sezioni.at(esito.riuscite));
        else if (esito.incerta)
            testo += QStringLiteral(" The store did not answer.");
        testo += QStringLiteral(" Not written: %1. The ECU's earlier set-up is in the backup %2: "
                                "load it as soon as the ECU answers again.")
                     .arg(Elenco(sezioni.mid(toccate)), QDir::toNativeSeparators(m_backup));
    }
    if (!carburante)
        testo += Acapo + Acapo
            + QStringLiteral("The fuel could not be switched back as it was: switch it by hand.");
    Segnala(testo, !ripristinato || !carburante);
    return false;
}

} // namespace gascal
