// The restore journal: its file, and the restore of an ECU from it against
// the virtual ECU (a block changed meanwhile, a settings change the user made
// meanwhile kept, a link lost during the restore, a journal of another ECU,
// the interpolation mode's way in and out).

#include "RegistroProve.h"
#include "BancoEcu.h"

#include "ecu/GiornaleRipristino.h"
#include "ecu/RipristinoEcu.h"
#include "ecu/SequenzeBlocchi.h"
#include "interp/ModoInterpolazione.h"
#include "link/MessaggioEcu.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace gascal;

namespace {

GiornaleRipristino Esempio()
{
    GiornaleRipristino g;
    g.operazione = QStringLiteral("autotuning");
    g.lotto = 87;
    g.matricola = 1234;
    g.creato = QDateTime(QDate(2026, 12, 8), QTime(15, 0));
    g.voci = {{2, 16, QByteArray("\x41\x02\x56\x00\x05\x03\x00\x02\x00\xC0\x05\x97", 12), {{0, 0}, {2, 3}, {5, 0}}, 1000},
              {3, 17, QByteArray(40, '\x11'), {}, 0}};
    return g;
}

// Writes value k of record 3 into the ECU through the configuration queue, as a page does.
bool ScriviConfig(Contesto &ctx, int k, qint32 valore, qint32 maschera = 0)
{
    ctx.code.ValoriDaScrivere.Imposta(valore, k, maschera);
    return SequenzeBlocchi(ctx).ScriviBlk3();
}

} // namespace

class TstRipristino : public QObject
{
    Q_OBJECT
private slots:
    void journalTextRoundTripsAndBadTextIsRefused()
    {
        const GiornaleRipristino g = Esempio();
        GiornaleRipristino letto;
        QCOMPARE(letto.DaTesto(g.Testo()), QString());
        QCOMPARE(letto, g);

        const QByteArray buono = g.Testo();
        const struct {
            const char *caso;
            QByteArray testo;
        } cattivi[] = {
            {"no header", QByteArray(buono).replace("[RIPRISTINO]", "[MAPPA]")},
            {"no ECU", QByteArray(buono).replace("Ecu=87-1234\r\n", "")},
            {"ECU not lot-serial", QByteArray(buono).replace("Ecu=87-1234", "Ecu=87")},
            {"image not hex", QByteArray(buono).replace("Immagine=41", "Immagine=G1")},
            {"odd image", QByteArray(buono).replace("Immagine=41", "Immagine=4")},
            {"service out of range", QByteArray(buono).replace("Servizio=16", "Servizio=999")},
            {"bad value", QByteArray(buono).replace("Valori=0,2:3,5", "Valori=0,x")},
            {"nothing to restore", buono.left(buono.indexOf("[VOCE]"))},
            {"no key", QByteArray(buono).replace("PausaMs=1000", "PausaMs 1000")},
        };
        for (const auto &c : cattivi)
            QVERIFY2(!GiornaleRipristino().DaTesto(c.testo).isEmpty(), c.caso);

        // Files: written and read back; what is not a small regular file is refused.
        QTemporaryDir cartella;
        const QString percorso = GiornaleRipristino::Percorso(cartella.path(), g.lotto, g.matricola);
        QCOMPARE(g.Scrivi(percorso), QString());
        QCOMPARE(GiornaleRipristino::Tutti(cartella.path()), QStringList{percorso});
        QCOMPARE(GiornaleRipristino::Leggi(percorso).value_or(GiornaleRipristino()), g);
        QString errore;
        QVERIFY(!GiornaleRipristino::Leggi(cartella.path(), &errore));
        QVERIFY(errore.contains(QStringLiteral("not a regular file")));
        QFile grande(cartella.filePath(QStringLiteral("grande.txt")));
        QVERIFY(grande.open(QIODevice::WriteOnly) && grande.resize(5LL << 30));
        grande.close();
        QVERIFY(!GiornaleRipristino::Leggi(grande.fileName(), &errore));
        QVERIFY(errore.contains(QStringLiteral("larger")));
    }

