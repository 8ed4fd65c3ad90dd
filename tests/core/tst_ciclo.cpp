// The program's cycle without an ECU on the link: which state each request
// leads to, what the front end is told and in which order, that a request is
// carried out once and cleared; and what the program keeps for the ECU it
// was talking to when another, or none, answers: the title's map file and
// the writes waiting for it.
#include "RegistroProve.h"
#include "app/CicloProgramma.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "app/VistaCiclo.h"
#include "ecu/ScrittureInSospeso.h"
#include "mapfile/Identita.h"

#include <QTest>

using namespace gascal;
using O = Operazione;

namespace {

// Writes down what the cycle told it, one word per hook.
struct VistaRegistro : VistaCiclo {
    QStringList eventi;
    bool taratura = false;
    QList<EsitoOperazione> esiti;
    void InizioOffline() override { eventi << "offline"; }
    void PassoOffline() override { eventi << "passo-offline"; }
    void PrimaDellaChiusura() override { eventi << "prima-chiusura"; }
    void Chiusura() override { eventi << "chiusura"; }
    void Collegato() override { eventi << "collegato"; }
    void InizioOperazione() override { eventi << "inizio-op"; }
    void FineOperazione(const EsitoOperazione &e) override { eventi << "fine-op", esiti << e; }
    bool PassoTaratura() override { return eventi << "taratura", taratura; }
    void ScrittureScartate(O o) override
    {
        if (o != O::Nessuna)
            eventi << QStringLiteral("scartata-%1").arg(static_cast<int>(o));
    }
};

struct Banco {
    ServiziUiScriptati ui;
    Contesto ctx{ui};
    VistaRegistro vista;
    CicloProgramma ciclo{ctx, vista};
    Banco() { ctx.stato.StatoProgramma = StatoApp::Connesso; }
};

} // namespace

class TstCiclo : public QObject
{
    Q_OBJECT
private slots:
    // The restore goes before the close: the ECU is put back first.
    void richiesteEStati()
    {
        const struct {
            const char *richiesta;
            int stato;
            QStringList eventi;
        } casi[] = {
            {"offline", StatoApp::Offline, {"offline", "passo-offline"}},
            {"uscita", StatoApp::Chiusura, {"prima-chiusura", "chiusura"}},
            {"uscita+ripristino", StatoApp::Chiusura, {"prima-chiusura", "inizio-op", "fine-op", "chiusura"}},
            {"taratura", StatoApp::Connesso, {"taratura"}},
            {"taratura+corsa", StatoApp::Autotuning, {"taratura"}},
        };
        for (const auto &c : casi) {
            Banco b;
            StatoApp &s = b.ctx.stato;
            const QString r = QLatin1String(c.richiesta);
            s.LavoroOffline = r == u"offline";
            s.UscitaRichiesta = r.startsWith(u"uscita");
            s.RipristinoRichiesto = r.endsWith(u"ripristino");
            s.AutotuningRichiesto = r.startsWith(u"taratura");
            b.vista.taratura = r.endsWith(u"corsa");
            b.ciclo.Passo();
            QCOMPARE(r + QLatin1Char(' ') + QString::number(s.StatoProgramma) + QLatin1Char(' ') + b.vista.eventi.join(' '),
                     r + QLatin1Char(' ') + QString::number(c.stato) + QLatin1Char(' ') + c.eventi.join(' '));
            QCOMPARE(s.LavoroOffline + s.AutotuningRichiesto, 0); // taken once
        }
    }

    // A pending request runs once, between two polls, and is cleared even
    // when the ECU does not take it; the front end hears how it ended.
    void operazioneUnaVolta()
    {
        Banco b;
        StatoApp &s = b.ctx.stato;
        s.RichiediOperazione(O::CommutaStato);
        b.ciclo.Passo();
        QCOMPARE(b.vista.eventi, (QStringList{"collegato", "inizio-op", "fine-op"}));
        QCOMPARE(b.vista.esiti.size(), 1);
        QCOMPARE(b.vista.esiti.first().operazione, O::CommutaStato);
        QVERIFY(!b.vista.esiti.first().riuscita);
        QVERIFY(!s.OperazioneInAttesa());
        QCOMPARE(s.StatoProgramma, int(StatoApp::Connesso));

        // The search drops what was chosen for the ECU that went away.
        s.RichiediOperazione(O::ScriviRetta);
        s.UscitaRichiesta = 1; // the search gives up at once
        b.ciclo.Ricerca(1);
        QVERIFY(!s.OperazioneInAttesa());
        QCOMPARE(b.vista.eventi.last(), QStringLiteral("scartata-8"));
    }

