// The link, the message table, the write sequences and the restore journal
// against the real communication process and the virtual ECU.
#include "RegistroProve.h"
#include "BancoEcu.h"
#include "FileProva.h"

#include "app/Orologio.h"
#include "app/TestoByte.h"
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

// Opens port 0 as the search does, so that record reads can follow.
bool ApriPorta(Contesto &ctx)
{
    const qint64 t = ctx.impLink.AttesaPipe_usec;
    return ctx.link.InviaComando(2, QByteArray(1, '\0'), t) == 0
        && ctx.link.InviaComando(10, ctx.impLink.ListaFirmware.value(0), t) == 0
        && ctx.link.InviaComando(3, QByteArray(1, '\0'), t) == 0 && ctx.link.RispByte4() == 1;
}

bool LeggiTutto(Contesto &ctx)
{
    for (int n = 0; n < ctx.TabMsg.size(); ++n)
        if (SequenzeBlocchi(ctx).LeggiRecord(n, true) != 0)
            return false;
    return true;
}

// Writes value k of record 3 into the ECU through the configuration queue, as a page does.
bool ScriviConfig(Contesto &ctx, int k, qint32 valore, qint32 maschera = 0)
{
    ctx.code.ValoriDaScrivere.Imposta(valore, k, maschera);
    return SequenzeBlocchi(ctx).ScriviBlk3();
}

} // namespace

class TstEcuReale : public QObject
{
    Q_OBJECT
private slots:
    void avvioESonda()
    {
        BancoEcu senza;
        senza.ScriviFile(u"SetCom.ini"_s, "[AttesaPipe_usec]\r\n1000\r\n");
        QVERIFY(!senza.Avvia()); // no firmware to expect: the program ends with a message
        QCOMPARE(senza.ui.mostrati.size(), 1);
        QVERIFY(!senza.ctx->link.ProcessoAttivo());

        BancoEcu b;
        QVERIFY(b.Avvia());
        Contesto &ctx = *b.ctx;
        QCOMPARE(ctx.link.RispCodice(), 2); // the first command exchanged
        QCOMPARE(ctx.imp.FirmwareAtteso.left(6), HexToStr(u"012828112014"_s));
        // No ECU: the link points nowhere and is answered at once.
        QElapsedTimer t;
        t.start();
        QCOMPARE(ctx.link.InviaComando(3, QByteArray(1, '\0'), ctx.impLink.AttesaPipe_usec), 0);
        QVERIFY(t.elapsed() < 200);
        QVERIFY(ctx.link.RispByte4() != 1);
        QVERIFY(b.AvviaEcu() && ApriPorta(ctx) && LeggiTutto(ctx));
        QVERIFY(b.ui.mostrati.isEmpty());
        // The shipped definition file holds the ECU's factory values.
        const TabellaMessaggi letti = ctx.TabMsg;
        QVERIFY(Definizioni::CaricaDefinizioni(ctx, ctx.imp.FileDefGpl));
        for (int n : {C::RecComandi, C::RecConfig, C::RecBlk5, C::RecMappa})
            QCOMPARE(ctx.TabMsg[n].Valori, letti[n].Valori);
        QVERIFY(ctx.link.ChiudiPipe(ctx.impLink.AttesaPipe_usec));
    }

