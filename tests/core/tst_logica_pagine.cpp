// The pages' logic without windows, on the shipped tables and factory values.
#include "RegistroProve.h"
#include "app/Avvio.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "config/LogicaCommutazione.h"
#include "config/LogicaIniettori.h"
#include "ecu/Definizioni.h"
#include "ui/line/ModelloRetta.h"
#include "FileProva.h"
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <iterator>

using namespace gascal;
using namespace Qt::StringLiterals;
using C = LogicaCommutazione;
using I = LogicaIniettori;
using L = LogicaLivello;
using M = ModelloRetta;
using Esito = M::Esito;

namespace {
// The scale configuration with the edge values; an unnamed level sensor.
const char *const Scala =
    "[InjType_001]\r\nRail 3 ohm\r\n2500\r\n60\r\n20\r\n5000\r\n2492\r\n7500\r\n"
    "[InjType_002]\r\nRail 2 ohm\r\n2000\r\n45\r\n35\r\n4800\r\n1992\r\n7200\r\n"
    "[GasLevel_01]\r\nResistive\r\n1\r\n100\r\n300\r\n500\r\n700\r\n0\r\n[GasLevel_09]\r\n\r\n1\r\n2\r\n3\r\n4\r\n5\r\n0\r\n"
    "[GasLevel_03]\r\nResistive inverted\r\n3\r\n102\r\n205\r\n307\r\n410\r\n32\r\n"
    "[SensPress_00]\r\nP 4 bar\r\n1\r\n[SensPress_01]\r\nP 5 bar\r\n2\r\n[SensPress_02]\r\nInterpolation\r\n0\r\n"
    "[Parametri Fine Gas]\r\n1\r\n[Parametri Abilitazioni]\r\n1\r\n[Rpm di commutazione]\r\n0|400|800|1500|2500\r\n"
    "[Isteresi rpm decelerazione]\r\n0|200|300|500\r\n[Temperatura di commutazione]\r\n20|35|50\r\n"
    "[Pressione di fine gas bar]\r\n600|1200|2000\r\n[Piedistallo Tempo Inj minimo us]\r\n4|1000|2000|2500\r\n"
    "[Sensibilita]\r\n100|250|300|350\r\n[Max power rpm]\r\n3000|6000\r\n[Soglia Tinj max power usec]\r\n3000|16000\r\n";

// A program folder's settings, started without the link; both pages' lists built.
struct Pagine {
    QTemporaryDir cartella;
    ServiziUiScriptati ui;
    Contesto ctx{ui};
    C comm{ctx};
    I inj{ctx};