    // A whole block and single values go back; a setting the user changed
    // meanwhile outside the journal's values stays; the journal goes only
    // once the ECU holds it.
    void restorePutsBackTheJournalAndNothingElse()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu() && b.Avvia() && b.Cerca());
        Contesto &ctx = *b.ctx;
        SequenzeBlocchi letture(ctx);
        QCOMPARE(letture.LeggiRecord(Contesto::RecConfig, true), 0);
        const qint32 velocita = ctx.Valore(Contesto::RecConfig, 25);
        const qint32 abilitazioni = ctx.Valore(Contesto::RecConfig, 12);
        RipristinoEcu &r = ctx.ripristino;
        QCOMPARE(r.Apri(QStringLiteral("interpolation"),
                        {r.Voce(Contesto::RecConfig, {{25, 0}, {12, 1}})}),
                 QString());
        QVERIFY(QFileInfo::exists(r.PercorsoEcu()));
        // A second operation on the same ECU cannot start while this one is open.
        RipristinoEcu altro(ctx);
        QVERIFY(!altro.Apri(QStringLiteral("autotuning"), {altro.Voce(Contesto::RecConfig)}).isEmpty());

        QVERIFY(ScriviConfig(ctx, 25, 0));
        QVERIFY(ScriviConfig(ctx, 12, abilitazioni ^ 1, 1));
        QVERIFY(ScriviConfig(ctx, 12, abilitazioni ^ 2, 2));   // the user's change, not journaled
        const RipristinoEcu::Esito e = r.Ripristina();
        QVERIFY2(e.completo, qPrintable(e.mancanti.join(',')));
        QVERIFY(!e.rimessi.isEmpty());
        QVERIFY(!QFileInfo::exists(r.PercorsoEcu()));
        QVERIFY(!r.Aperto());
        QCOMPARE(letture.LeggiRecord(Contesto::RecConfig, true), 0);
        QCOMPARE(ctx.Valore(Contesto::RecConfig, 25), velocita);
        QCOMPARE(ctx.Valore(Contesto::RecConfig, 12), abilitazioni ^ 2);
    }

    // The link lost during the restore: the journal stays and says so; the
    // next connection puts it back and tells what; a journal of another ECU
    // stays untouched.
    void journalLeftBehindIsPutBackOnTheNextConnection()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu() && b.Avvia() && b.Cerca());
        Contesto &ctx = *b.ctx;
        SequenzeBlocchi(ctx).LeggiRecord(Contesto::RecConfig, true);
        const QByteArray prima = MessaggioEcu::DatiRisposta(ctx.TabMsg[Contesto::RecConfig].Immagine);
        RipristinoEcu &r = ctx.ripristino;
        QCOMPARE(r.Apri(QStringLiteral("autotuning"), {r.Voce(Contesto::RecConfig)}), QString());
        QVERIFY(ScriviConfig(ctx, 25, 0));
        const QString percorso = r.PercorsoEcu();

        b.FermaEcu();
        const RipristinoEcu::Esito e = r.Ripristina();
        QVERIFY(!e.completo);
        QVERIFY(QFileInfo::exists(percorso));
        QVERIFY(r.Testo(e).contains(QDir::toNativeSeparators(percorso)));
        r.Rilascia();

        GiornaleRipristino estraneo = *GiornaleRipristino::Leggi(percorso);
        estraneo.lotto = 1;
        estraneo.matricola = 2;
        const QString altro = GiornaleRipristino::Percorso(ctx.imp.CartellaDati, 1, 2);
        QCOMPARE(estraneo.Scrivi(altro), QString());

        QVERIFY(b.AvviaEcu());
        ctx.stato.ErroreComunicazione = 1;
        QVERIFY(b.Cerca());
        const QString testo = r.RipristinaPendente();
        QVERIFY2(testo.contains(QStringLiteral("autotuning")), qPrintable(testo));
        QVERIFY2(testo.contains(QDir::toNativeSeparators(altro)), qPrintable(testo));
        QVERIFY(!QFileInfo::exists(percorso));
        QVERIFY(QFileInfo::exists(altro));
        SequenzeBlocchi(ctx).LeggiRecord(Contesto::RecConfig, true);
        QCOMPARE(MessaggioEcu::DatiRisposta(ctx.TabMsg[Contesto::RecConfig].Immagine), prima);
        // Nothing more to do on the next connection.
        QVERIFY(!r.RipristinaPendente().contains(QStringLiteral("autotuning")));
    }

    void interpolationModeIsJournaledBeforeItsWrite()
    {
        BancoEcu b;
        QVERIFY(b.AvviaEcu() && b.Avvia() && b.Cerca());
        Contesto &ctx = *b.ctx;
        const qint32 sensore = ctx.Valore(Contesto::RecConfig, 25);
        QVERIFY(ModoInterpolazione::Entra(ctx));
        QVERIFY(QFileInfo::exists(ctx.ripristino.PercorsoEcu()));
        QCOMPARE(ctx.stato.OperazioneRichiesta, gascal::Operazione::ScriviConfig);
        const qint32 altri = ctx.Valore(Contesto::RecConfig, 12) & ~1;
        QVERIFY(SequenzeBlocchi(ctx).ScriviBlk3());
        QCOMPARE(ctx.Valore(Contesto::RecConfig, 25), 0);
        QCOMPARE(ctx.Valore(Contesto::RecConfig, 12), altri);   // end-of-gas off, the rest kept

        QCOMPARE(ModoInterpolazione::Esci(ctx), ctx.imp.FineGasSalvato > 0 ? 3 : 2);
        QCOMPARE(ctx.stato.RipristinoRichiesto, quint8(1));
        bool riuscito = false;
        const QString testo = ModoInterpolazione::Ripristina(ctx, &riuscito);
        QVERIFY2(riuscito, qPrintable(testo));
        QCOMPARE(ctx.stato.RipristinoRichiesto, quint8(0));
        QCOMPARE(ctx.Valore(Contesto::RecConfig, 25), sensore);
        QVERIFY(!QFileInfo::exists(ctx.ripristino.PercorsoEcu()));

        // A journal that cannot be written: the mode is not entered and nothing is queued.
        const QString dati = QDir::cleanPath(ctx.imp.CartellaDati);
        QVERIFY(QDir(dati).removeRecursively());
        QFile bloccante(dati);   // a file where the data folder should be
        QVERIFY(bloccante.open(QIODevice::WriteOnly));
        bloccante.close();
        ctx.stato.OperazioneRichiesta = gascal::Operazione::Nessuna;
        ctx.code.ValoriDaScrivere = CodaScrittura();
        QVERIFY(!ModoInterpolazione::Entra(ctx));
        QVERIFY(!ctx.InterpolazioneAttiva);
        QCOMPARE(ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna);
        QVERIFY(b.ui.mostrati.last().testo.contains(QStringLiteral("nothing was changed")));
    }
};

GASCAL_PROVA(TstRipristino)
#include "tst_ripristino.moc"
