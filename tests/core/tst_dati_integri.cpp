#include "RegistroProve.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "app/TestoByte.h"
#include "ecu/Definizioni.h"
#include "ecu/SequenzeBlocchi.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace gascal;

// Definition files and write sequences that must not lose or hide anything.
class TstDatiIntegri : public QObject
{
    Q_OBJECT

    // A message table shaped as SetCom.ini's, every record's request in place.
    static void Tabella(Contesto &ctx)
    {
        const char *richieste[] = {"4102032161", "4102030B4B", "4102030D4D", "4102030E4E",
                                   "4102033171", "4102030F4F", "4102061200006E39"};
        ctx.TabMsg.resize(7);
        for (int n = 0; n < 7; ++n) {
            ctx.TabMsg[n].Id = n;
            ctx.TabMsg[n].Richiesta = QString::fromLatin1(richieste[n]);
            ctx.TabMsg[n].Dimensiona(8);
            for (int k = 0; k < 8; ++k) {
                ctx.TabMsg[n].Tipi[k] = QStringLiteral("UB");
                ctx.TabMsg[n].Offset[k] = 6 + k;
                ctx.TabMsg[n].Scala[k] = 1;
            }
        }
    }

private slots:
    void emptyBlockLineKeepsReading()
    {
        QTemporaryDir dir;
        const QString percorso = dir.filePath(QStringLiteral("def.xar"));
        QFile f(percorso);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[BLK_1]\r\n\r\n[BLK_3]\r\n41020C4E010708091011223344\r\n[MAP_0]\r\n41020D5201AABB0000000000CC\r\n");
        f.close();

        ServiziUiScriptati ui;
        Contesto ctx(ui);
        Tabella(ctx);
        ctx.TabMsg[Contesto::RecLive].Immagine = "old";
        QVERIFY(Definizioni::CaricaDefinizioni(ctx, percorso));
        QVERIFY(ctx.TabMsg[Contesto::RecLive].Immagine.isEmpty());
        // The sections after the empty line are read too.
        QCOMPARE(ctx.TabMsg[Contesto::RecConfig].Immagine, HexToStr(QStringLiteral("41020C4E010708091011223344")));
        QCOMPARE(ctx.TabMsg[Contesto::RecConfig].Valori[0], 7);
        QCOMPARE(ctx.TabMsg[Contesto::RecMappa].Immagine, HexToStr(QStringLiteral("41020D5201AABB0000000000CC")));
        QVERIFY2(ui.mostrati.isEmpty(), qPrintable(ui.Testi().join(QLatin1Char('|'))));
    }

    void sequenceFailsWhenTheModeIsNotPutBack_data()
    {
        QTest::addColumn<int>("sequenza");
        QTest::newRow("ScriviBlk2") << 0;
        QTest::newRow("ScriviBlk3") << 1;
        QTest::newRow("ScriviMappe") << 2;
        QTest::newRow("InviaEMemorizza") << 3;
        QTest::newRow("CommutaStato") << 4;
    }

    // Every step answers well except the switch back to the kept mode: the
    // communication process is left in mode 2, and the caller must know it.
    void sequenceFailsWhenTheModeIsNotPutBack()
    {
        QFETCH(int, sequenza);
        qputenv("FAKECOM_MODE", "modeback");
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        Tabella(ctx);
        ctx.impLink.AttesaPipe_usec = 2000000;
        ctx.stato.StatoProgramma = StatoApp::Operazione;
        ctx.link.OpenPipe(QStringLiteral(FAKECOM_PATH));
        ctx.code.ValoriDaScrivere.Aggiungi(5, 0, 0);
        ctx.code.ValoriDaScrivere2.Aggiungi(5, 0, 0);
        ctx.code.DatiMap0 = QByteArray(56, '\1');
        ctx.code.DatiBlk5 = QByteArray(20, '\2');

        SequenzeBlocchi seq(ctx);
        bool ok = true;
        switch (sequenza) {
        case 0: ok = seq.ScriviBlk2(); break;
        case 1: ok = seq.ScriviBlk3(); break;
        case 2: ok = seq.ScriviMappe(); break;
        case 3: ok = seq.InviaEMemorizza(HexToStr(QStringLiteral("4102052C0102"))); break;
        default: ok = seq.CommutaStato(); break;
        }
        QVERIFY(!ok);
        // The mode switch at the start went through; only the restore failed.
        QCOMPARE(ctx.link.RispCodice(), -1);
    }
};

GASCAL_PROVA(TstDatiIntegri)
#include "tst_dati_integri.moc"