    // The title's map file goes when another ECU (lot and serial) answers.
    void titoloSoloPerLEcuDelFile()
    {
        const struct {
            const char *titolo;
            bool daEcu;
            const char *serieFile, *serieTrovata;
            bool tolto;
        } casi[] = {
            {" - [a.var] ", true, "87-1234", "87-1234", false}, {" - [a.var] ", true, "87-1234", "87-4321", true},
            {" - [a.var] ", true, "87-1234", "88-1234", true},  {" - [a.var] ", false, "", "87-1234", true},
            {" - [a.var] ", true, "", "", false},               {"", false, "", "87-1234", false},
        };
        for (const auto &c : casi) {
            StatoApp s;
            s.TitoloFile = QLatin1String(c.titolo);
            if (c.daEcu)
                s.SerieTitolo = QLatin1String(c.serieFile);
            QVERIFY2(s.EcuTrovata(QLatin1String(c.serieTrovata)) == c.tolto, c.serieTrovata);
            QCOMPARE(s.TitoloFile.isEmpty(), c.tolto || !*c.titolo);
        }
        MsgRecord produzione;
        QCOMPARE(Identita::NumeroSerie(produzione), QString());
        produzione.Valori = {1234, 87, 48};
        QCOMPARE(Identita::NumeroSerie(produzione), QStringLiteral("87-1234"));
    }

    // Every write is dropped; a map save (it only reads) and a map load
    // (compared first) stay, a reset to a definition file goes with its file.
    void scrittureScartate()
    {
        const struct {
            O operazione;
            bool definizioni;
            O rimasta;
        } casi[] = {{O::ScriviConfig, false, O::Nessuna}, {O::ScriviRetta, false, O::Nessuna},
                    {O::CommutaStato, false, O::Nessuna}, {O::InviaEMemorizza, false, O::Nessuna},
                    {O::ScriviComandi, false, O::Nessuna}, {O::SalvaMappa, false, O::SalvaMappa},
                    {O::CaricaMappa, false, O::CaricaMappa}, {O::CaricaMappa, true, O::Nessuna}};
        for (const auto &c : casi) {
            ServiziUiScriptati ui;
            Contesto ctx(ui);
            ctx.imp.FileDefGpl = QStringLiteral("/prog/def.xar");
            ctx.code.ValoriDaScrivere.Aggiungi(1500, 15, 0);
            ctx.code.ValoriDaScrivere2.Imposta(8, 2, 8);
            ctx.code.DatiMap0 = QByteArray(56, '\1');
            ctx.code.DatiBlk5 = QByteArray(4, '\2');
            ctx.code.MessaggioDaInviare = "msg";
            ctx.stato.FileDefinizioni = c.definizioni ? ctx.imp.FileDefGpl : QStringLiteral("a.var");
            ctx.stato.RichiediOperazione(c.operazione);
            QCOMPARE(ScrittureInSospeso::Scarta(ctx), c.rimasta != O::Nessuna ? O::Nessuna : c.operazione);
            QCOMPARE(ctx.stato.OperazioneRichiesta, c.rimasta);
            QVERIFY(ctx.code.ValoriDaScrivere.Vuota() && ctx.code.ValoriDaScrivere2.Vuota());
            QVERIFY(ctx.code.DatiMap0.isEmpty() && ctx.code.MessaggioDaInviare.isEmpty());
            QCOMPARE(ctx.code.DatiBlk5, QByteArray(4, '\2'));
            QCOMPARE(ctx.stato.FileDefinizioni.isEmpty(), c.operazione == O::CaricaMappa && c.rimasta == O::Nessuna);
        }
    }
};

GASCAL_PROVA(TstCiclo)
#include "tst_ciclo.moc"
