// The installed program: where the settings live when the program folder
// cannot be written, how the user's copies are seeded and kept, and the
// program's command line.
#include "RegistroProve.h"
#include "FileProva.h"
#include "Versione.h"
#include "app/CartellaUtente.h"
#include "app/Impostazioni.h"
#include "app/RigaComando.h"
#include "app/StatoApp.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace gascal;
using namespace Qt::StringLiterals;
using Azione = RigaComando::Azione;

class TstInstallato : public QObject
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
    // The first seeding copies the shipped settings, never the programs; an
    // update replaces only copies the user left alone; his own files, and
    // those he changed once, stay his for good; a deleted one comes back.
    void seminaEAggiornamenti()
    {
        Scrivi(Prog("SetCom.ini"), "setcom 1");
        Scrivi(Prog("PrjCom.ini"), "; version 1");
        Scrivi(Prog("map.ini"), "map 1");
        Scrivi(Prog("PrjCom"), "binary");
        QCOMPARE(Semina(), (QStringList{"SetCom.ini", "PrjCom.ini", "map.ini"}));
        QCOMPARE(Leggi(Casa("SetCom.ini")), QByteArray("setcom 1"));
        QVERIFY(QFileInfo(Casa("Data")).isDir());
        QVERIFY(!QFile::exists(Casa("PrjCom")));
        QVERIFY(QFileInfo(Casa("SetCom.ini")).isWritable());
        QCOMPARE(Semina(), QStringList()); // the same shipped files: nothing written

        Scrivi(Casa("PrjCom.ini"), "0=ttyECU\n");
        Scrivi(Casa("PortCom.ini"), "3"); // never seeded
        Scrivi(Prog("PortCom.ini"), "0");
        Scrivi(Prog("PrjCom.ini"), "; version 2");
        Scrivi(Prog("map.ini"), "map 2");
        QCOMPARE(Semina(), QStringList{"map.ini"});
        QCOMPARE(Leggi(Casa("PrjCom.ini")), QByteArray("0=ttyECU\n"));
        QCOMPARE(Leggi(Casa("PortCom.ini")), QByteArray("3"));
        QCOMPARE(Leggi(Casa("map.ini")), QByteArray("map 2"));

        // Even when he writes a later shipped text into it.
        Scrivi(Casa("PrjCom.ini"), "; version 2");
        QFile::remove(Casa("map.ini"));
        Scrivi(Prog("PrjCom.ini"), "; version 3");
        Semina();
        QCOMPARE(Leggi(Casa("map.ini")), QByteArray("map 2"));
        QCOMPARE(Leggi(Casa("PrjCom.ini")), QByteArray("; version 2"));
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
        QCOMPARE(imp.FileMemoIni, casa.path() + u"/Memo.ini"_s);
        QCOMPARE(imp.CartellaDati, casa.path() + u"/Data/"_s);
        QCOMPARE(imp.FileSatoTun, casa.path() + u"/SatoTun.txt"_s);
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
        RigaComando r = leggi({u"auto.var"_s});
        QCOMPARE(r.azione, Azione::Avvia);
        QCOMPARE(r.fileMappa, mappa); // made absolute: the program folder is not the current one
        QVERIFY(leggi({}).fileMappa.isEmpty());
        // --version and --help win wherever they stand, before the file is looked at.
        QCOMPARE(leggi({u"missing.var"_s, u"--version"_s}).azione, Azione::Versione);
        QCOMPARE(RigaComando::TestoVersione(), QStringLiteral("gascal " GASCAL_VERSIONE));
        QCOMPARE(leggi({u"-h"_s}).azione, Azione::Aiuto);
        r = leggi({u"missing.var"_s});
        QCOMPARE(r.azione, Azione::Errore);
        QVERIFY(r.errore.contains(u"missing.var"_s));
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

GASCAL_PROVA(TstInstallato)
#include "tst_installato.moc"
