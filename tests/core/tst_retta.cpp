// The calibration line model: edits, floor, pivot moves, the ECU images and
// the legend texts.
#include "RegistroProve.h"
#include "app/Conversioni.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "ui/line/ModelloRetta.h"

#include <QtTest>

using namespace gascal;

namespace {

std::vector<qint32> Punti(const ModelloRetta &m, int da, int a)
{
    return std::vector<qint32>(m.Retta.begin() + da, m.Retta.begin() + a + 1);
}

// A message table with records 0..6; records 4 and 6 sized like the ECU's.
void PreparaTabella(Contesto &ctx, int valoriBlk5)
{
    ctx.TabMsg.resize(7);
    ctx.TabMsg[Contesto::RecBlk5].Dimensiona(valoriBlk5);
    ctx.TabMsg[Contesto::RecMappa].Dimensiona(56);
}

} // namespace

class TstRetta : public QObject
{
    Q_OBJECT
private slots:
    void alzarePivotInterpolaISegmenti()
    {
        ModelloRetta m;
        m.DefaultRetta();
        // Pivot 0 raised on a flat line: 1 - j/6 with 0.5 going to 0.
        m.CorreggiPivot(0, 1);
        QCOMPARE(Punti(m, 0, 6), (std::vector<qint32>{1, 1, 1, 0, 0, 0, 0}));

        // Pivot 1 (point 6) raised to 5: both segments round halves to even.
        m.DefaultRetta();
        for (int i = 0; i < 5; ++i)
            m.CorreggiPivot(1, 1);
        QCOMPARE(Punti(m, 0, 10), (std::vector<qint32>{0, 1, 2, 2, 3, 4, 5, 4, 2, 1, 0}));
        QCOMPARE(m.Retta[11], 0);

        // The last pivot has no right segment.
        m.DefaultRetta();
        m.CorreggiPivot(8, 8);
        QCOMPARE(m.Retta[55], 8);
        QCOMPARE(m.Retta[49], 0);
        QCOMPARE(m.Retta[53], 5); // 8/6*4 = 5.33
    }

    void pavimentoSuiPuntiBassi()
    {
        ModelloRetta m;
        m.DefaultRetta();
        m.CorreggiPivot(0, -1);
        QCOMPARE(m.Retta[0], 0);

        for (int i = 0; i < 100; ++i)
            m.CorreggiPivot(2, -1); // point 10
        QCOMPARE(m.Retta[10], -40);
        QCOMPARE(m.Retta[8], -20); // -41 / 4 * 2 = -20.5, before the floor lifts point 10

        // Pivot 6 moved onto point 40 stops at -160; point 45 has no floor.
        m.DefaultRetta();
        m.PivotSel = 6;
        QCOMPARE(m.Passo(ModelloRetta::Sinistra, false), ModelloRetta::Esito::Eseguita);
        QCOMPARE(m.Pivot[6], 40);
        for (int i = 0; i < 300; ++i)
            m.Passo(ModelloRetta::Abbassa, false);
        QCOMPARE(m.Retta[40], -160);
        m.PivotSel = 7;
        for (int i = 0; i < 300; ++i)
            m.Passo(ModelloRetta::Abbassa, false);
        QCOMPARE(m.Retta[49], -300);
        QVERIFY(m.Retta[45] < -180);

        // The shift of the whole line passes the floor.
        m.DefaultRetta();
        m.SommaCorrezioneTutti(-1);
        QCOMPARE(m.Retta[0], -1);
        QCOMPARE(m.Retta[55], -1);
        m.PivotSel = 4;
        QCOMPARE(m.Passo(ModelloRetta::Alza, true), ModelloRetta::Esito::Eseguita);
        QCOMPARE(m.Retta[0], 0);
        QCOMPARE(m.Retta[27], 0);
    }

    void spostamentoLateraleDeiPivot()
    {
        ModelloRetta m;
        m.DefaultRetta();
        m.Retta[16] = 7;
        m.PivotSel = 3; // point 16, neighbour at 10
        m.Pivot[2] = 11; // gap 5: the move leaves 4
        QCOMPARE(m.Passo(ModelloRetta::Sinistra, false), ModelloRetta::Esito::Eseguita);
        QCOMPARE(m.Pivot[3], 15);
        QCOMPARE(m.Retta[15], 7); // the pivot takes its value along
        QCOMPARE(m.Retta[16], 6); // re-interpolated towards 0 at point 27: 7 - 7/12
        QCOMPARE(m.Passo(ModelloRetta::Sinistra, false), ModelloRetta::Esito::TroppoVicino);
        QCOMPARE(m.Pivot[3], 15);

        m.DefaultRetta();
        m.PivotSel = 7; // 49, right neighbour 55: gap 6
        QCOMPARE(m.Passo(ModelloRetta::Destra, false), ModelloRetta::Esito::Eseguita);
        QCOMPARE(m.Passo(ModelloRetta::Destra, false), ModelloRetta::Esito::Eseguita);
        QCOMPARE(m.Passo(ModelloRetta::Destra, false), ModelloRetta::Esito::TroppoVicino);
        QCOMPARE(m.Pivot[7], 51);

        // The first and last pivot never move, whatever the code.
        for (int p : {0, 8}) {
            m.DefaultRetta();
            m.PivotSel = p;
            for (int add : {2, 3, 7})
                QCOMPARE(m.Passo(add, false), ModelloRetta::Esito::PivotFisso);
            QCOMPARE(m.Pivot, ModelloRetta::PivotDefault);
        }
    }