    bool Avvia()
    {
        for (const char *nome : {"SetCom.ini", "def.xar"})
            QFile::copy(QStringLiteral(GASCAL_BIN "/") + QLatin1String(nome), cartella.filePath(QLatin1String(nome)));
        Scrivi(cartella.filePath(u"ConfigScale.ini"_s), Scala);
        if (!Avvio::EseguiSenzaLink(ctx, cartella.path(), cartella.path())
            || !Definizioni::CaricaDefinizioni(ctx, cartella.filePath(u"def.xar"_s)))
            return false;
        ctx.imp.SepDecimale = u","_s;
        comm.RiempiCmbSwtch(ctx.scale.RigheConfigScale);
        inj.RiempiCmbSwtch();
        inj.CaricaTestiLivello();
        Aggiorna();
        return true;
    }
    QVector<qint32> &Valori() { return ctx.TabMsg[Contesto::RecConfig].Valori; }
    // What a successful write does: the queue into the record, then the refresh.
    void Scritto()
    {
        ctx.code.ValoriDaScrivere.Applica(Valori());
        ctx.code.ValoriDaScrivere = CodaScrittura();
        ctx.stato.OperazioneRichiesta = Operazione::Nessuna;
        Aggiorna();
    }
    void Aggiorna() { comm.AggiornaSelezioni(), inj.AggiornaSelezioni(); }
    ListaScelte &Lista(int pagina, int l) { return pagina == 0 ? comm.Liste[l] : inj.Liste[l]; }
};

// "#n" is item n; anything else an item's text.
int Voce(const ListaScelte &l, const QString &voce)
{
    return voce.startsWith(QLatin1Char('#')) ? voce.mid(1).toInt() : int(l.Voci.indexOf(voce));
}

// A list choice on page 0 or 1: value written (bit: 1 set, 0 clear), item shown, list disabled (-1).
struct Scelta {
    const char *nome;
    int pagina, lista;
    const char *voce;
    int posizione, valore, bit;
    const char *mostrata;
    int spenta;
};
const Scelta Scelte[] = {
    {"speed beyond the period's range", 0, C::CmbSwtchRpm, "400", C::PosPeriodo, 65535, 0, "0", -1},
    {"speed", 0, C::CmbSwtchRpm, "1500", C::PosPeriodo, 20000, 0, "1500", -1},
    {"temperature off", 0, C::CmbSwtchTemp, "#0", C::PosTemperatura, 150, 0, "#0", -1},
    {"end-of-gas pressure", 0, C::CmbSwtchBar, "1,2", C::PosPressioneFineGas, 1200, 0, "1,2", -1},
    {"end of gas off", 0, C::CmbFineGas, "#0", C::PosAbilitazioni, 0, C::BitFineGas, "#0", C::CmbSwtchBar},
    {"decelerating switch-over", 0, C::CmbswitchDir, "#1", C::PosAbilitazioni, 1, C::BitDirezione, "#1", C::CmbSwtchIsteresi},
    {"emergency start on", 0, C::CmbEmergenza, "#1", C::PosAbilitazioni, 1, C::BitEmergenza, "#1", -1},
    {"accelerating switch-over", 0, C::CmbswitchDir, "#0", C::PosAbilitazioni, 0, C::BitDirezione, "#0", -1},
    {"shortest opening", 1, I::CmbMinOn, "0,004", I::PosMinOn, 8, 0, "0,004", -1},
    {"opening", 1, I::CmbMinOn, "2,5", I::PosMinOn, 2492, 0, "2,5", -1},
    {"sensitivity", 1, I::CmbSens, "0,25", I::PosSensibilita, 2, 0, "0,25", -1},
    // 0,35 x 10 is 3,5: 4 tenths, which no item reaches.
    {"sensitivity rounded to even", 1, I::CmbSens, "0,35", I::PosSensibilita, 4, 0, "", -1},
    {"max power speed", 1, I::CmbSogliaMaxPw, "6000", I::PosMaxPwRpm, 6000, 0, "6000", -1},
    {"max power time", 1, I::CmbSogliaMaxPwTinj, "3", I::PosMaxPwTinj, 2872, 0, "3", -1},
    {"max power off", 1, I::CmbSogliaMaxPw, "#0", I::PosMaxPwRpm, I::MaxPwSpento, 0, "#0", I::CmbSogliaMaxPwTinj},
    {"CNG", 1, I::CmbTipoAlim, "#1", I::PosAbilitazioni, 1, I::BitCng, "#1", -1},
    {"LPG", 1, I::CmbTipoAlim, "#0", I::PosAbilitazioni, 0, I::BitCng, "#0", -1},
};

// A factory line edit (pivot `sel` by `add`, `volte` times): outcome, points from `da`, a pivot and its point.
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
    {"no move closer than 4 points (right)", {{7, M::Destra, 3}}, Esito::TroppoVicino, 51, {0}, {7, 51}},
    {"P9 never moves, whatever the code", {{8, 7}}, Esito::PivotFisso, 55, {0}, {8, 55}},
};
} // namespace

