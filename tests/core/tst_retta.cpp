// The calibration line model: edits, floor, pivot moves, the ECU images and
// the legend texts.
#include "RegistroProve.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "ui/line/ModelloRetta.h"

#include <QtTest>

#include <functional>

using namespace gascal;
using M = ModelloRetta;
using Esito = M::Esito;

namespace {

// A message table with records 0..6; records 4 and 6 sized like the ECU's.
void PreparaTabella(Contesto &ctx)
{
    ctx.TabMsg.resize(7);
    ctx.TabMsg[Contesto::RecBlk5].Dimensiona(20);
    ctx.TabMsg[Contesto::RecMappa].Dimensiona(56);
}

// Steps of an edit on the factory line: pivot `sel` changed by `add`, `volte`
// times; the last step's outcome, the points from `da` on, a pivot and the
// point it must be on.
struct Passo { int sel, add, volte = 1; bool tutti = false; };
struct Caso {
    const char *nome;
    std::vector<Passo> passi;
    Esito esito;
    int da;
    std::vector<qint32> punti;
    std::pair<int, qint32> pivot{0, 0};
    std::function<void(M &)> prima = {};
};

const Caso Casi[] = {
    {"P1 raised on a flat line: halves go to even", {{0, M::Alza}}, Esito::Eseguita, 0, {1, 1, 1, 0, 0, 0, 0}},
    {"P2 raised: both segments", {{1, M::Alza, 5}}, Esito::Eseguita, 0, {0, 1, 2, 2, 3, 4, 5, 4, 2, 1, 0, 0}},
    {"P9 has no right segment", {{8, M::Alza, 8}}, Esito::Eseguita, 49, {0, 1, 3, 4, 5, 7, 8}},
    {"P9 lowered: no floor past point 40", {{8, M::Abbassa, 3}}, Esito::Eseguita, 49, {0, 0, -1, -2, -2, -2, -3}},
    {"P1 lowered: floor 0 at point 0", {{0, M::Abbassa}}, Esito::Eseguita, 0, {0, -1}},
    {"P3 lowered: floor -4i, computed before it lifts the pivot", {{2, M::Abbassa, 100}}, Esito::Eseguita,
     6, {0, -10, -20, -31, -40, -34}},
    {"floor down to point 40 only", {{6, M::Sinistra}, {6, M::Abbassa, 300}, {7, M::Abbassa, 300}}, Esito::Eseguita,
     40, {-160, -176, -191, -207, -222, -238, -253, -269, -284, -300}, {6, 40}},
    {"the whole line's shift passes the floor", {{4, M::Abbassa, 2, true}, {4, M::Alza, 1, true}}, Esito::Eseguita,
     0, {-1, -1}, {4, 27}},
    {"a pivot moved takes its value along", {{3, M::Sinistra}}, Esito::Eseguita, 15, {7, 6}, {3, 15},
     [](M &m) { m.Retta[16] = 7; m.Pivot[2] = 11; }},
    {"no move closer than 4 points (left)", {{3, M::Sinistra, 2}}, Esito::TroppoVicino, 15, {7}, {3, 15},
     [](M &m) { m.Retta[16] = 7; m.Pivot[2] = 11; }},
    {"P3 4 points from P2", {{2, M::Sinistra}}, Esito::TroppoVicino, 10, {0}, {2, 10}},
    {"P4 moved right", {{3, M::Destra}}, Esito::Eseguita, 17, {0}, {3, 17}},
    {"no move closer than 4 points (right)", {{7, M::Destra, 3}}, Esito::TroppoVicino, 51, {0}, {7, 51}},
    {"P1 never moves right", {{0, M::Destra}}, Esito::PivotFisso, 0, {0}, {0, 0}},
    {"P1 never moves left", {{0, M::Sinistra}}, Esito::PivotFisso, 0, {0}, {0, 0}},
    {"P9 never moves, whatever the code", {{8, 7}}, Esito::PivotFisso, 55, {0}, {8, 55}},
};

} // namespace

