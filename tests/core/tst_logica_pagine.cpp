// The two configuration pages' choices without windows, on the shipped
// message table, the factory LPG values and a scale configuration that holds
// the edge values, with a decimal comma: what each choice writes into the
// configuration record (and nothing else), what the refresh then shows, the
// lists' error report, and the level group's marks, captions and readings.
#include "RegistroProve.h"
#include "app/Avvio.h"
#include "app/Contesto.h"
#include "app/ServiziUiScriptati.h"
#include "config/LogicaCommutazione.h"
#include "config/LogicaIniettori.h"
#include "ecu/Definizioni.h"

#include "FileProva.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <iterator>

using namespace gascal;
using namespace Qt::StringLiterals;
using C = LogicaCommutazione;
using I = LogicaIniettori;
using L = LogicaLivello;

namespace {

// The level sensor without a name has no list entry.
const char *const Scala =
    "[InjType_001]\r\nRail 3 ohm\r\n2500\r\n60\r\n20\r\n5000\r\n2492\r\n7500\r\n"
    "[InjType_002]\r\nRail 2 ohm\r\n2000\r\n45\r\n35\r\n4800\r\n1992\r\n7200\r\n"
    "[GasLevel_01]\r\nResistive\r\n1\r\n100\r\n300\r\n500\r\n700\r\n0\r\n"
    "[GasLevel_09]\r\n\r\n1\r\n2\r\n3\r\n4\r\n5\r\n0\r\n"
    "[GasLevel_03]\r\nResistive inverted\r\n3\r\n102\r\n205\r\n307\r\n410\r\n32\r\n"
    "[SensPress_00]\r\nP 4 bar\r\n1\r\n[SensPress_01]\r\nP 5 bar\r\n2\r\n"
    "[SensPress_02]\r\nInterpolation\r\n0\r\n"
    "[Parametri Fine Gas]\r\n1\r\n[Parametri Abilitazioni]\r\n1\r\n"
    "[Rpm di commutazione]\r\n0|400|800|1500|2500\r\n"
    "[Isteresi rpm decelerazione]\r\n0|200|300|500\r\n"
    "[Temperatura di commutazione]\r\n20|35|50\r\n"
    "[Pressione di fine gas bar]\r\n600|1200|2000\r\n"
    "[Piedistallo Tempo Inj minimo us]\r\n4|1000|2000|2500\r\n"
    "[Sensibilita]\r\n100|250|300|350\r\n"
    "[Max power rpm]\r\n3000|6000\r\n"
    "[Soglia Tinj max power usec]\r\n3000|16000\r\n";

// A program folder's settings, started without the link, with the factory
// values in the records and both pages' lists built.
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
    void Aggiorna()
    {
        comm.AggiornaSelezioni();
        inj.AggiornaSelezioni();
    }
    ListaScelte &Lista(int pagina, int l) { return pagina == 0 ? comm.Liste[l] : inj.Liste[l]; }
};

// "#n" is item n; anything else an item's text.
int Voce(const ListaScelte &l, const QString &voce)
{
    return voce.startsWith(QLatin1Char('#')) ? voce.mid(1).toInt() : int(l.Voci.indexOf(voce));
}

// A choice in a list of page 0 or 1: the value it writes at its position
// (with a bit: 1 set, 0 cleared), the item then shown ("" none), and a list
// of the page that the choice disables (-1 none).
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

} // namespace

class TstLogicaPagine : public QObject
{
    Q_OBJECT
private slots:
    // Each choice changes exactly its position (or its bit of position 12),
    // and the refresh that follows shows the item again and queues nothing.
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

