// The dictionaries, PrjCom's port reports, the closest port, and what is said of them.
#include "RegistroProve.h"
#include "FileProva.h"
#include "app/Contesto.h"
#include "app/GruppiUtente.h"
#include "app/ServiziUiScriptati.h"
#include "app/StatoCollegamento.h"
#include "i18n/Risorse.h"
#include "link/RapportoPorta.h"
#include "mapfile/DiagnosiRicerca.h"
#include "mapfile/TestoDiagnosi.h"
#include <QFile>
#include <QTemporaryDir>
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
// Sections that stand at the same line in every language.
const QStringList Sezioni{"[Frm_Barra]", "[Frm_Config]", "[Frm_Congif_2]", "[Frm_Retta]",
                          "[Frm_AutoTuning]", "[Frm_Interpola]", "[Frm_SelAlim]"};
// The windows added last and their text counts: their sections close the files in this order.
const QList<std::pair<QString, int>> SezioniNuove{
    {"[Frm_Grafico]", 25}, {"[Frm_Datalog]", 7}, {"[Frm_Confronto]", 11},
    {"[Frm_Stato]", 13}, {"[Frm_Barra_2]", 33}, {"[Frm_AutoTuning_2]", 2}, {"[Frm_Retta_2]", 9},
    {"[Frm_Wait_2]", 14}, {"[Frm_Grafico_2]", 8}, {"[Frm_Config_Note]", 1}, {"[Frm_Interpola_2]", 7},
    {"[Ripristino]", 11}, {"[Messaggi]", 28}};
} // namespace

class TstDiagnosi : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    Dizionario::Percorsi Percorsi() const
    {
        return {m_dir.filePath("TEST.DIZ"), m_dir.filePath("diz.ini"), m_dir.filePath("font.ini")};
    }
    QByteArray DizIni() const { return Leggi(m_dir.filePath("diz.ini")); }