class TstRetta : public QObject
{
    Q_OBJECT
private slots:
    void modifiche()
    {
        for (const Caso &c : Casi) {
            M m;
            m.DefaultRetta();
            if (c.prima)
                c.prima(m);
            Esito esito = Esito::Eseguita;
            for (const Passo &p : c.passi) {
                m.PivotSel = p.sel;
                for (int i = 0; i < p.volte; ++i)
                    esito = m.Passo(p.add, p.tutti);
            }
            const auto testo = [&c](Esito e, auto da, qint32 pivot) {
                QString s = QStringLiteral("%1: %2, pivot %3, from %4:").arg(QLatin1String(c.nome)).arg(int(e)).arg(pivot).arg(c.da);
                for (std::size_t i = 0; i < c.punti.size(); ++i)
                    s += QStringLiteral(" %1").arg(da[i]);
                return s;
            };
            QCOMPARE(testo(esito, m.Retta.begin() + c.da, m.Pivot[c.pivot.first]),
                     testo(c.esito, c.punti.begin(), c.pivot.second));
            if (c.esito == Esito::PivotFisso)
                QCOMPARE(m.Pivot, M::PivotDefault);
        }
    }

    void caricamentoDallEcu()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        PreparaTabella(ctx);
        for (const qint32 v : {128, 127, 200})
            ctx.TabMsg[Contesto::RecMappa].Valori.prepend(v);
        const std::array<qint32, 9> pivot{0, 5, 12, 18, 25, 33, 40, 48, 55};
        std::copy(pivot.begin(), pivot.end(), ctx.TabMsg[Contesto::RecBlk5].Valori.begin());
        M m;
        QVERIFY(m.CaricaDaEcu(ctx));
        QCOMPARE(std::vector<qint32>(m.Retta.begin(), m.Retta.begin() + 4), (std::vector<qint32>{-56, 127, -128, 0}));
        QCOMPARE(m.Pivot, pivot);

        // Pivots that do not rise from 0 to 55 are replaced by the defaults,
        // so an edit never reaches outside the line.
        for (const auto &errati : {std::array<qint32, 9>{0, 6, 10, 16, 27, 35, 41, 49, 200},
                                   std::array<qint32, 9>{0, 6, 6, 16, 27, 35, 41, 49, 55},
                                   std::array<qint32, 9>{}}) {
            std::copy(errati.begin(), errati.end(), ctx.TabMsg[Contesto::RecBlk5].Valori.begin());
            QVERIFY(!m.CaricaDaEcu(ctx));
            QCOMPARE(m.Pivot, M::PivotDefault);
            m.PivotSel = 8;
            m.Passo(M::Alza, false);
            QCOMPARE(m.Retta[55], 1);
        }
    }

    void immaginiERichiestaPerLEcu()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        PreparaTabella(ctx);
        for (int j = 9; j < 20; ++j)
            ctx.TabMsg[Contesto::RecBlk5].Valori[j] = 100 + j;
        M m;
        m.DefaultRetta();
        m.Retta[0] = -1;
        m.Retta[33] = -160; // allowed by the floor, beyond a byte
        m.Retta[50] = 300;
        m.Pivot[4] = 26;
        // Nothing is prepared while another operation waits.
        ctx.stato.OperazioneRichiesta = Operazione::ScriviConfig;
        QVERIFY(!m.RichiediScaricaRetta(ctx));
        QCOMPARE(ctx.stato.OperazioneRichiesta, Operazione::ScriviConfig);
        QVERIFY(ctx.code.DatiMap0.isEmpty() && ctx.code.DatiBlk5.isEmpty());
        ctx.stato.OperazioneRichiesta = Operazione::Nessuna;
        QVERIFY(m.RichiediScaricaRetta(ctx));
        QCOMPARE(ctx.stato.OperazioneRichiesta, Operazione::ScriviRetta);

        const QByteArray &map0 = ctx.code.DatiMap0;
        QCOMPARE((QList<int>{int(map0.size()), quint8(map0[0]), quint8(map0[33]), quint8(map0[50])}),
                 (QList<int>{56, 0xFF, 0x80, 0x7F}));
        // The pivots, then the rest of record 4 as the ECU holds it.
        QCOMPARE(ctx.code.DatiBlk5.toHex(), QByteArray("00060a101a23293137" "6d6e6f7071727374757677"));
    }

    void scalaELegenda()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        M m;
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
        const QString v = QStringLiteral(",");
        QCOMPARE((QStringList{m.LegendaBenzina(1, v), m.LegendaBenzina(2, v), m.LegendaCorrezione(1, v),
                              m.LegendaCorrezione(2, v), M::TestoMs(-50, 1, v), M::TestoMs(-150, 1, v)}),
                 (QStringList{"10,8", "10,2", "-0,32", "0,06", "0,0", "-0,2"}));
    }
};

GASCAL_PROVA(TstRetta)
#include "tst_retta.moc"
