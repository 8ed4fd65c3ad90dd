// The port reports of the communication process and the search's choice of
// the port that came closest to an ECU.
#include "RegistroProve.h"
#include "app/GruppiUtente.h"
#include "link/RapportoPorta.h"
#include "mapfile/DiagnosiRicerca.h"

#include <QTest>

#include <grp.h>
#include <unistd.h>

using gascal::DiagnosiRicerca;
using gascal::RapportoPorta;
using Esito = RapportoPorta::Esito;

class TstDiagnosi : public QObject
{
    Q_OBJECT

    static RapportoPorta Rapporto(int porta, Esito esito, const QString &dispositivo = {})
    {
        RapportoPorta r;
        r.porta = porta;
        r.esito = esito;
        r.dispositivo = dispositivo;
        return r;
    }

private slots:
    void decodificaIlTestoDelProcesso()
    {
        const auto r = RapportoPorta::Decodifica(
            "port=3\nstatus=5\ndevice=/dev/ttyS3\nadapter=0\nowner=root:tty\nmode=0600\n"
            "unknown=kept out\n");
        QVERIFY(r);
        QCOMPARE(r->porta, 3);
        QCOMPARE(r->esito, Esito::SenzaPermesso);
        QCOMPARE(r->dispositivo, QStringLiteral("/dev/ttyS3"));
        QCOMPARE(r->Testo(), QStringLiteral("port 3 (/dev/ttyS3): no permission (owner root:tty, mode 0600)."));

        // Before any connection attempt, or from a process that does not know
        // the command, there is nothing to report.
        QVERIFY(!RapportoPorta::Decodifica("port=-1\nstatus=0\ndevice=\n"));
        QVERIFY(!RapportoPorta::Decodifica("unknown command 12"));
        QVERIFY(!RapportoPorta::Decodifica("status=4\n"));
        QVERIFY(!RapportoPorta::Decodifica(QByteArray()));
    }

    void unAdattatoreSenzaPermessoDiceComeRimediare()
    {
        // A serial adapter gets the group fix, whatever its owner and mode.
        const auto r = RapportoPorta::Decodifica(
            "port=0\nstatus=5\ndevice=/dev/ttyUSB0\nadapter=1\nowner=root:dialout\nmode=0660\n");
        QVERIFY(r);
        QVERIFY(r->Testo().contains(QStringLiteral("dialout group")));
        QVERIFY(r->Testo().contains(QStringLiteral("log in again")));
        QVERIFY(!r->Testo().contains(QStringLiteral("0660")));
    }

    void ilRimedioDelPermessoDipendeDalGruppoDiQuestoUtente()
    {
        using A = gascal::GruppiUtente::Appartenenza;
        const QString nuovo = gascal::GruppiUtente::Rimedio(QStringLiteral("dialout"), QStringLiteral("ada"), A::No);
        QVERIFY(nuovo.contains(QStringLiteral("sudo usermod -aG dialout ada")));
        QVERIFY(nuovo.contains(QStringLiteral("log in again")));
        // A member since this session began only needs a new login.
        const QString dopo = gascal::GruppiUtente::Rimedio(QStringLiteral("dialout"), QStringLiteral("ada"),
                                                           A::DopoNuovoAccesso);
        QVERIFY(!dopo.contains(QStringLiteral("usermod")));
        QVERIFY(dopo.contains(QStringLiteral("log out and log in again")));
        QVERIFY(gascal::GruppiUtente::Rimedio(QStringLiteral("dialout"), QStringLiteral("ada"), A::NellaSessione)
                    .isEmpty());

        // The system's answer for this process: its own group is the session's,
        // a group that does not exist is nobody's.
        const group *mio = getgrgid(getegid());
        QVERIFY(mio);
        QCOMPARE(gascal::GruppiUtente::Di(QString::fromLocal8Bit(mio->gr_name)), A::NellaSessione);
        QCOMPARE(gascal::GruppiUtente::Di(QStringLiteral("no-such-group-here")), A::No);

        // A device of a group this session already has is not the group's
        // fault: the owner and mode are shown instead of a useless fix.
        const QByteArray gruppo(mio->gr_name);
        const auto proprio = RapportoPorta::Decodifica(
            "port=0\nstatus=5\ndevice=/dev/ttyUSB0\nadapter=1\nowner=root:" + gruppo + "\nmode=0660\n");
        QVERIFY(proprio);
        QVERIFY(proprio->Testo().contains(QStringLiteral("(owner root:") + QString::fromLocal8Bit(gruppo)));
        // A workshop group of the udev rule is named, with this user.
        const auto officina = RapportoPorta::Decodifica(
            "port=0\nstatus=5\ndevice=/dev/ttyUSB0\nadapter=1\nowner=root:no-such-group-here\nmode=0660\n");
        QVERIFY(officina);
        QVERIFY(officina->Testo().contains(QStringLiteral("sudo usermod -aG no-such-group-here ")
                                           + gascal::GruppiUtente::NomeUtente()));
        // A mode that gives the group nothing has no group fix.
        const auto chiuso = RapportoPorta::Decodifica(
            "port=0\nstatus=5\ndevice=/dev/ttyUSB0\nadapter=1\nowner=root:no-such-group-here\nmode=0600\n");
        QVERIFY(chiuso);
        QVERIFY(!chiuso->Testo().contains(QStringLiteral("usermod")));
    }

    void sceglieLaPortaPiuVicina()
    {
        DiagnosiRicerca d;
        QVERIFY(d.Vuota());
        QCOMPARE(d.Testo(), QString());
        d.Registra(Rapporto(0, Esito::Mancante));
        d.Registra(Rapporto(1, Esito::NessunaRisposta, QStringLiteral("/dev/ttyS0")));
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
};

GASCAL_PROVA(TstDiagnosi)
#include "tst_diagnosi.moc"