    void scrittureSullEcu()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu({}, true) && b.Avvia() && ApriPorta(*b.ctx) && LeggiTutto(*b.ctx));
        Contesto &ctx = *b.ctx;
        ctx.stato.StatoProgramma = StatoApp::Connesso;
        const qint32 modoPrima = ctx.link.RispByte6();

        // Read, change, write: the ECU's own values read back by a fresh request.
        const QVector<qint32> prima = ctx.TabMsg[C::RecConfig].Valori;
        const qint32 scala = ctx.TabMsg[C::RecConfig].Scala[1];
        QVector<qint32> atteso = prima;
        atteso[1] += prima[1] / scala < 100 ? scala : -scala;
        ctx.code.ValoriDaScrivere.Aggiungi(atteso[1], 1, 0);
        QVERIFY(SequenzeBlocchi(ctx).ScriviBlk3());
        QVERIFY(ctx.code.ValoriDaScrivere.Vuota());
        QCOMPARE(ctx.link.RispByte6(), modoPrima);
        ctx.TabMsg[C::RecConfig].Valori[1] = -1;
        QCOMPARE(SequenzeBlocchi(ctx).LeggiRecord(C::RecConfig, true), 0);
        QCOMPARE(ctx.TabMsg[C::RecConfig].Valori, atteso);

        // The map and block 5.
        MsgRecord mappa = ctx.TabMsg[C::RecMappa];
        for (qint32 &v : mappa.Valori)
            v = (v + 3) % 200;
        ctx.code.DatiMap0 = Blocco::CodificaBlocco(mappa);
        ctx.code.DatiBlk5 = Blocco::CodificaBlocco(ctx.TabMsg[C::RecBlk5]);
        QVERIFY(SequenzeBlocchi(ctx).ScriviMappe());
        QVERIFY(ctx.code.DatiMap0.isEmpty());
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
        QVERIFY(carburante(0));
        QVERIFY(seq.CommutaStato());
        QVERIFY2(carburante(3), qPrintable(b.Controllo(u"state"_s)));
        QCOMPARE(ctx.Valore(C::RecComandi, 2) & 1, 0);
        QVERIFY(seq.CommutaStato());
        QVERIFY(carburante(0));

        // A write that the ECU refuses keeps its queue and puts the mode back.
        QVERIFY(b.AvviaEcu({u"--refuse"_s, u"17"_s}) && ApriPorta(ctx));
        ctx.code.ValoriDaScrivere.Aggiungi(1, 4, 8);
        QVERIFY(!SequenzeBlocchi(ctx).ScriviBlk3());
        QVERIFY(!ctx.code.ValoriDaScrivere.Vuota());
        QCOMPARE(ctx.link.RispByte6(), modoPrima);
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
        QCOMPARE(letto.DaTesto(g.Testo()), QString());
        QCOMPARE(letto, g);
        const QByteArray buono = g.Testo();
        const std::pair<const char *, const char *> cambi[] = {
            {"[RIPRISTINO]", "[MAPPA]"}, {"Ecu=87-1234\r\n", ""}, {"Ecu=87-1234", "Ecu=87"},
            {"Immagine=41", "Immagine=G1"}, {"Immagine=41", "Immagine=4"}, {"Servizio=16", "Servizio=999"},
            {"Valori=0,2:3,5", "Valori=0,x"}, {"PausaMs=1000", "PausaMs 1000"}};
        for (const auto &[da, a] : cambi)
            QVERIFY2(!GiornaleRipristino().DaTesto(QByteArray(buono).replace(da, a)).isEmpty(), a);
        QVERIFY(!GiornaleRipristino().DaTesto(buono.left(buono.indexOf("[VOCE]"))).isEmpty()); // nothing to restore

        // Files: written and read back; what is not a small regular file is refused.
        QTemporaryDir cartella;
        const QString percorso = GiornaleRipristino::Percorso(cartella.path(), g.lotto, g.matricola);
        QCOMPARE(g.Scrivi(percorso), QString());
        QCOMPARE(GiornaleRipristino::Tutti(cartella.path()), QStringList{percorso});
        QCOMPARE(GiornaleRipristino::Leggi(percorso).value_or(GiornaleRipristino()), g);
        QString errore;
        QVERIFY(!GiornaleRipristino::Leggi(cartella.path(), &errore));
        QVERIFY(errore.contains(u"not a regular file"_s));
        QFile grande(cartella.filePath(u"grande.txt"_s));
        QVERIFY(grande.open(QIODevice::WriteOnly) && grande.resize(5LL << 30));
        grande.close();
        QVERIFY(!GiornaleRipristino::Leggi(grande.fileName(), &errore));
        QVERIFY(errore.contains(u"larger"_s));
    }

    // A whole block and single values go back; a setting the user changed
    // meanwhile outside the journal's values stays; the journal goes only
    // once the ECU holds it. The interpolation mode is journaled before its
    // write. The link lost during the restore: the journal stays and says so;
    // the next connection puts it back and tells what; a journal of another
    // ECU stays untouched.
    void ripristinoSullEcu()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu() && b.Avvia() && b.Cerca());
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
        QVERIFY(ScriviConfig(ctx, 25, 0));
        QVERIFY(ScriviConfig(ctx, 12, abilitazioni ^ 1, 1));
        QVERIFY(ScriviConfig(ctx, 12, abilitazioni ^ 2, 2)); // the user's change, not journaled
        RipristinoEcu::Esito e = r.Ripristina();
        QVERIFY2(e.completo, qPrintable(e.mancanti.join(',')));
        QVERIFY(!e.rimessi.isEmpty());
        QVERIFY(!QFileInfo::exists(r.PercorsoEcu()) && !r.Aperto());
        QCOMPARE(SequenzeBlocchi(ctx).LeggiRecord(C::RecConfig, true), 0);
        QCOMPARE(ctx.Valore(C::RecConfig, 25), sensore);
        QCOMPARE(ctx.Valore(C::RecConfig, 12), abilitazioni ^ 2);

        QVERIFY(ModoInterpolazione::Entra(ctx));
        QVERIFY(QFileInfo::exists(r.PercorsoEcu()));
        QCOMPARE(ctx.stato.OperazioneRichiesta, Operazione::ScriviConfig);
        const qint32 altri = ctx.Valore(C::RecConfig, 12) & ~1;
        QVERIFY(SequenzeBlocchi(ctx).ScriviBlk3());
        QCOMPARE(ctx.Valore(C::RecConfig, 25), 0);
        QCOMPARE(ctx.Valore(C::RecConfig, 12), altri); // end-of-gas off, the rest kept
        QCOMPARE(ModoInterpolazione::Esci(ctx), ctx.imp.FineGasSalvato > 0 ? 3 : 2);
        QCOMPARE(ctx.stato.RipristinoRichiesto, quint8(1));
        bool riuscito = false;
        const QString testo = ModoInterpolazione::Ripristina(ctx, &riuscito);
        QVERIFY2(riuscito, qPrintable(testo));
        QCOMPARE(ctx.stato.RipristinoRichiesto, quint8(0));
        QCOMPARE(ctx.Valore(C::RecConfig, 25), sensore);
        QVERIFY(!QFileInfo::exists(r.PercorsoEcu()));

        SequenzeBlocchi(ctx).LeggiRecord(C::RecConfig, true);
        const QByteArray immagine = MessaggioEcu::DatiRisposta(ctx.TabMsg[C::RecConfig].Immagine);
        QCOMPARE(r.Apri(u"autotuning"_s, {r.Voce(C::RecConfig)}), QString());
        QVERIFY(ScriviConfig(ctx, 25, 0));
        const QString percorso = r.PercorsoEcu();
        b.FermaEcu();
        e = r.Ripristina();
        QVERIFY(!e.completo);
        QVERIFY(QFileInfo::exists(percorso));
        QVERIFY(r.Testo(e).contains(QDir::toNativeSeparators(percorso)));
        r.Rilascia();
        GiornaleRipristino estraneo = *GiornaleRipristino::Leggi(percorso);
        estraneo.lotto = 1;
        estraneo.matricola = 2;
        const QString diAltra = GiornaleRipristino::Percorso(ctx.imp.CartellaDati, 1, 2);
        QCOMPARE(estraneo.Scrivi(diAltra), QString());
        QVERIFY(b.AvviaEcu());
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
        QVERIFY(!ModoInterpolazione::Entra(ctx));
        QVERIFY(!ctx.InterpolazioneAttiva);
        QCOMPARE(ctx.stato.OperazioneRichiesta, Operazione::Nessuna);
        QVERIFY(b.ui.mostrati.last().testo.contains(u"nothing was changed"_s));
    }
};

GASCAL_PROVA(TstEcuReale)
#include "tst_ecu_reale.moc"
