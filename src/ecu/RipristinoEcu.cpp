#include "ecu/RipristinoEcu.h"

#include "app/Contesto.h"
#include "app/Orologio.h"
#include "ecu/Blocco.h"
#include "ecu/CorniceModo.h"
#include "link/MessaggioEcu.h"
#include "mapfile/ConfrontoMappe.h"

#include <QDir>
#include <QFile>

namespace gascal {

namespace {
const QString Sezione = QStringLiteral("[Ripristino]");

// The blocks as the ECU holds them, as a map file's four blocks.
FileMappa::Contenuto Blocchi(const Contesto &ctx)
{
    FileMappa::Contenuto c;
    c.Blk2 = ctx.TabMsg.value(Contesto::RecComandi).Immagine;
    c.Blk3 = ctx.TabMsg.value(Contesto::RecConfig).Immagine;
    c.Blk5 = ctx.TabMsg.value(Contesto::RecBlk5).Immagine;
    c.Map0 = ctx.TabMsg.value(Contesto::RecMappa).Immagine;
    return c;
}

qint32 Applica(qint32 attuale, qint32 giornale, qint32 maschera)
{
    return maschera == 0 ? giornale : (attuale & ~maschera) | (giornale & maschera);
}
} // namespace

QString RipristinoEcu::TestoDizionario(int k, const QString &inglese) const
{
    return m_ctx.diz.TestoSezione(Sezione, k, inglese);
}

QString RipristinoEcu::PercorsoEcu() const
{
    const MsgRecord produzione = m_ctx.TabMsg.value(Contesto::RecProduzione);
    return GiornaleRipristino::Percorso(m_ctx.imp.CartellaDati, produzione.Valori.value(1),
                                        produzione.Valori.value(0));
}

GiornaleRipristino::Voce RipristinoEcu::Voce(int record, QList<GiornaleRipristino::Valore> valori,
                                             int pausaMs) const
{
    using namespace MessaggioEcu;
    GiornaleRipristino::Voce v;
    v.record = record;
    switch (record) {
    case Contesto::RecComandi: v.servizio = ServScriviBlk2; break;
    case Contesto::RecConfig: v.servizio = ServScriviBlk3; break;
    case Contesto::RecBlk5: v.servizio = ServScriviBlk5; break;
    case Contesto::RecMappa: v.servizio = ServScriviMappa; break;
    default: break;
    }
    v.immagine = m_ctx.TabMsg.value(record).Immagine;
    v.valori = std::move(valori);
    v.pausaMs = pausaMs;
    return v;
}

QString RipristinoEcu::Apri(const QString &operazione, const QList<GiornaleRipristino::Voce> &voci)
{
    const MsgRecord produzione = m_ctx.TabMsg.value(Contesto::RecProduzione);
    GiornaleRipristino g;
    g.operazione = operazione;
    g.lotto = produzione.Valori.value(1);
    g.matricola = produzione.Valori.value(0);
    g.creato = QDateTime::currentDateTime();
    g.voci = voci;
    QString motivo;
    for (const GiornaleRipristino::Voce &v : voci)
        if (v.servizio == 0 || v.immagine.isEmpty())
            motivo = QStringLiteral("record %1 has not been read").arg(v.record);
    const QString percorso = PercorsoEcu();
    // A journal left by an earlier run of this ECU is kept: it holds the
    // older, truer state.
    if (motivo.isEmpty() && QFileInfo::exists(percorso))
        motivo = QStringLiteral("%1 is still to be put back").arg(QDir::toNativeSeparators(percorso));
    if (motivo.isEmpty())
        motivo = g.Scrivi(percorso);
    if (!motivo.isEmpty())
        return TestoDizionario(7, QStringLiteral("The restore journal could not be written (%1): nothing was changed in the ECU."))
            .arg(motivo);
    m_giornale = g;
    m_percorso = percorso;
    return {};
}

void RipristinoEcu::Restringi(const QList<GiornaleRipristino::Voce> &voci)
{
    if (!Aperto())
        return;
    m_giornale.voci = voci;
    if (voci.isEmpty()) {
        Chiudi();
        return;
    }
    m_giornale.Scrivi(m_percorso);
}

void RipristinoEcu::Chiudi()
{
    if (!m_percorso.isEmpty())
        QFile::remove(m_percorso);
    m_percorso.clear();
    m_giornale = {};
}

void RipristinoEcu::Rilascia()
{
    m_percorso.clear();
    m_giornale = {};
}

RipristinoEcu::Esito RipristinoEcu::Ripristina()
{
    if (!Aperto())
        return {true, {}, {}};
    Esito e = Esegui(m_giornale, m_percorso);
    if (e.completo) {
        m_percorso.clear();
        m_giornale = {};
    }
    return e;
}

bool RipristinoEcu::RimettiVoce(const GiornaleRipristino::Voce &v)
{
    if (v.record < 0 || v.record >= m_ctx.TabMsg.size())
        return false;
    MsgRecord &rec = m_ctx.TabMsg[v.record];
    if (m_ctx.tx.LeggiRecord(rec, m_ctx.Ambiente(), true) != 0)
        return false;
    MsgRecord prima = rec;
    Blocco::DecodificaBlocco(v.immagine, prima, m_ctx.Ambiente());

    const auto tiene = [&] {
        if (v.valori.isEmpty())
            return MessaggioEcu::DatiRisposta(rec.Immagine) == MessaggioEcu::DatiRisposta(v.immagine);
        for (const GiornaleRipristino::Valore &x : v.valori) {
            const qint32 attuale = rec.Valori.value(x.indice);
            if (Applica(attuale, prima.Valori.value(x.indice), x.maschera) != attuale)
                return false;
        }
        return true;
    };
    if (tiene())
        return true;

    QByteArray dati;
    if (v.valori.isEmpty()) {
        dati = MessaggioEcu::DatiRisposta(v.immagine);
    } else {
        MsgRecord obiettivo = rec;
        for (const GiornaleRipristino::Valore &x : v.valori)
            if (x.indice < obiettivo.Valori.size())
                obiettivo.Valori[x.indice] = Applica(rec.Valori.at(x.indice), prima.Valori.value(x.indice), x.maschera);
        dati = Blocco::CodificaBlocco(obiettivo);
    }
    if (m_ctx.tx.ScriviServizio(v.servizio, dati) != 0)
        return false;
    if (v.pausaMs > 0)
        AttesaUSec(v.pausaMs * 1000.0);
    return m_ctx.tx.LeggiRecord(rec, m_ctx.Ambiente(), true) == 0 && tiene();
}

RipristinoEcu::Esito RipristinoEcu::Esegui(const GiornaleRipristino &g, const QString &percorso)
{
    Esito e;
    const FileMappa::Contenuto prima = Blocchi(m_ctx);
    const qint32 carburante = m_ctx.Valore(Contesto::RecComandi, 0);
    const MsgRecord comandiPrima = m_ctx.TabMsg.value(Contesto::RecComandi);
    {
        CorniceModo cornice(m_ctx);
        for (const GiornaleRipristino::Voce &v : g.voci) {
            if (!cornice.Ok() || !RimettiVoce(v)) {
                const QString nome = m_ctx.TabMsg.value(v.record).Nome;
                e.mancanti << (nome.isEmpty() ? QStringLiteral("record %1").arg(v.record) : nome);
            }
        }
        cornice.Ripristina();
    }
    e.completo = e.mancanti.isEmpty();

    // What changed: the command record's values by their own names, the
    // rest by the names the pages and the map compare use.
    const struct {
        int indice;
        const char *nome;
    } comandi[] = {{0, "fuel-request"}, {2, "tuning-mode-bits"}, {5, "gas-correction-us"}};
    for (const auto &c : comandi) {
        const qint32 era = c.indice == 0 ? carburante : comandiPrima.Valori.value(c.indice);
        const qint32 ora = m_ctx.Valore(Contesto::RecComandi, c.indice);
        if (era != ora)
            e.rimessi << QStringLiteral("%1: %2 | %3").arg(QLatin1String(c.nome)).arg(era).arg(ora);
    }
    FileMappa::Contenuto dopo = Blocchi(m_ctx);
    dopo.Blk2 = prima.Blk2;
    ConfrontoMappe confronto(m_ctx);
    confronto.LeggiEcu(prima, ConfrontoMappe::A);
    confronto.LeggiEcu(dopo, ConfrontoMappe::B);
    e.rimessi << confronto.Differenze();
    if (e.completo)
        QFile::remove(percorso);
    return e;
}

QString RipristinoEcu::RipristinaPendente()
{
    QStringList testi;
    const QString proprio = PercorsoEcu();
    for (const QString &percorso : GiornaleRipristino::Tutti(m_ctx.imp.CartellaDati)) {
        if (percorso == proprio || percorso == m_percorso)
            continue;
        testi << TestoDizionario(5, QStringLiteral("A restore journal of another ECU is kept in %1: connect that ECU to put it back."))
                     .arg(QDir::toNativeSeparators(percorso));
    }
    if (QFileInfo::exists(proprio) && proprio != m_percorso) {
        QString errore;
        const auto g = GiornaleRipristino::Leggi(proprio, &errore);
        if (!g) {
            testi.prepend(errore);
        } else {
            const Esito e = Esegui(*g, proprio);
            const QString operazione = g->operazione == QLatin1String("autotuning")
                ? TestoDizionario(8, QStringLiteral("autotuning"))
                : g->operazione == QLatin1String("interpolation") ? TestoDizionario(9, QStringLiteral("interpolation"))
                                                                   : g->operazione;
            testi.prepend(TestoDizionario(1, QStringLiteral("The last %1 on this ECU did not end: the ECU had not been put back."))
                              .arg(operazione)
                          + QStringLiteral("\n") + Testo(e));
        }
    }
    return testi.join(QStringLiteral("\n\n"));
}

QString RipristinoEcu::Testo(const Esito &e) const
{
    QStringList righe;
    if (!e.rimessi.isEmpty()) {
        righe << TestoDizionario(2, QStringLiteral("These settings were put back:"));
        for (const QString &r : e.rimessi)
            righe << QStringLiteral("  ") + r;
    } else if (e.completo) {
        righe << TestoDizionario(6, QStringLiteral("The ECU already held its earlier settings: nothing had to be put back."));
    }
    if (!e.completo) {
        righe << TestoDizionario(3, QStringLiteral("These blocks could not be put back: %1.")).arg(e.mancanti.join(QStringLiteral(", ")));
        righe << TestoDizionario(4, QStringLiteral("The restore journal %1 is kept: the ECU is put back the next time it answers."))
                     .arg(QDir::toNativeSeparators(m_percorso.isEmpty() ? PercorsoEcu() : m_percorso));
    }
    return righe.join(QStringLiteral("\n"));
}

} // namespace gascal
