// The live data window against the virtual ECU driven like a car.
#include "RegistroProve.h"
#include "ProgrammaProva.h"

#include "ui/common/Forma.h"
#include "ui/common/Immagine.h"
#include "ui/main/FrmBar.h"

#include <QLabel>
#include <QTest>

using namespace gascal;

class TstFrmBarEcu : public QObject
{
    Q_OBJECT

    static int SegmentiAccesi(const FrmBar &bar)
    {
        int accesi = 0;
        for (const Forma *s : bar.ShpGiri)
            accesi += s->Opaca();
        return accesi;
    }
    static int LedAccesi(const FrmBar &bar)
    {
        int accesi = 0;
        for (const Forma *led : bar.ShpLevAct)
            accesi += led->ColoreRiempimento() != QColor(Qt::black);
        return accesi;
    }

private slots:
    void liveValuesFollowTheEngine()
    {
        ProgrammaProva p;
        QCOMPARE(p.AvviaEcu(), QString());
        QVERIFY(p.AvviaProgramma());
        QVERIFY(p.AttendiStato(StatoApp::Connesso));
        FrmBar &bar = *p.frame->Barra();

        // Idle on petrol: a short bar, the petrol time, no gas time.
        QTRY_COMPARE_WITH_TIMEOUT(bar.LblRpmVal->text().trimmed(), QStringLiteral("800 (rpm)"), 3000);
        const int aRiposo = SegmentiAccesi(bar);
        QVERIFY(aRiposo >= 1 && aRiposo <= 3);
        QVERIFY(bar.LblTempoGasVal->text().contains(QStringLiteral("- -")));
        QVERIFY(!bar.LblTempoBenzVal->text().contains(QStringLiteral("- -")));
        QVERIFY(bar.ImgBenzOn->isVisibleTo(&bar));

        // Revving up: more segments, and the fuel follows the switch to gas.
        QCOMPARE(p.banco.Controllo(QStringLiteral("rpm 3000")), QStringLiteral("ok"));
        QCOMPARE(p.banco.Controllo(QStringLiteral("fuel gas")), QStringLiteral("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(bar.LblRpmVal->text().trimmed(), QStringLiteral("3000 (rpm)"), 5000);
        QVERIFY(SegmentiAccesi(bar) > aRiposo + 3);
        QTRY_VERIFY_WITH_TIMEOUT(!bar.LblTempoGasVal->text().contains(QStringLiteral("- -")), 15000);
        QVERIFY(bar.ImgGasOn->isVisibleTo(&bar));
        QVERIFY(!bar.ImgBenzOn->isVisibleTo(&bar));
        QCOMPARE(bar.LblTempoGasVal->palette().color(QPalette::WindowText), QColor(Qt::black));

        // Ignition off: the bar empties and the switch's LEDs go dark.
        QCOMPARE(p.banco.Controllo(QStringLiteral("key off")), QStringLiteral("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(SegmentiAccesi(bar), 0, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(LedAccesi(bar), 0, 3000);
        QVERIFY(bar.ImgKeyOff->isVisibleTo(&bar));
    }

    void temperatureAndPressureAreShownInTheirUnits()
    {
        ProgrammaProva p;
        QCOMPARE(p.AvviaEcu(), QString());
        QVERIFY(p.AvviaProgramma());
        QVERIFY(p.AttendiStato(StatoApp::Connesso));
        FrmBar &bar = *p.frame->Barra();
        QCOMPARE(p.banco.Controllo(QStringLiteral("temp -5")), QStringLiteral("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(bar.LblTempVal->text().startsWith(QStringLiteral("-")), 3000);
        QVERIFY(bar.LblTempVal->text().endsWith(QStringLiteral(" (c)")));
        QVERIFY(bar.LblPressVal->text().endsWith(QStringLiteral(" (bar)")));
    }
};

GASCAL_PROVA(TstFrmBarEcu)
#include "tst_frmbar_ecu.moc"