    // A choice while refreshing, or while another operation waits, does nothing.
    void sceltaRifiutataSeNonLibera()
    {
        Pagine p;
        QVERIFY(p.Avvia());
        p.comm.AggiornamentoInCorso = true;
        QVERIFY(!p.comm.Scegli(C::CmbSwtchRpm, 1));
        p.comm.AggiornamentoInCorso = false;
        p.ctx.stato.OperazioneRichiesta = Operazione::SalvaMappa;
        QVERIFY(!p.comm.Scegli(C::CmbSwtchRpm, 1));
        QVERIFY(!p.inj.InvioPwm(I::TxtPWMON, u"120"_s));
        QCOMPARE(p.ctx.stato.OperazioneRichiesta, Operazione::SalvaMappa);
        QVERIFY(p.ctx.code.ValoriDaScrivere.Vuota());
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
        // Temperature (text 19), the pressure piece "x", the rpm key on the
        // last line, and the three lists of dictionary texts.
        const QStringList testi = p.ui.Testi();
        QCOMPARE(testi.size(), 6);
        for (const QString &t : testi)
            QVERIFY2(t.startsWith(u"Config errorErrorError 001:\r"_s), qPrintable(t));
        QCOMPARE(p.comm.Liste[C::CmbSwtchBar].Voci, (QStringList{"1,2", "0,3"}));
        QCOMPARE(p.comm.Liste[C::CmbSwtchIsteresi].Voci, (QStringList{"0", "200", "400"}));
        QCOMPARE(p.comm.Liste[C::CmbFattore].Voci, (QStringList{" x 1", " x 2"}));
        QVERIFY(p.comm.Liste[C::CmbSwtchTemp].Voci.isEmpty());
    }

    // The interpolation entry opens its window with the two writes queued and
    // before the write is asked for, warning first when end of gas was on.
    void voceInterpolazione()
    {
        Pagine p;
        QVERIFY(p.Avvia());
        p.Valori()[C::PosAbilitazioni] |= C::BitFineGas;
        const qint32 sensore = p.Valori()[C::PosSensPress];
        int aperture = 0;
        p.comm.ApriInterpolazione = [&] {
            ++aperture;
            QCOMPARE(p.ctx.code.ValoriDaScrivere.Numero(), 2);
            QCOMPARE(p.ctx.stato.OperazioneRichiesta, Operazione::Nessuna);
        };
        QVERIFY(p.comm.Scegli(C::CmbTipoSensMap, C::VoceInterpolazione));
        QCOMPARE(aperture, 1);
        QCOMPARE(p.ui.Testi(), QStringList{p.ctx.diz.TestoSezione(u"[Frm_Config]"_s, 23)});
        QCOMPARE(p.ctx.imp.CodiceMappaSalvato, sensore);
        QCOMPARE(p.ctx.imp.FineGasSalvato, 1);
        p.Scritto();
        QCOMPARE(p.Valori()[C::PosSensPress], 0);
        QCOMPARE(p.Valori()[C::PosAbilitazioni] & C::BitFineGas, 0);
        // While the mode lasts the list shows the entry and takes no choice.
        QCOMPARE(p.comm.Liste[C::CmbTipoSensMap].Selezione, C::VoceInterpolazione);
        QVERIFY(!p.comm.Liste[C::CmbTipoSensMap].Abilitata);

        // A hidden group's lists still show the ECU's values.
        p.ctx.scale.MostraFineGas = false;
        p.comm.RiempiCmbSwtch(p.ctx.scale.RigheConfigScale);
        QVERIFY(!p.comm.GruppoFineGas() && !p.comm.Liste[C::CmbSwtchBar].Visibile);
        for (const auto &[pressione, voce] : {std::pair{600, "0,6"}, std::pair{2000, "2"}}) {
            p.Valori()[C::PosPressioneFineGas] = pressione;
            p.Aggiorna();
            QCOMPARE(p.comm.Liste[C::CmbSwtchBar].Testo(), QLatin1String(voce));
        }
    }

