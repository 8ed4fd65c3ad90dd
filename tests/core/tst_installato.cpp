// The installed program: where the settings live when the program folder
// cannot be written, how the user's copies are seeded and kept, and the
// program's command line.
#include "RegistroProve.h"
#include "Versione.h"
#include "app/CartellaUtente.h"
#include "app/Impostazioni.h"
#include "app/RigaComando.h"
#include "app/StatoApp.h"

#include <QDir>
#include "FileProva.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using gascal::CartellaUtente;
using gascal::RigaComando;
using gascal::StatoApp;

namespace {

} // namespace

class TstInstallato : public QObject
{
    Q_OBJECT

private slots:
    void laPrimaSeminaCopiaLeImpostazioniSpedite()
    {
        QTemporaryDir programma, casa;
        const QString utente = casa.filePath(QStringLiteral("share/GasCal"));
        Scrivi(programma.filePath(QStringLiteral("SetCom.ini")), "setcom 1");
        Scrivi(programma.filePath(QStringLiteral("PrjCom.ini")), "; no port");
        Scrivi(programma.filePath(QStringLiteral("def.xar")), "defaults");
        // Programs and other files of the folder are not settings.
        Scrivi(programma.filePath(QStringLiteral("PrjCom")), "binary");
        QString errore;
        const QStringList scritti = CartellaUtente::Semina(programma.path(), utente, &errore);
        QCOMPARE(errore, QString());
        QCOMPARE(scritti, (QStringList{QStringLiteral("SetCom.ini"), QStringLiteral("PrjCom.ini"),
                                       QStringLiteral("def.xar")}));
        QCOMPARE(Leggi(utente + QStringLiteral("/SetCom.ini")), QByteArray("setcom 1"));
        QVERIFY(QFileInfo(utente + QStringLiteral("/Data")).isDir());
        QVERIFY(!QFile::exists(utente + QStringLiteral("/PrjCom")));
        // A copy is the user's to change.
        QVERIFY(QFileInfo(utente + QStringLiteral("/SetCom.ini")).isWritable());

        // The same shipped files again: nothing is written.
        QCOMPARE(CartellaUtente::Semina(programma.path(), utente, &errore), QStringList());
    }

    void unFileCambiatoDallUtenteNonVieneMaiSovrascritto()
    {
        QTemporaryDir programma, casa;
        const QString utente = casa.path();
        const QString spedito = programma.filePath(QStringLiteral("PrjCom.ini"));
        const QString mio = utente + QStringLiteral("/PrjCom.ini");
        Scrivi(spedito, "; version 1");
        Scrivi(programma.filePath(QStringLiteral("map.ini")), "map 1");
        QString errore;
        CartellaUtente::Semina(programma.path(), utente, &errore);
        Scrivi(mio, "0=ttyECU\n");
        // The user's own file, never seeded, is his too.
        Scrivi(utente + QStringLiteral("/PortCom.ini"), "3");
        Scrivi(programma.filePath(QStringLiteral("PortCom.ini")), "0");

        // An update ships new versions: the changed and the own file stay,
        // the untouched copy follows the package.
        Scrivi(spedito, "; version 2");
        Scrivi(programma.filePath(QStringLiteral("map.ini")), "map 2");
        const QStringList scritti = CartellaUtente::Semina(programma.path(), utente, &errore);
        QCOMPARE(errore, QString());
        QCOMPARE(scritti, QStringList{QStringLiteral("map.ini")});
        QCOMPARE(Leggi(mio), QByteArray("0=ttyECU\n"));
        QCOMPARE(Leggi(utente + QStringLiteral("/PortCom.ini")), QByteArray("3"));
        QCOMPARE(Leggi(utente + QStringLiteral("/map.ini")), QByteArray("map 2"));

        // A file the user deleted comes back; one changed once stays his, even
        // when he writes a later shipped text into it.
        Scrivi(mio, "; version 2");
        QFile::remove(utente + QStringLiteral("/map.ini"));
        Scrivi(spedito, "; version 3");
        CartellaUtente::Semina(programma.path(), utente, &errore);
        QCOMPARE(Leggi(utente + QStringLiteral("/map.ini")), QByteArray("map 2"));
        QCOMPARE(Leggi(mio), QByteArray("; version 2")); // changed once, the user's for good
    }

