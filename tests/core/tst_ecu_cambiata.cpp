// What the program keeps for the ECU it was talking to when another, or
// none, answers: the title's map file and the writes waiting for it.
#include "RegistroProve.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "ecu/ScrittureInSospeso.h"
#include "mapfile/Identita.h"

#include <QTest>

using namespace gascal;

class TstEcuCambiata : public QObject
{
    Q_OBJECT
private slots:
    void titoloSoloPerLEcuDelFile_data()
    {
        QTest::addColumn<QString>("titolo");
        QTest::addColumn<bool>("daEcu");
        QTest::addColumn<QString>("serieFile");
        QTest::addColumn<QString>("serieTrovata");
        QTest::addColumn<bool>("tolto");
        QTest::newRow("same ECU") << " - [a.var] " << true << "87-1234" << "87-1234" << false;
        QTest::newRow("another serial") << " - [a.var] " << true << "87-1234" << "87-4321" << true;
        QTest::newRow("another lot") << " - [a.var] " << true << "87-1234" << "88-1234" << true;
        QTest::newRow("opened offline") << " - [a.var] " << false << "" << "87-1234" << true;
        QTest::newRow("serial not readable, same") << " - [a.var] " << true << "" << "" << false;
        QTest::newRow("no file named") << "" << false << "" << "87-1234" << false;
    }
    void titoloSoloPerLEcuDelFile()
    {
        QFETCH(QString, titolo);
        QFETCH(bool, daEcu);
        QFETCH(QString, serieFile);
        QFETCH(QString, serieTrovata);
        QFETCH(bool, tolto);
        StatoApp s;
        s.TitoloFile = titolo;
        if (daEcu)
            s.SerieTitolo = serieFile;
        QCOMPARE(s.EcuTrovata(serieTrovata), tolto);
        QCOMPARE(s.TitoloFile.isEmpty(), tolto || titolo.isEmpty());
    }

    void serieDalRecordDiProduzione()
    {
        MsgRecord produzione;
        QCOMPARE(Identita::NumeroSerie(produzione), QString());
        produzione.Valori = {1234, 87, 48};
        QCOMPARE(Identita::NumeroSerie(produzione), QStringLiteral("87-1234"));
    }

    void scrittureScartate_data()
    {
        using O = gascal::Operazione;
        QTest::addColumn<O>("operazione");
        QTest::addColumn<bool>("definizioni");
        QTest::addColumn<O>("rimasta");
        for (O op : {O::ScriviConfig, O::ScriviRetta, O::CommutaStato, O::InviaEMemorizza, O::ScriviComandi})
            QTest::addRow("operation %d", static_cast<int>(op)) << op << false << O::Nessuna;
        QTest::newRow("map save") << O::SalvaMappa << false << O::SalvaMappa;
        QTest::newRow("map load, compared first") << O::CaricaMappa << false << O::CaricaMappa;
        QTest::newRow("reset to a definition file") << O::CaricaMappa << true << O::Nessuna;
    }
    void scrittureScartate()
    {
        QFETCH(gascal::Operazione, operazione);
        QFETCH(bool, definizioni);
        QFETCH(gascal::Operazione, rimasta);
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        ctx.imp.FileDefGpl = QStringLiteral("/prog/def.xar");
        ctx.code.ValoriDaScrivere.Aggiungi(1500, 15, 0);
        ctx.code.ValoriDaScrivere2.Imposta(8, 2, 8);
        ctx.code.DatiMap0 = QByteArray(56, '\1');
        ctx.code.DatiBlk5 = QByteArray(4, '\2');
        ctx.code.MessaggioDaInviare = "msg";
        ctx.stato.FileDefinizioni = definizioni ? ctx.imp.FileDefGpl : QStringLiteral("a.var");
        ctx.stato.RichiediOperazione(operazione);

        QCOMPARE(ScrittureInSospeso::Scarta(ctx),
                 rimasta != gascal::Operazione::Nessuna ? gascal::Operazione::Nessuna : operazione);
        QCOMPARE(ctx.stato.OperazioneRichiesta, rimasta);
        QVERIFY(ctx.code.ValoriDaScrivere.Vuota());
        QVERIFY(ctx.code.ValoriDaScrivere2.Vuota());
        QVERIFY(ctx.code.DatiMap0.isEmpty());
        QVERIFY(ctx.code.MessaggioDaInviare.isEmpty());
        QCOMPARE(ctx.code.DatiBlk5, QByteArray(4, '\2'));
        // The file of a dropped reset goes with it.
        QCOMPARE(ctx.stato.FileDefinizioni.isEmpty(), operazione == gascal::Operazione::CaricaMappa
                 && rimasta == gascal::Operazione::Nessuna);
    }
};

GASCAL_PROVA(TstEcuCambiata)
#include "tst_ecu_cambiata.moc"
