// The program-wide helpers: hex texts, numbers in the user's notation, files,
// the error box's text, the pending operation and the waits; the installed
// program: where the settings live when the program folder cannot be
// written, how the user's copies are seeded and kept, the command line.
#include "RegistroProve.h"
#include "Versione.h"
#include "app/CartellaUtente.h"
#include "app/Conversioni.h"
#include "app/FileSistema.h"
#include "app/Formati.h"
#include "app/Impostazioni.h"
#include "app/MostraErrore.h"
#include "app/Orologio.h"
#include "app/RigaComando.h"
#include "app/ServiziUiScriptati.h"
#include "app/StatoApp.h"
#include "app/TestoByte.h"

#include "FileProva.h"
#include "MisuraCpu.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

using namespace gascal;
using namespace Qt::StringLiterals;
using Azione = RigaComando::Azione;

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
    void hexOddLengthGetsLeadingZeroAndChangesArgument()
    {
        QString testo = u"ABC"_s;
        QCOMPARE(HexToStr(testo), QByteArray("\x0A\xBC", 2));
        QCOMPARE(testo, u"0ABC"_s);
        QByteArray tutti;
        for (int i = 0; i < 256; ++i)
            tutti.append(static_cast<char>(i));
        QCOMPARE(HexToStr(StrToHex(tutti)), tutti);
        QVERIFY(StrToHex(tutti).startsWith(u"000102"_s));
    }

    // Halves go to the even neighbour, also those of decimal texts; numbers
    // follow the user's separator; decimals are limited to 3.
    void numbers()
    {
        using namespace Conversioni;
        const QString v = u","_s, p = u"."_s;
        QCOMPARE((QList<qint64>{Arrotonda(2.5), Arrotonda(3.5), Arrotonda(-2.5), Arrotonda(2.5000001)}),
                 (QList<qint64>{2, 4, -2, 3}));
        QCOMPARE(Arrotonda(*Numero(u"0,35"_s, v) * 10), 4);
        // 2,675 x 100 is 267.49999999999997 in binary: it stands for the half 267,5.
        QCOMPARE(Arrotonda(*Numero(u"2,675"_s, v) * 100), 268);
        QCOMPARE(Arrotonda(*Numero(u"0,25"_s, v) * 10), 2);
        QCOMPARE((QList<qint64>{Fix(-2.7), Int(-2.3), Int(0.29 * 100)}), (QList<qint64>{-2, -3, 29}));
        QCOMPARE(Fix(*Numero(u"1.005"_s, p) * 1000 - 128), 877);
        QCOMPARE(Numero(u" 1,2 "_s, v), std::optional<double>(1.2));
        QCOMPARE(Numero(u"1.2"_s, p), std::optional<double>(1.2));
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

    void filesAndFolders()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(u"a.txt"_s);
        Scrivi(file, {});
        QVERIFY(FileExist(file) && DirExist(dir.path()));
        QVERIFY(!FileExist(dir.path()) && !DirExist(file) && !FileExist(dir.filePath(u"none"_s)));
    }

    void pendingOperationIsNotOverwritten()
    {
        StatoApp stato;
        stato.RichiediOperazione(Operazione::ScriviConfig);
        stato.RichiediOperazione(Operazione::SalvaMappa);
        QCOMPARE(stato.OperazioneRichiesta, Operazione::ScriviConfig);
    }

    // 3146 is not reported from an error handler, and large numbers are shown in hex.
    void errorReportText()
    {
        const struct {
            const char *testo2;
            qint64 numero;
            const char *atteso;
        } casi[] = {{"Config error", 0, "Config errorErrorX:\r"}, {"", 13, "ErrorX:\r\r13 - d"},
                    {"", 3146, "ErrorX:\r"}, {"", 0x80004005LL, "ErrorX:\r\r = &H80004005 - d"}};
        for (const auto &c : casi) {
            ServiziUiScriptati ui;
            MostraErrore(ui, u"GasCal"_s, u"X"_s, QLatin1String(c.testo2), 0, c.numero, u"d"_s);
            QCOMPARE(ui.Testi(), QStringList{QLatin1String(c.atteso)});
            QCOMPARE(ui.mostrati.first().titolo, u"GasCal: Error"_s);
            QCOMPARE(ui.mostrati.first().icona, ServiziUi::Icona::Esclamazione);
        }
    }

    // Timers run during a wait, and it sleeps, also once the application was
    // told to quit (a new local event loop would return at once, and a wait
    // built on one would spin until its end).
    void waitKeepsEventsFlowingAndSleeps()
    {
        int scatti = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++scatti; });
        timer.start(10);
        double trascorsi = 0;
        const double rapporto = MisuraCpu::RapportoConGiro([&] {
            QTimer::singleShot(0, [&] {
                QCoreApplication::quit();
                const double t0 = TimerApi_uSec();
                AttesaUSec(200000);
                trascorsi = TimerApi_uSec() - t0;
            });
            QCoreApplication::exec();
        });
        QVERIFY(trascorsi >= 200000);
        QVERIFY2(scatti >= 5, "timers must run during a wait");
        QVERIFY2(rapporto < 0.3, qPrintable(u"CPU %1 of a spin"_s.arg(rapporto)));
    }

    // The first seeding copies the shipped settings, never the programs; an
    // update replaces only copies the user left alone; his own files, and
    // those he changed once, stay his for good; a deleted one comes back.
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
        QCOMPARE(leggi({u"auto.var"_s}).fileMappa, mappa);
        QCOMPARE(leggi({u"auto.var"_s}).azione, Azione::Avvia);
        QVERIFY(leggi({}).fileMappa.isEmpty());
        // --version and --help win wherever they stand, before the file is looked at.
        QCOMPARE(leggi({u"missing.var"_s, u"--version"_s}).azione, Azione::Versione);
        QCOMPARE(RigaComando::TestoVersione(), QStringLiteral("gascal " GASCAL_VERSIONE));
        QCOMPARE(leggi({u"-h"_s}).azione, Azione::Aiuto);
        QCOMPARE(leggi({u"missing.var"_s}).azione, Azione::Errore);
        QVERIFY(leggi({u"missing.var"_s}).errore.contains(u"missing.var"_s));
        QCOMPARE(leggi({mappa, mappa}).azione, Azione::Errore);
        QCOMPARE(leggi({d.path()}).azione, Azione::Errore); // a folder is not a map file
    }

    // The file waits for a connected ECU, or offline for the start-up definitions.
    void ilFileMappaAspettaLEcuOIlLavoroOffline()
    {
        const struct {
            int stato, errore;
            Operazione op;
            int uscita, defAvvio;
            bool apre;
        } casi[] = {
            {StatoApp::Ricerca, 0, Operazione::Nessuna, 0, 0, false},
            {StatoApp::Connesso, 0, Operazione::Nessuna, 0, 0, true},
            {StatoApp::Connesso, 1, Operazione::Nessuna, 0, 0, false},      // the link is being made again
            {StatoApp::Connesso, 0, Operazione::ScriviConfig, 0, 0, false}, // it would be dropped
            {StatoApp::Connesso, 0, Operazione::Nessuna, 1, 0, false},      // a firmware too new ends the program
            {StatoApp::Offline, 0, Operazione::Nessuna, 0, 1, false},
            {StatoApp::Offline, 0, Operazione::Nessuna, 0, 0, true},
            {StatoApp::Operazione, 0, Operazione::Nessuna, 0, 0, false},
        };
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
};

GASCAL_PROVA(TstUtilita)
#include "tst_utilita.moc"
