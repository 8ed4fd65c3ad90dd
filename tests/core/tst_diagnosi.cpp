// The port reports of the communication process, the search's choice of the
// port that came closest to an ECU, and what the frame's connection line and
// the wait window say of them in the user's language.
#include "RegistroProve.h"
#include "app/Contesto.h"
#include "app/GruppiUtente.h"
#include "app/ServiziUiScriptati.h"
#include "app/StatoCollegamento.h"
#include "i18n/Risorse.h"
#include "link/RapportoPorta.h"
#include "mapfile/DiagnosiRicerca.h"
#include "mapfile/TestoDiagnosi.h"

#include <QTest>

#include <grp.h>
#include <unistd.h>

using namespace gascal;
using namespace Qt::StringLiterals;
using Esito = RapportoPorta::Esito;
using A = GruppiUtente::Appartenenza;

namespace {
RapportoPorta Rapporto(int porta, Esito esito, const QString &dispositivo = {})
{
    RapportoPorta r;
    r.porta = porta;
    r.esito = esito;
    r.dispositivo = dispositivo;
    return r;
}
void Lingua(Contesto &ctx, int lingua)
{
    ctx.diz.ImpostaTesti(Risorse::CaricaRisorsa(Dizionario::NumeroRisorsa(lingua), Dizionario::RisorsaDi(lingua)).mid(2));
}
QByteArray MioGruppo() { return getgrgid(getegid())->gr_name; }
} // namespace

class TstDiagnosi : public QObject
{
    Q_OBJECT
private slots:
    // The report's text: the owner and mode, or the fix this user needs.
    void testoDelRapporto_data()
    {
        QTest::addColumn<QByteArray>("proprietario");
        QTest::addColumn<QByteArray>("modo");
        QTest::addColumn<bool>("adattatore");
        QTest::addColumn<QStringList>("contiene");
        QTest::addColumn<QString>("manca");
        QTest::newRow("device") << "root:tty"_ba << "0600"_ba << false
                                << QStringList{"port 0 (/dev/ttyUSB0): no permission (owner root:tty, mode 0600)."} << "";
        QTest::newRow("adapter: the group fix, whatever owner and mode")
            << "root:dialout"_ba << "0660"_ba << true << QStringList{"dialout group", "log in again"} << "0660";
        QTest::newRow("a group this session has: no useless fix")
            << "root:" + MioGruppo() << "0660"_ba << true << QStringList{"(owner root:" + QString::fromLocal8Bit(MioGruppo())} << "usermod";
        QTest::newRow("a workshop group of the udev rule") << "root:no-such-group-here"_ba << "0660"_ba << true
            << QStringList{"sudo usermod -aG no-such-group-here " + GruppiUtente::NomeUtente()} << "";
        QTest::newRow("a mode that gives the group nothing") << "root:no-such-group-here"_ba << "0600"_ba << true
                                                             << QStringList{} << "usermod";
    }
    void testoDelRapporto()
    {
        QFETCH(QByteArray, proprietario);
        QFETCH(QByteArray, modo);
        QFETCH(bool, adattatore);
        QFETCH(QStringList, contiene);
        QFETCH(QString, manca);
        const auto r = RapportoPorta::Decodifica("port=0\nstatus=5\ndevice=/dev/ttyUSB0\nadapter=" + QByteArray::number(adattatore)
                                                 + "\nowner=" + proprietario + "\nmode=" + modo + "\nunknown=kept out\n");
        QVERIFY(r);
        QCOMPARE(r->esito, Esito::SenzaPermesso);
        for (const QString &parte : contiene)
            QVERIFY2(r->Testo().contains(parte), qPrintable(r->Testo()));
        QVERIFY2(manca.isEmpty() || !r->Testo().contains(manca), qPrintable(r->Testo()));
        // Before any connection attempt, or from a process that does not know
        // the command, there is nothing to report.
        for (const char *vuoto : {"port=-1\nstatus=0\ndevice=\n", "unknown command 12", "status=4\n", ""})
            QVERIFY(!RapportoPorta::Decodifica(vuoto));
    }

    void ilRimedioDipendeDalGruppoDiQuestoUtente()
    {
        const auto rimedio = [](A a) { return GruppiUtente::Rimedio(u"dialout"_s, u"ada"_s, a); };
        QVERIFY(rimedio(A::No).contains(u"sudo usermod -aG dialout ada"_s));
        QVERIFY(rimedio(A::No).contains(u"log in again"_s));
        // A member since this session began only needs a new login.
        QVERIFY(!rimedio(A::DopoNuovoAccesso).contains(u"usermod"_s));
        QVERIFY(rimedio(A::DopoNuovoAccesso).contains(u"log out and log in again"_s));
        QVERIFY(rimedio(A::NellaSessione).isEmpty());
        // The system's answer for this process: its own group is the session's,
        // a group that does not exist is nobody's.
        QCOMPARE(GruppiUtente::Di(QString::fromLocal8Bit(MioGruppo())), A::NellaSessione);
        QCOMPARE(GruppiUtente::Di(u"no-such-group-here"_s), A::No);
    }

