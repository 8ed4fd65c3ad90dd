// PrjCom's port numbering: PrjCom.ini mappings, the port list taken at most once a second.
#include "RegistroProve.h"
#include "FileProva.h"
#include "../../src/comm/PortTable.h"
#include <QTemporaryDir>
#include <QtTest>

class TestCommPorts : public QObject
{
    Q_OBJECT
private slots:
    void mappedNumbersAndTheListing()
    {
        QTemporaryDir dir, devices;
        Scrivi(dir.filePath("PrjCom.ini"), "# comment\n19=ecu\n3 = /dev/null\n25=too-high\nx=bad\n");
        PortTable ports(dir.path(), devices.path());
        QCOMPARE(ports.device(19), dir.filePath("ecu"));
        QCOMPARE(ports.device(3), QStringLiteral("/dev/null"));
        QCOMPARE(ports.device(20), QString());
        QCOMPARE(ports.listings(), 0);  // mapped numbers need no listing
        // Whole search passes over the other numbers list the ports once.
        for (int pass = 0; pass < 3; ++pass)
            for (int n = 0; n < PortTable::PortCount; ++n)
                (void)ports.device(n);
        QCOMPARE(ports.listings(), 1);
        // Nothing plugged in or out: the list stays past the second.
        QTest::qWait(PortTable::ListingMaxAgeMs + 50);
        (void)ports.device(0);
        QCOMPARE(ports.listings(), 1);
        // An adapter plugged in is seen at once, then not again within a second.
        for (const char *adattatore : {"ttyUSB0", "ttyUSB1"}) {
            Scrivi(devices.filePath(adattatore), {});
            (void)ports.device(0);
            QCOMPARE(ports.listings(), 2);
        }
    }
};

GASCAL_PROVA(TestCommPorts)
#include "tst_commports.moc"
