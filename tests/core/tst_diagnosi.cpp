// The port reports of the communication process and the search's choice of
// the port that came closest to an ECU.
#include "link/RapportoPorta.h"
#include "mapfile/DiagnosiRicerca.h"

#include <QTest>

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

QTEST_GUILESS_MAIN(TstDiagnosi)
#include "tst_diagnosi.moc"
