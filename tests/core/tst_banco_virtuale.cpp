// The stepped clock, and the program on the bench: start-up, search, write sequences, restore journal.
#include "RegistroProve.h"
#include "BancoVirtuale.h"
#include "SimTimer.h"
#include "app/Orologio.h"
#include "ecu/Definizioni.h"
#include "ecu/GiornaleRipristino.h"
#include "ecu/RipristinoEcu.h"
#include "ecu/SequenzeBlocchi.h"
#include "interp/ModoInterpolazione.h"
#include "link/MessaggioEcu.h"
#include <QDir>
#include <QTest>

using namespace gascal;
using namespace Qt::StringLiterals;
using C = Contesto;

namespace {
// Writes value k of record 3 into the ECU through the configuration queue, as a page does.
bool ScriviConfig(Contesto &ctx, int k, qint32 valore, qint32 maschera = 0)
{
    ctx.code.ValoriDaScrivere.Imposta(valore, k, maschera);
    return SequenzeBlocchi(ctx).ScriviBlk3();
}
} // namespace

class TstBancoVirtuale : public QObject
{
    Q_OBJECT
private slots:
    // Where a wait ends (deadline, event µs from now or < 0; outcome, clock); due actions in time order.
    void waitsAndActions()
    {
        const struct { const char *nome; double fine, evento; bool esito; double ora; } casi[] = {
            {"nothing comes: the deadline", 600e6, -1.0, false, 600e6}, {"it comes before", 600e6, 2500.0, true, 2500.0},
            {"it comes on the deadline", 1000.0, 1000.0, true, 1000.0}, {"it comes after", 1000.0, 1001.0, false, 1000.0},
            {"a deadline already past", -5.0, 0.0, false, 0.0}};
        for (const auto &c : casi) {
            OrologioPasso o(1e6);
            bool pronto = false;
            if (c.evento >= 0)
                o.Tra(c.evento, [&] { pronto = true; });
            QVERIFY2(o.Attendi(1e6 + c.fine, [&] { return pronto; }) == c.esito, c.nome);
            QVERIFY2(o.Ora_us() == 1e6 + c.ora, c.nome);
        }
        // Queued signals and posted events come without any time passing.
        OrologioPasso o(0);
        bool arrivato = false;
        QMetaObject::invokeMethod(this, [&] { arrivato = true; }, Qt::QueuedConnection);
        QVERIFY(o.Attendi(1e6, [&] { return arrivato; }) && o.Ora_us() == 0.0);
        QStringList fatte;
        o.Programma(300, [&] { fatte << QStringLiteral("c"); });
        o.Programma(100, [&] { fatte << QStringLiteral("a"); });
        o.Programma(100, [&] {
            fatte << QStringLiteral("b");
            // What an action schedules for now runs in the same wait.
            o.Tra(0, [&] { fatte << QStringLiteral("b2"); });
        });
        o.Annulla(o.Programma(200, [&] { fatte << QStringLiteral("x"); }));
        o.Avanza(250);
        QVERIFY(fatte == QStringList({"a", "b", "b2"}) && o.Ora_us() == 250.0);
        o.Avanza(50);
        QCOMPARE(fatte.last(), QStringLiteral("c"));
    }
    void installedClockIsTheProgramsUntilItGoes()
    {
        Orologio *reale = &Orologio::Corrente();
        {
            OrologioPasso esterno(5e6);
            esterno.Installa();
            QCOMPARE(TimerApi_uSec(), 5e6);
            {
                OrologioPasso interno(7e6);
                interno.Installa();
                AttesaUSec(600e6); // ten minutes, at once
                QCOMPARE(TimerApi_uSec(), 7e6 + 600e6);
                QVERIFY(!AttendiCondizione(TimerApi_uSec() + 1000, [] { return false; }));
                QCOMPARE(interno.Ora_us(), 7e6 + 600e6 + 1000);
            }
            QCOMPARE(&Orologio::Corrente(), static_cast<Orologio *>(&esterno));
            QCOMPARE(TimerApi_uSec(), 5e6);
        }
        QCOMPARE(&Orologio::Corrente(), reale);
    }
    // The simulator's timers keep their pace: repeating, single shot, stopped by their own action.
    void simulatorTimersOnTheSteppedClock()
    {
        for (const auto &[singolo, fermaDopo, attesi] : {std::tuple{false, 0, QList<double>{50, 100, 150, 200, 250}},
                                                         {true, 0, QList<double>{50}}, {false, 2, QList<double>{50, 100}}}) {
            OrologioPasso o(0);
            QList<double> chiamate;
            SimTimer *t = nullptr;
            SimTimer timer([&] {
                chiamate << o.Ora_us() / 1000;
                if (chiamate.size() == fermaDopo)
                    t->stop();
            }, &o);
            t = &timer;
            timer.setInterval(50);
            timer.setSingleShot(singolo);
            timer.start();
            QVERIFY(timer.isActive());
            o.Avanza(270e3);
            QVERIFY(chiamate == attesi && timer.isActive() == (!singolo && fermaDopo == 0));
            // A restart counts its interval from now.
            chiamate.clear();
            timer.setSingleShot(true);
            timer.start();
            o.Avanza(100e3);
            QCOMPARE(chiamate, QList<double>{320});
        }
    }
    // The search chooses the line before opening; every sequence fails when the mode cannot be put back.
    void searchAndSequences()
    {
        BancoVirtuale b;
        QList<quint8> comandi;
        b.prjcom->Guasto = [&comandi](quint8 comando, const QByteArray &frame) { return comandi << comando, frame; };
        QVERIFY(b.Collega());
        QCOMPARE(comandi.mid(comandi.indexOf(10), 2), (QList<quint8>{10, 3}));
        Contesto &ctx = *b.ctx;
        ctx.stato.StatoProgramma = StatoApp::Operazione;
        for (int sequenza = 0; sequenza < 5; ++sequenza) {
            const auto esegui = [&] {
                ctx.code.ValoriDaScrivere.Aggiungi(5, 0, 0);
                ctx.code.ValoriDaScrivere2.Aggiungi(5, 0, 0);
                ctx.code.DatiMap0 = MessaggioEcu::DatiRisposta(ctx.TabMsg[Contesto::RecMappa].Immagine);
                ctx.code.DatiBlk5 = MessaggioEcu::DatiRisposta(ctx.TabMsg[Contesto::RecBlk5].Immagine);
                SequenzeBlocchi seq(ctx);
                switch (sequenza) {
                case 0: return seq.ScriviBlk2();
                case 1: return seq.ScriviBlk3();
                case 2: return seq.ScriviMappe();
                case 3: return seq.InviaEMemorizza(MessaggioEcu::Componi(MessaggioEcu::ServScriviBlk5, ctx.code.DatiBlk5));
                default: return seq.CommutaStato();
                }
            };
            b.prjcom->Guasto = {};
            QVERIFY2(esegui(), qPrintable(QString::number(sequenza)));
            int cambiModo = 0;
            b.prjcom->Guasto = [&cambiModo](quint8 comando, const QByteArray &frame) {
                return comando == 4 && ++cambiModo % 2 == 0 ? frame.chopped(1) : frame;
            };
            QVERIFY2(!esegui(), qPrintable(QString::number(sequenza)));
            // The mode switch at the start went through; only the restore failed.
            QVERIFY(cambiModo == 2 && ctx.link.RispCodice() == -1);
        }
    }
    void avvioESonda()
    {
        BancoVirtuale senza;
        senza.ScriviFile(u"SetCom.ini"_s, "[AttesaPipe_usec]\r\n1000\r\n");
        QVERIFY(!senza.Avvia()); // no firmware to expect: the program ends with a message
        QVERIFY(senza.ui.mostrati.size() == 1 && !senza.ctx->link.ProcessoAttivo());
        BancoVirtuale b;
        QVERIFY(b.Avvia());
        Contesto &ctx = *b.ctx;
        QCOMPARE(ctx.link.RispCodice(), 2); // the first command exchanged
        QVERIFY(b.Cerca() && b.ui.mostrati.isEmpty());
        // The shipped definition file holds the ECU's factory values.
        const TabellaMessaggi letti = ctx.TabMsg;
        QVERIFY(Definizioni::CaricaDefinizioni(ctx, ctx.imp.FileDefGpl));
        for (int n : {C::RecComandi, C::RecConfig, C::RecBlk5, C::RecMappa})
            QCOMPARE(ctx.TabMsg[n].Valori, letti[n].Valori);
    }
    void scrittureSullEcu()
    {
        BancoVirtuale b;
        QVERIFY(b.Collega());
        Contesto &ctx = *b.ctx;
        const qint32 modoPrima = ctx.link.RispByte6();
        // A write empties its queue and puts the mode back.
        QVERIFY(ScriviConfig(ctx, 1, ctx.Valore(C::RecConfig, 1)) && ctx.code.ValoriDaScrivere.Vuota());
        QCOMPARE(ctx.link.RispByte6(), modoPrima);
        // The map and block 5.
        MsgRecord mappa = ctx.TabMsg[C::RecMappa];
        for (qint32 &v : mappa.Valori)
            v = (v + 3) % 200;
        ctx.code.DatiMap0 = Blocco::CodificaBlocco(mappa);
        ctx.code.DatiBlk5 = Blocco::CodificaBlocco(ctx.TabMsg[C::RecBlk5]);
        QVERIFY(SequenzeBlocchi(ctx).ScriviMappe() && ctx.code.DatiMap0.isEmpty());
        QCOMPARE(ctx.TabMsg[C::RecMappa].Valori, mappa.Valori);
        // The fuel toggle is a pulse of the request bit that takes the ECU to gas and back.
        QCOMPARE(b.Controllo(u"rpm 2500"_s), u"ok"_s);
        SequenzeBlocchi seq(ctx);
        auto carburante = [&](qint32 atteso) {
            for (int i = 0; i < 60; ++i) {
                if (seq.LeggiRecord(C::RecComandi, true) == 0 && ctx.Valore(C::RecComandi, 1) == atteso)
                    return true;
                AttesaUSec(250000);
            }
            return false;
        };
        QVERIFY(carburante(0) && seq.CommutaStato());
        QVERIFY2(carburante(3), qPrintable(b.Controllo(u"state"_s)));
        QCOMPARE(ctx.Valore(C::RecComandi, 2) & 1, 0);
        QVERIFY(seq.CommutaStato() && carburante(0));
        // A write that the ECU refuses keeps its queue and puts the mode back.
        BancoVirtuale rifiuta({u"--refuse"_s, u"17"_s});
        QVERIFY(rifiuta.Collega());
        rifiuta.ctx->code.ValoriDaScrivere.Aggiungi(1, 4, 8);
        QVERIFY(!SequenzeBlocchi(*rifiuta.ctx).ScriviBlk3() && !rifiuta.ctx->code.ValoriDaScrivere.Vuota());
        QCOMPARE(rifiuta.ctx->link.RispByte6(), modoPrima);
    }
    void journalTextRoundTripsAndBadTextIsRefused()
    {
        GiornaleRipristino g;
        g.operazione = u"autotuning"_s;
        g.lotto = 87;
        g.matricola = 1234;
        g.creato = QDateTime(QDate(2026, 12, 8), QTime(15, 0));
        g.voci = {{2, 16, QByteArray("\x41\x02\x56\x00\x05\x03\x00\x02\x00\xC0\x05\x97", 12), {{0, 0}, {2, 3}, {5, 0}}, 1000},
                  {3, 17, QByteArray(40, '\x11'), {}, 0}};
        GiornaleRipristino letto;
        QVERIFY(letto.DaTesto(g.Testo()).isEmpty() && letto == g);
        // Each of these spoils it; so does a journal with nothing to restore.
        const QByteArray buono = g.Testo();
        const std::pair<const char *, const char *> cambi[] = {
            {"[RIPRISTINO]", "[MAPPA]"}, {"Ecu=87-1234\r\n", ""}, {"Ecu=87-1234", "Ecu=87"},
            {"Immagine=41", "Immagine=G1"}, {"Immagine=41", "Immagine=4"}, {"Servizio=16", "Servizio=999"},
            {"Valori=0,2:3,5", "Valori=0,x"}, {"PausaMs=1000", "PausaMs 1000"}};
        for (const auto &[da, a] : cambi)
            QVERIFY2(!GiornaleRipristino().DaTesto(QByteArray(buono).replace(da, a)).isEmpty(), a);
        QVERIFY(!GiornaleRipristino().DaTesto(buono.left(buono.indexOf("[VOCE]"))).isEmpty());
        // Files: written and read back; what is not a small regular file is refused.
        QTemporaryDir cartella;
        const QString percorso = GiornaleRipristino::Percorso(cartella.path(), g.lotto, g.matricola);
        QCOMPARE(g.Scrivi(percorso), QString());
        QCOMPARE(GiornaleRipristino::Tutti(cartella.path()), QStringList{percorso});
        QCOMPARE(GiornaleRipristino::Leggi(percorso).value_or(GiornaleRipristino()), g);
        QString errore;
        QVERIFY(!GiornaleRipristino::Leggi(cartella.path(), &errore) && errore.contains(u"not a regular file"_s));
        QFile grande(cartella.filePath(u"grande.txt"_s));
        QVERIFY(grande.open(QIODevice::WriteOnly) && grande.resize(5LL << 30));
        grande.close();
        QVERIFY(!GiornaleRipristino::Leggi(grande.fileName(), &errore) && errore.contains(u"larger"_s));
    }
    // The restore: changes undone, the user's kept, the journal gone; a pulled cable keeps it for the next connection.
    void ripristinoSullEcu()
    {
        BancoVirtuale b;
        QVERIFY(b.Collega());
        Contesto &ctx = *b.ctx;
        QCOMPARE(SequenzeBlocchi(ctx).LeggiRecord(C::RecConfig, true), 0);
        const qint32 sensore = ctx.Valore(C::RecConfig, 25);
        const qint32 abilitazioni = ctx.Valore(C::RecConfig, 12);
        RipristinoEcu &r = ctx.ripristino;
        QCOMPARE(r.Apri(u"interpolation"_s, {r.Voce(C::RecConfig, {{25, 0}, {12, 1}})}), QString());
        QVERIFY(QFileInfo::exists(r.PercorsoEcu()));
        // A second operation on the same ECU cannot start while this one is open.
        RipristinoEcu altro(ctx);
        QVERIFY(!altro.Apri(u"autotuning"_s, {altro.Voce(C::RecConfig)}).isEmpty());
        QVERIFY(ScriviConfig(ctx, 25, 0) && ScriviConfig(ctx, 12, abilitazioni ^ 1, 1));
        QVERIFY(ScriviConfig(ctx, 12, abilitazioni ^ 2, 2)); // the user's change, not journaled
        RipristinoEcu::Esito e = r.Ripristina();
        QVERIFY2(e.completo && !e.rimessi.isEmpty(), qPrintable(e.mancanti.join(',')));
        QVERIFY(!QFileInfo::exists(r.PercorsoEcu()) && !r.Aperto() && SequenzeBlocchi(ctx).LeggiRecord(C::RecConfig, true) == 0);
        QCOMPARE((QList<qint32>{ctx.Valore(C::RecConfig, 25), ctx.Valore(C::RecConfig, 12)}),
                 (QList<qint32>{sensore, abilitazioni ^ 2}));
        const QByteArray immagine = MessaggioEcu::DatiRisposta(ctx.TabMsg[C::RecConfig].Immagine);
        QCOMPARE(r.Apri(u"autotuning"_s, {r.Voce(C::RecConfig)}), QString());
        QVERIFY(ScriviConfig(ctx, 25, 0));
        const QString percorso = r.PercorsoEcu();
        b.Controllo(u"unplug"_s);
        e = r.Ripristina();
        QVERIFY(!e.completo && QFileInfo::exists(percorso) && r.Testo(e).contains(QDir::toNativeSeparators(percorso)));
        r.Rilascia();
        GiornaleRipristino estraneo = *GiornaleRipristino::Leggi(percorso);
        estraneo.lotto = 1;
        estraneo.matricola = 2;
        const QString diAltra = GiornaleRipristino::Percorso(ctx.imp.CartellaDati, 1, 2);
        QCOMPARE(estraneo.Scrivi(diAltra), QString());
        b.Controllo(u"plug"_s);
        ctx.stato.ErroreComunicazione = 1;
        QVERIFY(b.Cerca());
        const QString detto = r.RipristinaPendente();
        QVERIFY2(detto.contains(u"autotuning"_s) && detto.contains(QDir::toNativeSeparators(diAltra)), qPrintable(detto));
        QVERIFY(!QFileInfo::exists(percorso) && QFileInfo::exists(diAltra));
        SequenzeBlocchi(ctx).LeggiRecord(C::RecConfig, true);
        QCOMPARE(MessaggioEcu::DatiRisposta(ctx.TabMsg[C::RecConfig].Immagine), immagine);
        QVERIFY(!r.RipristinaPendente().contains(u"autotuning"_s)); // nothing more to do
        // A journal that cannot be written: the mode is not entered and nothing is queued.
        const QString dati = QDir::cleanPath(ctx.imp.CartellaDati);
        QVERIFY(QDir(dati).removeRecursively());
        Scrivi(dati, {}); // a file where the data folder should be
        ctx.stato.OperazioneRichiesta = Operazione::Nessuna;
        ctx.code.ValoriDaScrivere = CodaScrittura();
        QVERIFY(!ModoInterpolazione::Entra(ctx) && !ctx.InterpolazioneAttiva);
        QCOMPARE(ctx.stato.OperazioneRichiesta, Operazione::Nessuna);
        QVERIFY(b.ui.mostrati.last().testo.contains(u"nothing was changed"_s));
    }
};

GASCAL_PROVA(TstBancoVirtuale)
#include "tst_banco_virtuale.moc"