private slots:
    void firstStartIsEnglishThenNextCyclesThroughAllSix()
    {
        Dizionario d;
        QVERIFY(d.CaricaDizionario(false, Percorsi()));
        QVERIFY(d.LinguaCorrente == Dizionario::Inglese && DizIni().trimmed() == "0");
        QSet<QString> fonts;
        for (int passo = 1; passo <= 6; ++passo) {
            d.CaricaDizionario(true, Percorsi());
            QCOMPARE(QString::number(d.LinguaCorrente) + DizIni().trimmed() + d.Testo(0),
                     QString::number(passo % 6) + QString::number(passo % 6) + u"GasCal"_s);
            fonts.insert(d.FontNome);
        }
        QVERIFY(fonts.contains(u"Loma"_s)); // Thai needs its own font
    }
    // Every text in every language: none empty, no marks in the last sections, placeholders kept.
    void everyLanguageHasEveryText()
    {
        const QStringList inglese = Risorse::CaricaRisorsa(105, u"DIZ_ENG"_s);
        for (const QString &sezione : Sezioni)
            QVERIFY2(inglese.contains(sezione), qPrintable(sezione));
        // The autotuning window reads texts up to +45 of its section.
        const qsizetype at = inglese.indexOf(u"[Frm_AutoTuning]"_s);
        QVERIFY(!inglese.mid(at + 1, 45).contains(u"[Frm_Interpola]"_s));
        for (int lingua = 0; lingua < Dizionario::NumeroLingue; ++lingua) {
            const QString nome = Dizionario::RisorsaDi(lingua);
            const QStringList righe = Risorse::CaricaRisorsa(Dizionario::NumeroRisorsa(lingua), nome);
            QCOMPARE(righe.size(), inglese.size());
            for (const QString &sezione : Sezioni)
                QCOMPARE(righe.indexOf(sezione), inglese.indexOf(sezione));
            for (qsizetype i = 2; i < righe.size(); ++i)
                QVERIFY2(!righe.at(i).trimmed().isEmpty() || inglese.at(i).trimmed().isEmpty(),
                         qPrintable(u"%1 line %2 is empty"_s.arg(nome).arg(i)));
            qsizetype attesa = 143;
            for (const auto &[sezione, testi] : SezioniNuove) {
                QCOMPARE(righe.indexOf(sezione), attesa);
                for (int k = 1; k <= testi; ++k) {
                    const QString &testo = righe.at(attesa + k);
                    const QString dove = u"%1 %2 +%3"_s.arg(nome, sezione).arg(k);
                    QVERIFY2(!testo.startsWith(QLatin1Char('[')) && !testo.contains(QLatin1Char('|')), qPrintable(dove));
                    QVERIFY2(testo.contains("%1"_L1) == inglese.at(attesa + k).contains("%1"_L1), qPrintable(dove));
                }
                attesa += testi + 1;
            }
            QCOMPARE(attesa, righe.size());
        }
        QVERIFY(Risorse::RigheDaByte("abc") == QStringList{QString()} && Risorse::RigheDaByte("not hex\r\ntail").size() == 1);
    }
    // A translator's file wins and leaves diz.ini alone; font.ini overrides the font; past the last, English.
    void testDictionaryAndFontOverrides()
    {
        Scrivi(m_dir.filePath("TEST.DIZ"), "x#y#Test Font#7\r\nTitle\r\nOne\r\n");
        Scrivi(m_dir.filePath("diz.ini"), "3\r\n");
        Dizionario d;
        d.CaricaDizionario(true, Percorsi());
        QCOMPARE((QStringList{d.Testo(0), d.Testo(1), d.FontNome, QString::number(d.FontCharset)}),
                 (QStringList{"Title #TEST.DIZ# ", "One", "Test Font", "7"}));
        QCOMPARE(DizIni(), QByteArray("3\r\n"));
        QFile::remove(m_dir.filePath("TEST.DIZ"));
        d.LeggiIntestazioneDiz(u"a#b#Only Name"_s);
        QCOMPARE(d.FontNome + QString::number(d.FontCharset), u"Only Name7"_s);
        Scrivi(m_dir.filePath("diz.ini"), "5\r\n");
        Scrivi(m_dir.filePath("font.ini"), "Other Font,300\r\n");
        d.CaricaDizionario(true, Percorsi());
        QVERIFY(d.LinguaCorrente == 0 && DizIni().trimmed() == "0");
        QCOMPARE(d.FontNome + QString::number(d.FontCharset), u"Other Font0"_s);
    }
    // The report's text: the owner and mode, or the fix this user needs.
    void testoDelRapporto()
    {
        const QByteArray mio = MioGruppo();
        const struct { QByteArray proprietario, modo; bool adattatore; QStringList contiene; QString manca; } casi[] = {
            {"root:tty", "0600", false, {"port 0 (/dev/ttyUSB0): no permission (owner root:tty, mode 0600)."}, {}},
            // An adapter: the group fix, whatever owner and mode.
            {"root:dialout", "0660", true, {"dialout group", "log in again"}, "0660"},
            // A group this session has: no useless fix.
            {"root:" + mio, "0660", true, {"(owner root:" + QString::fromLocal8Bit(mio)}, "usermod"},
            // A workshop group of the udev rule; a mode that gives the group nothing.
            {"root:no-such-group-here", "0660", true, {"sudo usermod -aG no-such-group-here " + GruppiUtente::NomeUtente()}, {}},
            {"root:no-such-group-here", "0600", true, {}, "usermod"},
        };
        for (const auto &c : casi) {
            const auto r = RapportoPorta::Decodifica("port=0\nstatus=5\ndevice=/dev/ttyUSB0\nadapter="
                                                     + QByteArray::number(c.adattatore) + "\nowner=" + c.proprietario
                                                     + "\nmode=" + c.modo + "\nunknown=kept out\n");
            QVERIFY(r && r->esito == Esito::SenzaPermesso);
            for (const QString &parte : c.contiene)
                QVERIFY2(r->Testo().contains(parte), qPrintable(r->Testo()));
            QVERIFY2(c.manca.isEmpty() || !r->Testo().contains(c.manca), qPrintable(r->Testo()));
        }
        // Before any attempt, or from a process without the command, no report.
        for (const char *vuoto : {"port=-1\nstatus=0\ndevice=\n", "unknown command 12", "status=4\n", ""})
            QVERIFY(!RapportoPorta::Decodifica(vuoto));
        // A member since this session began only needs a new login; one in this session, nothing.
        const auto rimedio = [](A a) { return GruppiUtente::Rimedio(u"dialout"_s, u"ada"_s, a); };
        QVERIFY(!rimedio(A::DopoNuovoAccesso).contains(u"usermod"_s)
                && rimedio(A::DopoNuovoAccesso).contains(u"log out and log in again"_s));
        QVERIFY(rimedio(A::NellaSessione).isEmpty());
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
        // A port's latest report replaces the earlier one.
        d.Registra(Rapporto(1, Esito::Mancante));
        QCOMPARE(d.PiuVicina()->porta, 5);
        d.Registra(Rapporto(3, Esito::RisposteConfuse));
        QCOMPARE(d.PiuVicina()->porta, 3);
        d.Registra(Rapporto(4, Esito::SenzaFirmware));
        QCOMPARE(d.PiuVicina()->esito, Esito::SenzaFirmware);
        d.Azzera();
        QVERIFY(!d.PiuVicina());
    }
    // The connection line, the reconnection notice once, each port's cause, in the user's language.
    void testiNellaLinguaDellUtente()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        Lingua(ctx, Dizionario::Italiano);
        StatoCollegamento stato;
        ctx.diagnosi.Collegata(Rapporto(2, Esito::NessunaRisposta, u"/dev/ttyUSB0"_s));
        const struct { int statoProgramma; QString linea, avviso; } passi[] = {
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
        QVERIFY(StatoCollegamento::TestoPagina(ctx, 0).startsWith(u"Pagina 1 di 3: "_s));
        // The causes: without the section, and in English, the report's own text.
        RapportoPorta r = Rapporto(3, Esito::SenzaPermesso, u"/dev/ttyS3"_s);
        r.proprietario = u"root:tty"_s;
        r.modo = u"0600"_s;
        ctx.diz.ImpostaTesti({});
        QCOMPARE(TestoDiagnosi::Testo(r, ctx.diz), r.Testo());
        Lingua(ctx, Dizionario::Inglese);
        QCOMPARE(TestoDiagnosi::Testo(r, ctx.diz), r.Testo());
        Lingua(ctx, Dizionario::Ucraino);
        QCOMPARE(TestoDiagnosi::Testo(r, ctx.diz), u"порт 3 (/dev/ttyS3): немає дозволу (власник root:tty, режим 0600)."_s);
        // Every cause has a text of its own in every language; a busy port names who holds it.
        RapportoPorta occupata = Rapporto(1, Esito::Occupata);
        occupata.occupante = u"4242 minicom"_s;
        for (int lingua = 0; lingua < Dizionario::NumeroLingue; ++lingua) {
            Lingua(ctx, lingua);
            QSet<QString> cause;
            for (int e = int(Esito::Mancante); e <= int(Esito::SenzaFirmware); ++e)
                cause << TestoDiagnosi::Causa(Rapporto(1, Esito(e)), ctx.diz);
            QCOMPARE(cause.size(), 7);
            QVERIFY(!cause.contains(QString()) && TestoDiagnosi::Causa(occupata, ctx.diz).contains(occupata.occupante));
        }
    }
};

GASCAL_PROVA(TstDiagnosi)
#include "tst_diagnosi.moc"