    void sceglieLaPortaPiuVicina()
    {
        DiagnosiRicerca d;
        QVERIFY(d.Vuota() && d.Testo().isEmpty());
        d.Registra(Rapporto(0, Esito::Mancante));
        d.Registra(Rapporto(1, Esito::NessunaRisposta, u"/dev/ttyS0"_s));
        d.Registra(Rapporto(2, Esito::SenzaPermesso));
        QCOMPARE(d.PiuVicina()->porta, 1);
        // On a tie the lowest port wins, whatever the order of the reports.
        d.Registra(Rapporto(5, Esito::NessunaRisposta));
        QCOMPARE(d.PiuVicina()->porta, 1);
        // A port's latest report replaces the earlier one: an adapter pulled
        // out is no longer the closest.
        d.Registra(Rapporto(1, Esito::Mancante));
        QCOMPARE(d.PiuVicina()->porta, 5);
        d.Registra(Rapporto(3, Esito::RisposteConfuse));
        QCOMPARE(d.PiuVicina()->porta, 3);
        d.Registra(Rapporto(4, Esito::SenzaFirmware));
        QCOMPARE(d.PiuVicina()->esito, Esito::SenzaFirmware);
        d.Azzera();
        QVERIFY(!d.PiuVicina());
    }

    // Searching, connected on the port with its device, offline, and the
    // reconnection notice given once.
    void statoEAvvisoDiRicollegamento()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        Lingua(ctx, Dizionario::Italiano);
        StatoCollegamento stato;
        ctx.diagnosi.Collegata(Rapporto(2, Esito::NessunaRisposta, u"/dev/ttyUSB0"_s));
        const struct {
            int statoProgramma;
            QString linea, avviso;
        } passi[] = {
            {StatoApp::Ricerca, u"Ricerca della centralina..."_s, {}},
            {StatoApp::Connesso, u"Collegato sulla porta 2 (/dev/ttyUSB0)"_s, {}}, // no reconnection
            {StatoApp::Ricerca, {}, {}},
            {StatoApp::Connesso, {}, u"Centralina ricollegata sulla porta 2."_s},
            {StatoApp::Connesso, {}, {}},                                          // told once
            {StatoApp::Operazione, u"Scrittura nella centralina..."_s, {}},
            {StatoApp::Offline, u"Offline: lavoro senza centralina"_s, {}},
            {StatoApp::Connesso, {}, {}}, // from offline: a new connection
        };
        for (const auto &p : passi) {
            ctx.stato.StatoProgramma = p.statoProgramma;
            ctx.stato.ErroreComunicazione = p.statoProgramma == StatoApp::Ricerca;
            QString avviso;
            const QString linea = stato.Aggiorna(ctx, &avviso);
            QVERIFY2(p.linea.isEmpty() || linea == p.linea, qPrintable(linea));
            QCOMPARE(avviso, p.avviso);
        }
        QCOMPARE(StatoCollegamento::TestoPagina(ctx, 2), u"Pagina 3 di 3: Retta di calibrazione (F2: pagina successiva)"_s);
    }

    void causeDellePorteInOgniLingua()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        RapportoPorta r = Rapporto(3, Esito::SenzaPermesso, u"/dev/ttyS3"_s);
        r.proprietario = u"root:tty"_s;
        r.modo = u"0600"_s;
        // Without the section, and in English, the report's own text.
        QCOMPARE(TestoDiagnosi::Testo(r, ctx.diz), r.Testo());
        Lingua(ctx, Dizionario::Inglese);
        QCOMPARE(TestoDiagnosi::Testo(r, ctx.diz), r.Testo());
        Lingua(ctx, Dizionario::Ucraino);
        QCOMPARE(TestoDiagnosi::Testo(r, ctx.diz), u"порт 3 (/dev/ttyS3): немає дозволу (власник root:tty, режим 0600)."_s);
        // Every cause has a text of its own in every language.
        for (int lingua = 0; lingua < Dizionario::NumeroLingue; ++lingua) {
            Lingua(ctx, lingua);
            QSet<QString> cause;
            for (int e = int(Esito::Mancante); e <= int(Esito::SenzaFirmware); ++e)
                cause << TestoDiagnosi::Causa(Rapporto(1, Esito(e)), ctx.diz);
            QCOMPARE(cause.size(), 7);
            QVERIFY(!cause.contains(QString()));
        }
    }
};

GASCAL_PROVA(TstDiagnosi)
#include "tst_diagnosi.moc"