    // A PWM value the byte cannot hold is refused with its range; a
    // production value goes out as the stored message.
    void caselleDiServizio()
    {
        Pagine p;
        QVERIFY(p.Avvia());
        QVERIFY(!p.inj.InvioPwm(I::TxtPWMON, u"256"_s));
        QCOMPARE(p.ui.Testi(), QStringList{u"ON: 0 .. 255"_s});
        QCOMPARE(p.ctx.stato.OperazioneRichiesta, Operazione::Nessuna);
        QVERIFY(p.inj.InvioPwm(I::TxtPWMON, u"255"_s));
        p.Scritto();
        QCOMPARE(p.Valori()[I::PosPwmOn], 255);
        QCOMPARE(p.inj.Pwm[I::TxtPWMON], u"255"_s);
        QVERIFY(p.inj.InvioProduzione(3, u"2015"_s));
        QCOMPARE(p.ctx.stato.OperazioneRichiesta, Operazione::InviaEMemorizza);
        QVERIFY(!p.ctx.code.MessaggioDaInviare.isEmpty());
    }

    // The level group: marks, their labels, the live readings with the engine
    // off, a dragged mark, an inverted sensor's captions and positions, and
    // the lamps of a type word whose code is in no table.
    void livello()
    {
        Pagine p;
        QVERIFY(p.Avvia());
        L &g = p.inj.Livello;
        const QString pieno = g.TagMassimo, vuoto = g.TagMinimo;
        QVERIFY(!pieno.isEmpty() && pieno != vuoto);
        QCOMPARE(p.ctx.scale.TabLivello.size(), 3);
        QCOMPARE(g.CmbTipoLev.Voci, (QStringList{"Resistive", "Resistive inverted"}));
        QVERIFY(g.SceltaTipo(0));
        p.Scritto();
        QCOMPARE(p.Valori().mid(L::PosSoglia0, 4), (QVector<qint32>{100, 300, 500, 700}));
        QCOMPARE(g.HScrLevel, (std::array<int, 4>{700, 500, 300, 100}));
        QCOMPARE(g.LblLevel[3], u"R=0,49 (v)"_s);
        QCOMPARE(g.CaptionMassimo, pieno);

        auto &live = p.ctx.TabMsg[Contesto::RecLive].Valori;
        live[L::PosStatoLive] = 0; // engine off: no filtered reading
        live[L::PosNonFiltrato] = 60;
        g.CaricaLivelliAttuale();
        QCOMPARE(g.LblLevelNoFiltroVal, u"0,293"_s);
        QCOMPARE(g.LblLevelFiltroVal, L::Nessuna);
        QVERIFY(!g.ShpLevel[3]);

        // The 2/4 mark dragged above 3/4 pushes it on screen; only 2/4 is written.
        QVERIFY(g.SpostaBarra(1, 800));
        QCOMPARE(g.HScrLevel[0], 800);
        QCOMPARE(p.ctx.code.ValoriDaScrivere.Numero(), 1);
        p.Scritto();
        QCOMPARE(p.Valori().mid(L::PosSoglia0, 4), (QVector<qint32>{100, 300, 800, 700}));
        QCOMPARE(g.HScrLevel[0], 700);

        // Inverted (the second entry, the third sensor): the captions swap,
        // mark k takes position 8 + k, and the refresh finds the entry again.
        QVERIFY(g.SceltaTipo(1));
        p.Scritto();
        QCOMPARE(p.Valori()[L::PosTipo], 32 * 256 + 3);
        QCOMPARE(g.CmbTipoLev.Selezione, 1);
        QCOMPARE(g.CaptionMassimo, vuoto);
        QCOMPARE(g.CaptionMinimo, pieno);
        QCOMPARE(g.HScrLevel[0], 102);
        QCOMPARE(g.LblLevel[0], u"3/4=0,50 (v)"_s);

        // A code in no table: the type flags come from the high byte.
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
        QVERIFY(!g.SceltaTipo(1));
        QVERIFY(p.ctx.code.ValoriDaScrivere.Vuota());
    }
};

GASCAL_PROVA(TstLogicaPagine)
#include "tst_logica_pagine.moc"
