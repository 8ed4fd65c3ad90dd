// The frame's connection line and the wait window's port causes in the
// user's language: searching, connected on the port with its device,
// offline, the reconnection notice given once, and each cause of a port
// report from the dictionary with its details.
#include "RegistroProve.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "app/StatoCollegamento.h"
#include "i18n/Dizionario.h"
#include "i18n/Risorse.h"
#include "mapfile/TestoDiagnosi.h"

#include <QTest>

using namespace gascal;
using Esito = RapportoPorta::Esito;

namespace {
void Lingua(Contesto &ctx, int lingua)
{
    const QStringList righe = Risorse::CaricaRisorsa(Dizionario::NumeroRisorsa(lingua), Dizionario::RisorsaDi(lingua));
    ctx.diz.ImpostaTesti(righe.mid(2));
}
} // namespace

class TstStatoCollegamento : public QObject
{
    Q_OBJECT
private slots:
    void statoEAvvisoDiRicollegamento()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        Lingua(ctx, Dizionario::Italiano);
        StatoCollegamento stato;
        QString avviso;
        ctx.stato.ErroreComunicazione = 1;
        ctx.stato.StatoProgramma = StatoApp::Ricerca;
        QCOMPARE(stato.Aggiorna(ctx, &avviso), QStringLiteral("Ricerca della centralina..."));
        QVERIFY(avviso.isEmpty());

        RapportoPorta r;
        r.porta = 2;
        r.dispositivo = QStringLiteral("/dev/ttyUSB0");
        ctx.diagnosi.Collegata(r);
        ctx.stato.ErroreComunicazione = 0;
        ctx.stato.StatoProgramma = StatoApp::Connesso;
        QCOMPARE(stato.Aggiorna(ctx, &avviso), QStringLiteral("Collegato sulla porta 2 (/dev/ttyUSB0)"));
        QVERIFY(avviso.isEmpty()); // the first connection is no reconnection

        // The link drops, the search finds the ECU again: one notice.
        ctx.stato.ErroreComunicazione = 1;
        ctx.stato.StatoProgramma = StatoApp::Ricerca;
        stato.Aggiorna(ctx, &avviso);
        ctx.stato.ErroreComunicazione = 0;
        ctx.stato.StatoProgramma = StatoApp::Connesso;
        stato.Aggiorna(ctx, &avviso);
        QCOMPARE(avviso, QStringLiteral("Centralina ricollegata sulla porta 2."));
        stato.Aggiorna(ctx, &avviso);
        QVERIFY(avviso.isEmpty());

        // Operations keep the link; offline is said as such.
        ctx.stato.StatoProgramma = StatoApp::Operazione;
        QCOMPARE(stato.Aggiorna(ctx, &avviso), QStringLiteral("Scrittura nella centralina..."));
        QVERIFY(avviso.isEmpty());
        ctx.stato.StatoProgramma = StatoApp::Offline;
        QCOMPARE(stato.Aggiorna(ctx, &avviso), QStringLiteral("Offline: lavoro senza centralina"));
        // Coming back from offline is a new connection, not a reconnection.
        ctx.stato.StatoProgramma = StatoApp::Connesso;
        stato.Aggiorna(ctx, &avviso);
        QVERIFY(avviso.isEmpty());
        QCOMPARE(StatoCollegamento::TestoPagina(ctx, 2),
                 QStringLiteral("Pagina 3 di 3: Retta di calibrazione (F2: pagina successiva)"));
    }

    void causeDellePorteInOgniLingua()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        RapportoPorta r;
        r.porta = 3;
        r.dispositivo = QStringLiteral("/dev/ttyS3");
        r.esito = Esito::SenzaPermesso;
        r.proprietario = QStringLiteral("root:tty");
        r.modo = QStringLiteral("0600");
        // Without the section, the report's own English.
        QCOMPARE(TestoDiagnosi::Testo(r, ctx.diz), r.Testo());
        Lingua(ctx, Dizionario::Inglese);
        QCOMPARE(TestoDiagnosi::Testo(r, ctx.diz), r.Testo());
        Lingua(ctx, Dizionario::Ucraino);
        QCOMPARE(TestoDiagnosi::Testo(r, ctx.diz),
                 QStringLiteral("порт 3 (/dev/ttyS3): немає дозволу (власник root:tty, режим 0600)."));
        // Every cause has a text of its own in every language.
        for (int lingua = 0; lingua < Dizionario::NumeroLingue; ++lingua) {
            Lingua(ctx, lingua);
            QSet<QString> cause;
            for (Esito e : {Esito::Mancante, Esito::SenzaPermesso, Esito::Occupata, Esito::NessunaRisposta,
                            Esito::RisposteConfuse, Esito::LettureFallite, Esito::SenzaFirmware}) {
                RapportoPorta p;
                p.porta = 1;
                p.esito = e;
                cause << TestoDiagnosi::Causa(p, ctx.diz);
            }
            QCOMPARE(cause.size(), 7);
            QVERIFY(!cause.contains(QString()));
        }
    }
};

GASCAL_PROVA(TstStatoCollegamento)
#include "tst_stato_collegamento.moc"
