// The configuration pages' core classes without windows and without an ECU:
// the number conversions, the list building and its error report, the
// refresh, the guard of the choices, and the level group's table mapping.
#include "RegistroProve.h"
#include "app/Contesto.h"
#include "app/Conversioni.h"
#include "app/ServiziUiScriptati.h"
#include "config/LogicaCommutazione.h"
#include "config/LogicaIniettori.h"
#include "ecu/Definizioni.h"
#include "link/CaricaSetCom.h"

#include <QTest>

using namespace gascal;
using namespace Qt::StringLiterals;
using C = LogicaCommutazione;

namespace {

// A context with the shipped message table and the factory LPG values.
struct Banco {
    ServiziUiScriptati ui;
    Contesto ctx{ui};
    Banco()
    {
        CaricaSetCom(QStringLiteral(GASCAL_BIN "/SetCom.ini"), ctx.TabMsg, ctx.impLink, ui);
        Definizioni::CaricaDefinizioni(ctx, QStringLiteral(GASCAL_BIN "/def.xar"));
        ctx.imp.SepDecimale = u","_s;
    }
    qint32 &V(int k) { return ctx.TabMsg[Contesto::RecConfig].Valori[k]; }
};

} // namespace

class TstConfigLogica : public QObject
{
    Q_OBJECT
private slots:
    // Halves go to the even neighbour, also those of decimal texts; numbers
    // follow the user's separator.
    void numberConversions()
    {
        using namespace Conversioni;
        const QString v = u","_s, p = u"."_s;
        QCOMPARE((QList<qint64>{Arrotonda(2.5), Arrotonda(3.5), Arrotonda(-2.5), Arrotonda(2.5000001)}),
                 (QList<qint64>{2, 4, -2, 3}));
        QCOMPARE(Arrotonda(*Numero(u"0,35"_s, v) * 10), 4);
        // 2,675 x 100 is 267.49999999999997 in binary: it stands for the half 267,5.
        QCOMPARE(Arrotonda(*Numero(u"2,675"_s, v) * 100), 268);
        QCOMPARE(Arrotonda(*Numero(u"0,25"_s, v) * 10), 2);
        QCOMPARE(Fix(-2.7), -2);
        QCOMPARE(Int(-2.3), -3);
        QCOMPARE(Fix(*Numero(u"1.005"_s, p) * 1000 - 128), 877);
        QCOMPARE(Int(0.29 * 100), 29); // 28.999999999999996
        QCOMPARE(Numero(u" 1,2 "_s, v), std::optional<double>(1.2));
        QCOMPARE(Numero(u"1.2"_s, p), std::optional<double>(1.2));
        // The other mark would be a grouping mark: refused, never 12.
        for (const auto &[testo, separatore] : {std::pair{u"1.2"_s, v}, {u"1,2"_s, p}, {u"Off"_s, v}, {QString(), v}})
            QVERIFY(!Numero(testo, separatore));
        QCOMPARE(Intero(u"2,5"_s, v), std::optional<qint64>(2));
        QCOMPARE((QStringList{TestoMilli(1200, v), TestoMilli(4, v), TestoMilli(6000, v), TestoMilli(0, p),
                              TestoMilli(-1500, p)}), (QStringList{"1,2", "0,004", "6", "0", "-1.5"}));
        QCOMPARE(TestoDecimali(60 * 5 / 1024.0, 3, v), u"0,293"_s);
        QCOMPARE(TestoDecimali(0.0625, 3, v), u"0,062"_s);
        QCOMPARE(TestoDecimali(0.125, 2, p), u"0.12"_s);
    }

    void eachFailingStepOfTheListsIsReportedOnceAndTheRestIsBuilt()
    {
        Banco b; // no dictionary: every dictionary text is missing
        C logica(b.ctx);
        logica.RiempiCmbSwtch({u"[Temperatura di commutazione]"_s, u"10|20"_s,
                               u"[Pressione di fine gas bar]"_s, u"1200|x|300"_s,
                               u"[Isteresi rpm decelerazione]"_s, u"0|100"_s,
                               u"[Isteresi rpm decelerazione]"_s, u"0|200|400"_s,
                               u"[Rpm di commutazione]"_s});
        // Temperature (text 19), the pressure piece "x", the rpm key on the
        // last line, and the three lists of dictionary texts.
        const QStringList testi = b.ui.Testi();
        QCOMPARE(testi.size(), 6);
        for (const QString &t : testi)
            QVERIFY2(t.startsWith(u"Config errorErrorError 001:\r"_s), qPrintable(t));
        QCOMPARE(logica.Liste[C::CmbSwtchBar].Voci, (QStringList{"1,2", "0,3"}));
        QCOMPARE(logica.Liste[C::CmbSwtchIsteresi].Voci, (QStringList{"0", "200", "400"}));
        QCOMPARE(logica.Liste[C::CmbFattore].Voci, (QStringList{" x 1", " x 2"}));
        QVERIFY(logica.Liste[C::CmbSwtchTemp].Voci.isEmpty());
    }