class TstLogicaPagine : public QObject
{
    Q_OBJECT
private slots:
    // Each choice changes exactly its position or bit; the refresh shows it and queues nothing.
    void sceltaScriveSoloLaSuaPosizione_data()
    {
        QTest::addColumn<int>("caso");
        for (int i = 0; i < int(std::size(Scelte)); ++i)
            QTest::newRow(Scelte[i].nome) << i;
    }
    void sceltaScriveSoloLaSuaPosizione()
    {
        QFETCH(int, caso);
        const Scelta &c = Scelte[caso];
        Pagine p;
        QVERIFY(p.Avvia());
        qint32 &v = p.Valori()[c.posizione];
        v = c.bit ? (c.valore ? v & ~c.bit : v | c.bit) : 0; // from the other state of a bit
        p.Aggiorna();
        QVERIFY(p.ctx.code.ValoriDaScrivere.Vuota());
        QVector<qint32> atteso = p.Valori();
        atteso[c.posizione] = c.bit ? (c.valore ? v | c.bit : v & ~c.bit) : c.valore;
        ListaScelte &l = p.Lista(c.pagina, c.lista);
        const int i = Voce(l, QLatin1String(c.voce));
        QVERIFY2(i >= 0, qPrintable(l.Voci.join(QLatin1Char('|'))));
        QVERIFY(c.pagina == 0 ? p.comm.Scegli(C::Lista(c.lista), i) : p.inj.Scegli(I::Lista(c.lista), i));
        QCOMPARE(p.ctx.stato.OperazioneRichiesta, Operazione::ScriviConfig);
        p.Scritto();
        QCOMPARE(p.Valori(), atteso);
        QCOMPARE(l.Selezione, *c.mostrata ? Voce(l, QLatin1String(c.mostrata)) : -1);
        if (c.spenta >= 0)
            QVERIFY(!p.Lista(c.pagina, c.spenta).Abilitata);
        QVERIFY(p.ui.mostrati.isEmpty());
    }
    // No choice while refreshing or another operation waits; a PWM value beyond its byte is refused.
    void sceltaNonLiberaECaselleDiServizio()
    {
        Pagine p;
        QVERIFY(p.Avvia());
        p.comm.AggiornamentoInCorso = true;
        QVERIFY(!p.comm.Scegli(C::CmbSwtchRpm, 1));
        p.comm.AggiornamentoInCorso = false;
        p.ctx.stato.OperazioneRichiesta = Operazione::SalvaMappa;
        QVERIFY(!p.comm.Scegli(C::CmbSwtchRpm, 1) && !p.inj.InvioPwm(I::TxtPWMON, u"120"_s));
        QVERIFY(p.ctx.stato.OperazioneRichiesta == Operazione::SalvaMappa && p.ctx.code.ValoriDaScrivere.Vuota());
        p.ctx.stato.OperazioneRichiesta = Operazione::Nessuna;
        QVERIFY(!p.inj.InvioPwm(I::TxtPWMON, u"256"_s));
        QCOMPARE(p.ui.Testi(), QStringList{u"ON: 0 .. 255"_s});
        QVERIFY(p.ctx.stato.OperazioneRichiesta == Operazione::Nessuna && p.inj.InvioPwm(I::TxtPWMON, u"255"_s));
        p.Scritto();
        QVERIFY(p.Valori()[I::PosPwmOn] == 255 && p.inj.Pwm[I::TxtPWMON] == u"255"_s);
        QCOMPARE(p.inj.Pwm[I::TxtPPG], QString::number(p.Valori()[I::PosPpg]));
    }
    void eachFailingStepOfTheListsIsReportedOnceAndTheRestIsBuilt()
    {
        Pagine p; // not started: every dictionary text is missing
        p.ctx.imp.SepDecimale = u","_s;
        p.comm.RiempiCmbSwtch({u"[Temperatura di commutazione]"_s, u"10|20"_s,
                               u"[Pressione di fine gas bar]"_s, u"1200|x|300"_s,
                               u"[Isteresi rpm decelerazione]"_s, u"0|100"_s,
                               u"[Isteresi rpm decelerazione]"_s, u"0|200|400"_s,
                               u"[Rpm di commutazione]"_s});
        // Temperature, the piece "x", the last line's key, three dictionary lists.
        const QStringList testi = p.ui.Testi();
        QCOMPARE(testi.size(), 6);
        for (const QString &t : testi)
            QVERIFY2(t.startsWith(u"Config errorErrorError 001:\r"_s), qPrintable(t));
        QStringList liste;
        for (const auto l : {C::CmbSwtchBar, C::CmbSwtchIsteresi, C::CmbFattore, C::CmbSwtchTemp})
            liste << p.comm.Liste[l].Voci.join(QLatin1Char('|'));
        QCOMPARE(liste, (QStringList{"1,2|0,3", "0|200|400", " x 1| x 2", ""}));
    }
    // The interpolation entry: a warning if end of gas was on; the window with two writes queued.
    void voceInterpolazione()
    {
        Pagine p;
        QVERIFY(p.Avvia());
        const qint32 sensore = p.Valori()[C::PosSensPress], abilitazioni = p.Valori()[C::PosAbilitazioni] |= C::BitFineGas | C::BitEmergenza;
        int aperture = 0;
        p.comm.ApriInterpolazione = [&] {
            ++aperture;
            QCOMPARE(p.ctx.code.ValoriDaScrivere.Numero(), 2);
            QCOMPARE(p.ctx.stato.OperazioneRichiesta, Operazione::Nessuna);
        };
        QVERIFY(p.comm.Scegli(C::CmbTipoSensMap, C::VoceInterpolazione) && aperture == 1);
        QCOMPARE(p.ui.Testi(), QStringList{p.ctx.diz.TestoSezione(u"[Frm_Config]"_s, 23)});
        QVERIFY(p.ctx.imp.CodiceMappaSalvato == sensore && p.ctx.imp.FineGasSalvato == 1);
        p.Scritto();
        QVERIFY(p.Valori()[C::PosSensPress] == 0 && p.Valori()[C::PosAbilitazioni] == (abilitazioni & ~C::BitFineGas));
        // While the mode lasts the list shows the entry and takes no choice.
        QVERIFY(p.comm.Liste[C::CmbTipoSensMap].Selezione == C::VoceInterpolazione && !p.comm.Liste[C::CmbTipoSensMap].Abilitata);
        // A hidden group's lists still show the ECU's values.
        p.ctx.scale.MostraFineGas = false;
        p.comm.RiempiCmbSwtch(p.ctx.scale.RigheConfigScale);
        for (const auto &[pressione, voce] : {std::pair{600, "0,6"}, std::pair{2000, "2"}}) {
            p.Valori()[C::PosPressioneFineGas] = pressione;
            p.Aggiorna();
            QCOMPARE(p.comm.Liste[C::CmbSwtchBar].Testo(), QLatin1String(voce));
        }
    }
    // The level group: marks, labels, readings, a dragged mark, an inverted sensor, an unknown code.
    void livello()
    {
        Pagine p;
        QVERIFY(p.Avvia());
        L &g = p.inj.Livello;
        const QString pieno = g.TagMassimo, vuoto = g.TagMinimo;
        QVERIFY(!pieno.isEmpty() && pieno != vuoto && p.ctx.scale.TabLivello.size() == 3);
        QCOMPARE(g.CmbTipoLev.Voci, (QStringList{"Resistive", "Resistive inverted"}));
        QVERIFY(g.SceltaTipo(0));
        p.Scritto();
        QCOMPARE(p.Valori().mid(L::PosSoglia0, 4), (QVector<qint32>{100, 300, 500, 700}));
        QCOMPARE(g.HScrLevel, (std::array<int, 4>{700, 500, 300, 100}));
        QVERIFY(g.LblLevel[3] == u"R=0,49 (v)"_s && g.CaptionMassimo == pieno);
        QVERIFY(g.SpostaBarra(2, 50) && g.HScrLevel[3] == 50); // the last mark follows the one that passes it
        p.Scritto();
        // Inverted (entry 2, sensor 3): captions swap, mark k at position 8 + k.
        QVERIFY(g.SceltaTipo(1));
        p.Scritto();
        QVERIFY(p.Valori()[L::PosTipo] == 32 * 256 + 3 && g.CmbTipoLev.Selezione == 1);
        QVERIFY(g.HScrLevel[0] == 102 && g.LblLevel[0] == u"3/4=0,50 (v)"_s);
        // A code in no table: the type flags come from the high byte.
        auto &live = p.ctx.TabMsg[Contesto::RecLive].Valori;
        live[L::PosNonFiltrato] = 150;
        for (int k = 8; k <= 11; ++k)
            p.Valori()[k] = 100 * (k - 7);
        p.Valori()[L::PosTipo] = 31 * 256 + 0x80;
        g.CaricaLivelliAttuale();
        QCOMPARE(g.ShpLevel, (std::array<bool, 4>{false, false, false, true}));
        p.Valori()[L::PosTipo] = 32 * 256 + 0x80;
        g.CaricaLivelliAttuale();
        QCOMPARE(g.ShpLevel, (std::array<bool, 4>{false, true, true, true}));
        // A list left over from a longer table writes nothing.
        p.ctx.scale.TabLivello.removeLast();
        QVERIFY(!g.SceltaTipo(1) && p.ctx.code.ValoriDaScrivere.Vuota());
    }
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
                QString s = u"%1: %2, pivot %3, from %4:"_s.arg(QLatin1String(c.nome)).arg(int(e)).arg(pivot).arg(c.da);
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
    // The line from the ECU's records 4 and 6, the images back, the legend.
    void rettaEdEcu()
    {
        ServiziUiScriptati ui;
        Contesto ctx(ui);
        ctx.TabMsg.resize(7);
        ctx.TabMsg[Contesto::RecBlk5].Dimensiona(20);
        ctx.TabMsg[Contesto::RecMappa].Dimensiona(56);
        for (const qint32 v : {128, 127, 200})
            ctx.TabMsg[Contesto::RecMappa].Valori.prepend(v);
        const std::array<qint32, 9> pivot{0, 5, 12, 18, 25, 33, 40, 48, 55};
        std::copy(pivot.begin(), pivot.end(), ctx.TabMsg[Contesto::RecBlk5].Valori.begin());
        M m;
        QVERIFY(m.CaricaDaEcu(ctx));
        QCOMPARE(std::vector<qint32>(m.Retta.begin(), m.Retta.begin() + 4), (std::vector<qint32>{-56, 127, -128, 0}));
        QCOMPARE(m.Pivot, pivot);
        // Pivots that do not rise from 0 to 55 are replaced by the defaults.
        for (const auto &errati : {std::array<qint32, 9>{0, 6, 10, 16, 27, 35, 41, 49, 200},
                                   std::array<qint32, 9>{0, 6, 6, 16, 27, 35, 41, 49, 55},
                                   std::array<qint32, 9>{}}) {
            std::copy(errati.begin(), errati.end(), ctx.TabMsg[Contesto::RecBlk5].Valori.begin());
            QVERIFY(!m.CaricaDaEcu(ctx) && m.Pivot == M::PivotDefault);
            m.PivotSel = 8;
            m.Passo(M::Alza, false);
            QCOMPARE(m.Retta[55], 1);
        }
        for (int j = 9; j < 20; ++j)
            ctx.TabMsg[Contesto::RecBlk5].Valori[j] = 100 + j;
        m.DefaultRetta();
        m.Retta[0] = -1;
        m.Retta[33] = -160; // allowed by the floor, beyond a byte
        m.Retta[50] = 300;
        m.Pivot[4] = 26;
        // Nothing is prepared while another operation waits.
        ctx.stato.OperazioneRichiesta = Operazione::ScriviConfig;
        QVERIFY(!m.RichiediScaricaRetta(ctx) && ctx.stato.OperazioneRichiesta == Operazione::ScriviConfig);
        QVERIFY(ctx.code.DatiMap0.isEmpty() && ctx.code.DatiBlk5.isEmpty());
        ctx.stato.OperazioneRichiesta = Operazione::Nessuna;
        QVERIFY(m.RichiediScaricaRetta(ctx) && ctx.stato.OperazioneRichiesta == Operazione::ScriviRetta);
        const QByteArray &map0 = ctx.code.DatiMap0;
        QCOMPARE((QList<int>{int(map0.size()), quint8(map0[0]), quint8(map0[33]), quint8(map0[50])}),
                 (QList<int>{56, 0xFF, 0x80, 0x7F}));
        // The pivots, then the rest of record 4 as the ECU holds it.
        QCOMPARE(ctx.code.DatiBlk5.toHex(), QByteArray("00060a101a23293137" "6d6e6f7071727374757677"));
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

GASCAL_PROVA(TstLogicaPagine)
#include "tst_logica_pagine.moc"
