// Program-wide helpers, the settings folder and command line, and the program's cycle without an ECU.
#include "RegistroProve.h"
#include "Versione.h"
#include "app/CartellaUtente.h"
#include "app/CicloProgramma.h"
#include "app/Contesto.h"
#include "app/Conversioni.h"
#include "app/FileSistema.h"
#include "app/Formati.h"
#include "app/Impostazioni.h"
#include "app/MostraErrore.h"
#include "app/RigaComando.h"
#include "app/ServiziUiScriptati.h"
#include "app/StatoApp.h"
#include "app/TestoByte.h"
#include "app/VistaCiclo.h"
#include "ecu/ScrittureInSospeso.h"
#include "mapfile/Identita.h"
#include "FileProva.h"
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace gascal;
using namespace Qt::StringLiterals;
using Azione = RigaComando::Azione;
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

class TstUtilita : public QObject
{
    Q_OBJECT
    QTemporaryDir m_programma, m_casa;
    QString Prog(const char *nome) const { return m_programma.filePath(QLatin1String(nome)); }
    QString Casa(const char *nome) const { return m_casa.filePath(QLatin1String(nome)); }
    QStringList Semina()
    {
        QString errore;
        const QStringList scritti = CartellaUtente::Semina(m_programma.path(), m_casa.path(), &errore);
        [&] { QCOMPARE(errore, QString()); }();
        return scritti;
    }

private slots:
    // An odd hex text gets a leading zero, in the argument too.
    void hexAndFiles()
    {
        QString testo = u"ABC"_s;
        QVERIFY(HexToStr(testo) == QByteArray("\x0A\xBC", 2) && testo == u"0ABC"_s);
        QByteArray tutti;
        for (int i = 0; i < 256; ++i)
            tutti.append(static_cast<char>(i));
        QVERIFY(HexToStr(StrToHex(tutti)) == tutti && StrToHex(tutti).startsWith(u"000102"_s));
        QTemporaryDir dir;
        const QString file = dir.filePath(u"a.txt"_s);
        Scrivi(file, {});
        QVERIFY(FileExist(file) && DirExist(dir.path()));
        QVERIFY(!FileExist(dir.path()) && !DirExist(file) && !FileExist(dir.filePath(u"none"_s)));
    }
    // Halves go to the even neighbour; the user's separator; at most 3 decimals.
    void numbers()
    {
        using namespace Conversioni;
        const QString v = u","_s, p = u"."_s;
        QCOMPARE((QList<qint64>{Arrotonda(2.5), Arrotonda(3.5), Arrotonda(-2.5), Arrotonda(2.5000001)}),
                 (QList<qint64>{2, 4, -2, 3}));
        // 2,675 x 100 is 267.49999999999997 in binary: it stands for the half 267,5.
        QCOMPARE(Arrotonda(*Numero(u"2,675"_s, v) * 100), 268);
        QCOMPARE((QList<qint64>{Fix(-2.7), Int(-2.3), Int(0.29 * 100)}), (QList<qint64>{-2, -3, 29}));
        QCOMPARE(Fix(*Numero(u"1.005"_s, p) * 1000 - 128), 877);
        QVERIFY(Numero(u" 1,2 "_s, v) == 1.2 && Numero(u"1.2"_s, p) == 1.2);
        // The other mark would be a grouping mark: refused, never 12.
        for (const auto &[testo, separatore] : {std::pair{u"1.2"_s, v}, {u"1,2"_s, p}, {u"Off"_s, v}, {QString(), v}})
            QVERIFY(!Numero(testo, separatore));
        QCOMPARE(Intero(u"2,5"_s, v), std::optional<qint64>(2));
        QCOMPARE((QStringList{TestoMilli(1200, v), TestoMilli(4, v), TestoMilli(6000, v), TestoMilli(0, p),
                              TestoMilli(-1500, p)}), (QStringList{"1,2", "0,004", "6", "0", "-1.5"}));
        QCOMPARE((QStringList{TestoDecimali(60 * 5 / 1024.0, 3, v), TestoDecimali(0.0625, 3, v),
                              TestoDecimali(0.125, 2, p)}), (QStringList{"0,293", "0,062", "0.12"}));
        QCOMPARE((QStringList{FormatMilli(1234, 2, v), FormatMilli(5, 3, v), FormatMilli(-1500, 1, v),
                              FormatMilli(1234, 5, v), FormatMilli(1234, -2, v), FormatMilli(1234567, 1, v)}),
                 (QStringList{"1,23", "0,005", "-1,5", "1,234", "1", "1234,5"}));
    }
    // 3146 is not reported from an error handler, and large numbers are shown in hex.
    void errorReportText()
    {
        const struct { const char *testo2; qint64 numero; const char *atteso; } casi[] = {
            {"Config error", 0, "Config errorErrorX:\r"}, {"", 13, "ErrorX:\r\r13 - d"},
            {"", 3146, "ErrorX:\r"}, {"", 0x80004005LL, "ErrorX:\r\r = &H80004005 - d"}};
        for (const auto &c : casi) {
            ServiziUiScriptati ui;
            MostraErrore(ui, u"GasCal"_s, u"X"_s, QLatin1String(c.testo2), 0, c.numero, u"d"_s);
            QCOMPARE(ui.Testi(), QStringList{QLatin1String(c.atteso)});
            QVERIFY(ui.mostrati[0].titolo == u"GasCal: Error"_s && ui.mostrati[0].icona == ServiziUi::Icona::Esclamazione);
        }
    }
    // Seeding copies settings, not programs; updates replace untouched copies only; deleted ones come back.
    void seminaEAggiornamenti()
    {
        const auto scrivi = [](const QString &cartella, std::initializer_list<std::pair<const char *, const char *>> file) {
            for (const auto &[nome, testo] : file)
                Scrivi(cartella + QLatin1Char('/') + QLatin1String(nome), testo);
        };
        const auto casa = [this](std::initializer_list<const char *> nomi) {
            QByteArrayList testi;
            for (const char *nome : nomi)
                testi << Leggi(Casa(nome));
            return testi.join('|');
        };
        scrivi(m_programma.path(), {{"SetCom.ini", "setcom 1"}, {"PrjCom.ini", "; version 1"}, {"map.ini", "map 1"},
                                    {"PrjCom", "binary"}});
        QCOMPARE(Semina(), (QStringList{"SetCom.ini", "PrjCom.ini", "map.ini"}));
        QCOMPARE(casa({"SetCom.ini", "PrjCom"}), QByteArray("setcom 1|"));
        QVERIFY(QFileInfo(Casa("Data")).isDir() && QFileInfo(Casa("SetCom.ini")).isWritable());
        QCOMPARE(Semina(), QStringList()); // the same shipped files: nothing written
        scrivi(m_casa.path(), {{"PrjCom.ini", "0=ttyECU\n"}, {"PortCom.ini", "3"}}); // PortCom.ini is never seeded
        scrivi(m_programma.path(), {{"PortCom.ini", "0"}, {"PrjCom.ini", "; version 2"}, {"map.ini", "map 2"}});
        QCOMPARE(Semina(), QStringList{"map.ini"});
        QCOMPARE(casa({"PrjCom.ini", "PortCom.ini", "map.ini"}), QByteArray("0=ttyECU\n|3|map 2"));
        // Even when he writes a later shipped text into it.
        scrivi(m_casa.path(), {{"PrjCom.ini", "; version 2"}});
        QFile::remove(Casa("map.ini"));
        scrivi(m_programma.path(), {{"PrjCom.ini", "; version 3"}});
        Semina();
        QCOMPARE(casa({"map.ini", "PrjCom.ini"}), QByteArray("map 2|; version 2"));
    }
    void cartellaDelleImpostazioni()
    {
        QTemporaryDir programma, casa;
        Scrivi(programma.filePath(u"SetCom.ini"_s), "setcom");
        QString errore;
        // A program folder that can be written keeps everything with it.
        QCOMPARE(CartellaUtente::Scegli(programma.path(), &errore, casa.path()), programma.path());
        QVERIFY(QDir(casa.path()).isEmpty());
        Impostazioni imp;
        imp.PathApp = programma.path();
        imp.CostruisciPercorsi();
        QCOMPARE(imp.FileMemoIni, programma.path() + u"/Memo.ini"_s);
        imp.CartellaImpostazioni = casa.path();
        imp.CostruisciPercorsi();
        QCOMPARE((QStringList{imp.FileMemoIni, imp.CartellaDati, imp.FileSatoTun}),
                 (QStringList{casa.path() + u"/Memo.ini"_s, casa.path() + u"/Data/"_s, casa.path() + u"/SatoTun.txt"_s}));
        if (geteuid() == 0)
            QSKIP("root may write any folder; the package test runs the installed layout as another user");
        // A read-only one passes to the user's folder, seeded.
        QFile::setPermissions(programma.path(), QFile::ReadOwner | QFile::ExeOwner);
        const QString utente = casa.filePath(u"GasCal"_s);
        QCOMPARE(CartellaUtente::Scegli(programma.path(), &errore, utente), utente);
        QCOMPARE(Leggi(utente + u"/SetCom.ini"_s), QByteArray("setcom"));
        QFile::setPermissions(programma.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void laRigaDiComandoPrendeUnFileMappa()
    {
        QTemporaryDir d;
        const QString mappa = d.filePath(u"auto.var"_s);
        Scrivi(mappa, "[INFO]\r\n");
        QDir::setCurrent(d.path());
        const auto leggi = [](const QStringList &argomenti) { return RigaComando::Leggi(QStringList{"gascal"} + argomenti); };
        // Made absolute: the program folder is not the current one.
        QVERIFY(leggi({u"auto.var"_s}).fileMappa == mappa && leggi({u"auto.var"_s}).azione == Azione::Avvia);
        QVERIFY(leggi({}).fileMappa.isEmpty());
        // --version and --help win wherever they stand, before the file is looked at.
        QCOMPARE(leggi({u"missing.var"_s, u"--version"_s}).azione, Azione::Versione);
        QCOMPARE(RigaComando::TestoVersione(), QStringLiteral("gascal " GASCAL_VERSIONE));
        QCOMPARE(leggi({u"-h"_s}).azione, Azione::Aiuto);
        QVERIFY(leggi({u"missing.var"_s}).errore.contains(u"missing.var"_s));
        // Missing, two of them, a folder: no map file.
        for (const QStringList &a : {QStringList{u"missing.var"_s}, QStringList{mappa, mappa}, QStringList{d.path()}})
            QCOMPARE(leggi(a).azione, Azione::Errore);
    }
    // The file waits for a connected ECU, or offline for the start-up definitions.
    void ilFileMappaAspettaLEcuOIlLavoroOffline()
    {
        // Not while the link is made again, an operation waits, or the program ends.
        const struct { int stato, errore; O op; int uscita, defAvvio; bool apre; } casi[] = {
            {StatoApp::Ricerca, 0, O::Nessuna, 0, 0, false}, {StatoApp::Connesso, 0, O::Nessuna, 0, 0, true},
            {StatoApp::Connesso, 1, O::Nessuna, 0, 0, false}, {StatoApp::Connesso, 0, O::ScriviConfig, 0, 0, false},
            {StatoApp::Connesso, 0, O::Nessuna, 1, 0, false}, {StatoApp::Offline, 0, O::Nessuna, 0, 1, false},
            {StatoApp::Offline, 0, O::Nessuna, 0, 0, true}, {StatoApp::Operazione, 0, O::Nessuna, 0, 0, false}};
        for (const auto &c : casi) {
            StatoApp s;
            s.StatoProgramma = c.stato;
            s.ErroreComunicazione = quint8(c.errore);
            s.OperazioneRichiesta = c.op;
            s.UscitaRichiesta = quint8(c.uscita);
            s.CaricaDefAvvio = quint8(c.defAvvio);
            QVERIFY2(RigaComando::MomentoDiAprire(s) == c.apre, qPrintable(QString::number(&c - casi)));
        }
    }
    // The restore goes before the close: the ECU is put back first.
    void richiesteEStati()
    {
        const struct { const char *richiesta; int stato; QStringList eventi; } casi[] = {
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
    // A pending request runs once and is cleared, also when the ECU refuses it.
    void operazioneUnaVolta()
    {
        Banco b;
        StatoApp &s = b.ctx.stato;
        s.RichiediOperazione(O::CommutaStato);
        s.RichiediOperazione(O::SalvaMappa); // a pending request is not overwritten
        b.ciclo.Passo();
        QCOMPARE(b.vista.eventi, (QStringList{"collegato", "inizio-op", "fine-op"}));
        QCOMPARE(b.vista.esiti.size(), 1);
        QVERIFY(b.vista.esiti[0].operazione == O::CommutaStato && !b.vista.esiti[0].riuscita);
        QVERIFY(!s.OperazioneInAttesa() && s.StatoProgramma == StatoApp::Connesso);
        // The search drops what was chosen for the ECU that went away.
        s.RichiediOperazione(O::ScriviRetta);
        s.UscitaRichiesta = 1; // the search gives up at once
        b.ciclo.Ricerca(1);
        QVERIFY(!s.OperazioneInAttesa() && b.vista.eventi.last() == u"scartata-8"_s);
    }
    // The title's map file goes when another ECU (lot and serial) answers.
    void titoloSoloPerLEcuDelFile()
    {
        const struct { const char *titolo; bool daEcu; const char *serieFile, *serieTrovata; bool tolto; } casi[] = {
            {" - [a.var] ", true, "87-1234", "88-1234", true}, {" - [a.var] ", false, "", "87-1234", true},
            {" - [a.var] ", true, "", "", false},              {"", false, "", "87-1234", false},
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
        QCOMPARE(Identita::NumeroSerie(produzione), u"87-1234"_s);
    }
    // Writes are dropped; a map save or load stays, a reset goes with its file.
    void scrittureScartate()
    {
        const struct { O operazione; bool definizioni; O rimasta; } casi[] = {
            {O::ScriviConfig, false, O::Nessuna}, {O::SalvaMappa, false, O::SalvaMappa},
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

GASCAL_PROVA(TstUtilita)
#include "tst_utilita.moc"