    void refreshShowsTheEcuAndNeverQueues()
    {
        Banco b;
        QStringList testi{u"GasCal"_s, u"[Frm_Config]"_s};
        for (int n = 1; n <= 23; ++n)
            testi << u"text %1"_s.arg(n);
        b.ctx.diz.ImpostaTesti(testi);
        C logica(b.ctx);
        logica.RiempiCmbSwtch({u"[Rpm di commutazione]"_s, u"0|800|1500"_s,
                               u"[Temperatura di commutazione]"_s, u"20|40"_s});
        b.V(C::PosTemperatura) = 150;
        b.V(C::PosPeriodo) = 65535;
        b.V(C::PosAbilitazioni) = 2; // decelerating switch-over: no hysteresis
        logica.AggiornaSelezioni();
        QVERIFY(b.ctx.code.ValoriDaScrivere.Vuota());
        QCOMPARE(b.ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna);
        QCOMPARE(logica.Liste[C::CmbSwtchTemp].Selezione, 0); // all items below 150: text 19
        QCOMPARE(logica.Liste[C::CmbSwtchRpm].Testo(), u"0"_s);
        QVERIFY(!logica.Liste[C::CmbSwtchIsteresi].Abilitata);
        QVERIFY(!logica.Liste[C::CmbSwtchBar].Abilitata); // end of gas off
        b.V(C::PosPeriodo) = 20000;
        logica.AggiornaSelezioni();
        QCOMPARE(logica.Liste[C::CmbSwtchRpm].Testo(), u"1500"_s);

        // A choice while refreshing, or while another operation waits, does nothing.
        logica.AggiornamentoInCorso = true;
        QVERIFY(!logica.Scegli(C::CmbSwtchRpm, 1));
        logica.AggiornamentoInCorso = false;
        b.ctx.stato.OperazioneRichiesta = gascal::Operazione::SalvaMappa;
        QVERIFY(!logica.Scegli(C::CmbSwtchRpm, 1));
        QCOMPARE(b.ctx.stato.OperazioneRichiesta, gascal::Operazione::SalvaMappa);
        QVERIFY(b.ctx.code.ValoriDaScrivere.Vuota());
    }

    void levelListPositionsFollowTheNamedRecords()
    {
        Banco b;
        SensoreLivello senzaNome;
        senzaNome.Codice = 9;
        SensoreLivello invertito{u"Inverted"_s, {0, 10, 20, 30, 40, 1023}, 3, 32};
        b.ctx.scale.TabLivello = {senzaNome, invertito};
        LogicaIniettori logica(b.ctx);
        logica.RiempiCmbSwtch();
        QCOMPARE(logica.Livello.CmbTipoLev.Voci, QStringList{u"Inverted"_s});
        QVERIFY(logica.Livello.SceltaTipo(0));
        const auto voci = b.ctx.code.ValoriDaScrivere.Voci();
        QCOMPARE(voci.size(), 5);
        QCOMPARE(voci[0].Valore, 32 * 256 + 3);
        QCOMPARE(voci[4].Valore, 40);
        // The refresh selects the list position of the ECU's code.
        b.ctx.code.ValoriDaScrivere.Consuma(5);
        b.ctx.stato.OperazioneRichiesta = gascal::Operazione::Nessuna;
        b.V(7) = 32 * 256 + 3;
        logica.AggiornaSelezioni();
        QCOMPARE(logica.Livello.CmbTipoLev.Selezione, 0);
    }

    void lampsReadTheTypeFlagsFromTheHighByte()
    {
        Banco b;
        LogicaIniettori logica(b.ctx);
        for (int k = 8; k <= 11; ++k)
            b.V(k) = 100 * (k - 7);
        b.ctx.TabMsg[Contesto::RecLive].Valori[8] = 150;
        // Low byte 0x80 with flags 31: the flags are not 32.
        b.V(7) = 31 * 256 + 0x80;
        logica.Livello.CaricaLivelliAttuale();
        QCOMPARE(logica.Livello.ShpLevel, (std::array<bool, 4>{false, false, false, true}));
        b.V(7) = 32 * 256 + 1;
        logica.Livello.CaricaLivelliAttuale();
        QCOMPARE(logica.Livello.ShpLevel, (std::array<bool, 4>{false, true, true, true}));
    }
};

GASCAL_PROVA(TstConfigLogica)
#include "tst_config_logica.moc"