    void unaCartellaProgrammaScrivibileTieneTuttoConSe()
    {
        QTemporaryDir programma, casa;
        Scrivi(programma.filePath(QStringLiteral("SetCom.ini")), "setcom");
        QString errore;
        QCOMPARE(CartellaUtente::Scegli(programma.path(), &errore, casa.path()), programma.path());
        QVERIFY(QDir(casa.path()).isEmpty());

        gascal::Impostazioni imp;
        imp.PathApp = programma.path();
        imp.CostruisciPercorsi();
        QCOMPARE(imp.FileMemoIni, programma.path() + QStringLiteral("/Memo.ini"));
        imp.CartellaImpostazioni = casa.path();
        imp.CostruisciPercorsi();
        QCOMPARE(imp.FileMemoIni, casa.path() + QStringLiteral("/Memo.ini"));
        QCOMPARE(imp.CartellaDati, casa.path() + QStringLiteral("/Data/"));
        QCOMPARE(imp.FileSatoTun, casa.path() + QStringLiteral("/SatoTun.txt"));
    }

    void unaCartellaProgrammaDiSolaLetturaPassaAllUtente()
    {
        if (geteuid() == 0)
            QSKIP("root may write any folder; the package test runs the installed layout as another user");
        QTemporaryDir programma, casa;
        Scrivi(programma.filePath(QStringLiteral("SetCom.ini")), "setcom");
        QFile::setPermissions(programma.path(), QFile::ReadOwner | QFile::ExeOwner);
        QString errore;
        const QString utente = casa.filePath(QStringLiteral("GasCal"));
        QCOMPARE(CartellaUtente::Scegli(programma.path(), &errore, utente), utente);
        QCOMPARE(Leggi(utente + QStringLiteral("/SetCom.ini")), QByteArray("setcom"));
        QFile::setPermissions(programma.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void laRigaDiComandoPrendeUnFileMappa()
    {
        QTemporaryDir d;
        const QString mappa = d.filePath(QStringLiteral("auto.var"));
        Scrivi(mappa, "[INFO]\r\n");
        QDir::setCurrent(d.path());

        RigaComando r = RigaComando::Leggi({QStringLiteral("gascal"), QStringLiteral("auto.var")});
        QCOMPARE(r.azione, RigaComando::Azione::Avvia);
        QCOMPARE(r.fileMappa, mappa); // made absolute: the program folder is not the current one
        QVERIFY(RigaComando::Leggi({QStringLiteral("gascal")}).fileMappa.isEmpty());

        // --version and --help win wherever they stand, before the file is looked at.
        r = RigaComando::Leggi({QStringLiteral("gascal"), QStringLiteral("missing.var"), QStringLiteral("--version")});
        QCOMPARE(r.azione, RigaComando::Azione::Versione);
        QCOMPARE(RigaComando::TestoVersione(), QStringLiteral("gascal " GASCAL_VERSIONE));
        QCOMPARE(RigaComando::Leggi({QStringLiteral("gascal"), QStringLiteral("-h")}).azione,
                 RigaComando::Azione::Aiuto);

        r = RigaComando::Leggi({QStringLiteral("gascal"), QStringLiteral("missing.var")});
        QCOMPARE(r.azione, RigaComando::Azione::Errore);
        QVERIFY(r.errore.contains(QStringLiteral("missing.var")));
        r = RigaComando::Leggi({QStringLiteral("gascal"), mappa, mappa});
        QCOMPARE(r.azione, RigaComando::Azione::Errore);
        // A folder is not a map file.
        QCOMPARE(RigaComando::Leggi({QStringLiteral("gascal"), d.path()}).azione, RigaComando::Azione::Errore);
    }

    void ilFileMappaAspettaLEcuOIlLavoroOffline()
    {
        StatoApp s;
        QVERIFY(!RigaComando::MomentoDiAprire(s)); // searching
        s.StatoProgramma = StatoApp::Connesso;
        QVERIFY(RigaComando::MomentoDiAprire(s));
        s.ErroreComunicazione = 1; // the link is being made again
        QVERIFY(!RigaComando::MomentoDiAprire(s));
        s.ErroreComunicazione = 0;
        s.OperazioneRichiesta = gascal::Operazione::ScriviConfig; // the open would be dropped while another is pending
        QVERIFY(!RigaComando::MomentoDiAprire(s));
        s.OperazioneRichiesta = gascal::Operazione::Nessuna;
        s.UscitaRichiesta = 1; // a firmware too new ends the program
        QVERIFY(!RigaComando::MomentoDiAprire(s));
        s.UscitaRichiesta = 0;
        // Offline, the start-up definitions come first, then the file.
        s.StatoProgramma = StatoApp::Offline;
        s.CaricaDefAvvio = 1;
        QVERIFY(!RigaComando::MomentoDiAprire(s));
        s.CaricaDefAvvio = 0;
        QVERIFY(RigaComando::MomentoDiAprire(s));
        s.StatoProgramma = StatoApp::Operazione;
        QVERIFY(!RigaComando::MomentoDiAprire(s));
    }
};

GASCAL_PROVA(TstInstallato)
#include "tst_installato.moc"