    void caricamentoDallEcu()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        PreparaTabella(ctx, 20);
        auto &mappa = ctx.TabMsg[Contesto::RecMappa].Valori;
        mappa[0] = 200;
        mappa[1] = 127;
        mappa[2] = 128;
        const std::array<qint32, 9> pivot{0, 5, 12, 18, 25, 33, 40, 48, 55};
        for (int j = 0; j < 9; ++j)
            ctx.TabMsg[Contesto::RecBlk5].Valori[j] = pivot[j];
        ModelloRetta m;
        QVERIFY(m.CaricaDaEcu(ctx));
        QCOMPARE(Punti(m, 0, 3), (std::vector<qint32>{-56, 127, -128, 0}));
        QCOMPARE(m.Pivot, pivot);

        // Pivots that do not rise from 0 to 55 are replaced by the defaults,
        // so an edit never reaches outside the line.
        for (const auto &errati : {std::array<qint32, 9>{0, 6, 10, 16, 27, 35, 41, 49, 200},
                                   std::array<qint32, 9>{0, 6, 6, 16, 27, 35, 41, 49, 55},
                                   std::array<qint32, 9>{}}) {
            for (int j = 0; j < 9; ++j)
                ctx.TabMsg[Contesto::RecBlk5].Valori[j] = errati[j];
            QVERIFY(!m.CaricaDaEcu(ctx));
            QCOMPARE(m.Pivot, ModelloRetta::PivotDefault);
            m.PivotSel = 8;
            m.Passo(ModelloRetta::Alza, false);
            QCOMPARE(m.Retta[55], 1);
        }
    }

    void immaginiPerLEcu()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        PreparaTabella(ctx, 20);
        for (int j = 9; j < 20; ++j)
            ctx.TabMsg[Contesto::RecBlk5].Valori[j] = 100 + j;
        ModelloRetta m;
        m.DefaultRetta();
        m.Retta[0] = -1;
        m.Retta[33] = -160; // allowed by the floor, beyond a byte
        m.Retta[50] = 300;
        m.Pivot[4] = 26;
        m.PrepareScaricaRettaDiCalibrazione(ctx);
        const QByteArray &map0 = ctx.code.DatiMap0;
        QCOMPARE(map0.size(), 56);
        QCOMPARE(quint8(map0.at(0)), 0xFF);
        QCOMPARE(quint8(map0.at(33)), 0x80);
        QCOMPARE(quint8(map0.at(50)), 0x7F);
        const QByteArray &blk5 = ctx.code.DatiBlk5;
        QCOMPARE(blk5.size(), 20);
        QCOMPARE(quint8(blk5.at(4)), 26);
        QCOMPARE(quint8(blk5.at(8)), 55);
        QCOMPARE(quint8(blk5.at(9)), 109);
        QCOMPARE(quint8(blk5.at(19)), 119);

    }

    void richiestaDelloScaricamento()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        PreparaTabella(ctx, 20);
        ModelloRetta m;
        m.DefaultRetta();
        ctx.stato.OperazioneRichiesta = gascal::Operazione::ScriviConfig;
        QVERIFY(!m.RichiediScaricaRetta(ctx));
        QCOMPARE(ctx.stato.OperazioneRichiesta, gascal::Operazione::ScriviConfig);
        QVERIFY(ctx.code.DatiMap0.isEmpty());
        QVERIFY(ctx.code.DatiBlk5.isEmpty());

        ctx.stato.OperazioneRichiesta = gascal::Operazione::Nessuna;
        QVERIFY(m.RichiediScaricaRetta(ctx));
        QCOMPARE(ctx.stato.OperazioneRichiesta, gascal::Operazione::ScriviRetta);
        QCOMPARE(ctx.code.DatiMap0.size(), 56);
    }

    void scalaELegenda()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        ModelloRetta m;
        m.Scala[3] = 99;
        m.CaricaScala(ctx.scale); // no section: all zero
        QCOMPARE(m.Scala[3], 0);

        QStringList valori;
        for (int i = 0; i < 60; ++i)
            valori << QString::number(i * 250);
        ctx.scale.RigheConfigScale = {QStringLiteral("[Scala retta]"), valori.join(QLatin1Char('|'))};
        m.CaricaScala(ctx.scale);
        QCOMPARE(m.Scala[56], 56 * 250); // the values beyond 57 are ignored

        m.DefaultRetta();
        m.Scala[6] = 10750;
        m.Scala[10] = 10250;
        m.Retta[6] = -5;
        m.Retta[10] = 1;
        const QString virgola = QStringLiteral(",");
        QCOMPARE(m.LegendaBenzina(1, virgola), QStringLiteral("10,8"));
        QCOMPARE(m.LegendaBenzina(2, virgola), QStringLiteral("10,2"));
        QCOMPARE(m.LegendaCorrezione(1, virgola), QStringLiteral("-0,32"));
        QCOMPARE(m.LegendaCorrezione(2, virgola), QStringLiteral("0,06"));
        QCOMPARE(ModelloRetta::TestoMs(-50, 1, virgola), QStringLiteral("0,0"));
        QCOMPARE(ModelloRetta::TestoMs(-150, 1, virgola), QStringLiteral("-0,2"));
    }
};

GASCAL_PROVA(TstRetta)
#include "tst_retta.moc"
