// The two configuration pages against the virtual ECU, in a locale with a
// decimal comma: each choice is checked in ecusim's own memory.
#include "RegistroProve.h"
#include "ProgrammaProva.h"

#include "ui/common/Forma.h"
#include "ui/config/FrmConfig.h"
#include "ui/config/FrmConfig_2.h"
#include "ui/config/GruppoLivello.h"
#include "ui/main/FrmBar.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace gascal;
using C = LogicaCommutazione;
using I = LogicaIniettori;

namespace {

// A scale configuration whose lists hold the edge values.
const char *const Scala =
    "[InjType_001]\r\nRail 3 ohm\r\n2500\r\n60\r\n20\r\n5000\r\n2492\r\n7500\r\n"
    "[InjType_002]\r\nRail 2 ohm\r\n2000\r\n45\r\n35\r\n4800\r\n1992\r\n7200\r\n"
    "[GasLevel_01]\r\nResistive\r\n1\r\n100\r\n300\r\n500\r\n700\r\n0\r\n"
    "[GasLevel_03]\r\nResistive inverted\r\n3\r\n102\r\n205\r\n307\r\n410\r\n32\r\n"
    "[SensTemp_00]\r\nNTC A\r\n0\r\n[SensTemp_01]\r\nNTC B\r\n1\r\n"
    "[SensPress_00]\r\nP 4 bar\r\n1\r\n[SensPress_01]\r\nP 5 bar\r\n2\r\n"
    "[SensPress_02]\r\nInterpolation\r\n0\r\n[SensPress_03]\r\nP 10 bar\r\n3\r\n"
    "[Parametri Fine Gas]\r\n1\r\n[Parametri Abilitazioni]\r\n1\r\n"
    "[Rpm di commutazione]\r\n0|400|800|1500|2500\r\n"
    "[Isteresi rpm decelerazione]\r\n0|200|300|500\r\n"
    "[Temperatura di commutazione]\r\n20|35|50\r\n"
    "[Forza commutazione s]\r\n0|5|10\r\n"
    "[Tempo di sovrapposizione ms]\r\n0|500|1000\r\n"
    "[Tempo AutoCalda s]\r\n60|120\r\n"
    "[Pressione di fine gas bar]\r\n600|1200|2000\r\n"
    "[Tempo di fine gas ms]\r\n500|3000|5000\r\n"
    "[Ritardo di commutazione]\r\n0|5|10\r\n"
    "[Piedistallo Tempo Inj minimo us]\r\n4|1000|2000|2500\r\n"
    "[Sensibilita]\r\n100|250|300|350\r\n"
    "[Max power rpm]\r\n3000|6000\r\n"
    "[Soglia Tinj max power usec]\r\n3000|16000\r\n";

} // namespace

class TstPagineConfig : public QObject
{
    Q_OBJECT

    std::unique_ptr<ProgrammaProva> p;

    FrmConfig *Pag0() const { return static_cast<FrmConfig *>(p->frame->FrmConfig()); }
    FrmConfig_2 *Pag1() const { return static_cast<FrmConfig_2 *>(p->frame->FrmConfig_2()); }
    void Mostra(int pagina)
    {
        while (p->ctx.stato.PaginaCorrente != pagina)
            p->frame->CmdPage_Click();
    }

    // Value k of the configuration block as ecusim holds it.
    qint32 Mem(int k) { return p->banco.ValoreEcu(Contesto::RecConfig, k); }
    // Waits until the operation asked for has run.
    bool Eseguita() { return QTest::qWaitFor([this] { return p->ctx.stato.OperazioneRichiesta == gascal::Operazione::Nessuna; }, 10000); }
    // The user chooses an item: it asks for the write, and the write runs.
    bool Scegli(QComboBox *c, const QString &voce)
    {
        const int i = c->findText(voce);
        if (i < 0 || !c->isEnabled())
            return false;
        c->setCurrentIndex(i);
        emit c->activated(i);
        return p->ctx.stato.OperazioneRichiesta == gascal::Operazione::ScriviConfig && Eseguita();
    }
    void Foto(const QString &nome)
    {
        const QString cartella = qEnvironmentVariable("GASCAL_SCREENSHOTS");
        if (cartella.isEmpty())
            return;
        QTest::qWait(400); // the live part catches up
        p->frame->grab().save(QDir(cartella).filePath(nome + QStringLiteral(".png")));
    }

private slots:
    void initTestCase();
    void ogniListaScriveEMostraIlValore();
    void velocitaTemperaturaPressioneEBit();
    void tempiIniettoreEPotenza();
    void aggiornamentoNonScriveMai();
    void cambioIniettoreRifiutato();
    void voceInterpolazione();
    void pannelliDiServizio();
    void livelli();
    void gruppiNascostiMaAggiornati();
    void sensoreInvertitoELingue();
};

void TstPagineConfig::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    p = std::make_unique<ProgrammaProva>();
    p->banco.ScriviFile(QStringLiteral("ConfigScale.ini"), Scala);
    QCOMPARE(p->AvviaEcu(), QString());
    QVERIFY(p->AvviaProgramma());
    QVERIFY(p->AttendiStato(StatoApp::Connesso));
    QCOMPARE(p->ctx.imp.SepDecimale, QStringLiteral(","));
    p->frame->resize(1366, 768);
}

void TstPagineConfig::ogniListaScriveEMostraIlValore()
{
    // Each list gets another item; after the write the refresh shows it again
    // and ecusim holds what the program read back.
    auto prova = [this](QComboBox *c) {
        const int altro = c->currentIndex() == 1 ? 0 : 1;
        const QString voce = c->itemText(altro);
        QVERIFY2(Scegli(c, voce), qPrintable(c->objectName()));
        QCOMPARE(c->currentText(), voce);
        const QByteArray immagine = p->ctx.TabMsg.at(Contesto::RecConfig).Immagine;
        QCOMPARE(p->banco.Controllo(QStringLiteral("block 3")).toLatin1(),
                 immagine.mid(5, immagine.size() - 6).toHex().toUpper());
    };
    Mostra(0);
    // Lists that another one disables come before it.
    for (C::Lista l : {C::CmbSwtchIsteresi, C::CmbSwtchBar, C::CmbSwtchDelayPress, C::CmbFattore, C::CmbSwtchRpm,
                       C::CmbswitchDir, C::CmbSwtchTemp, C::CmbSwtchForce, C::CmbSwitchSovrap,
                       C::CmbTempoAutoCalda, C::CmbTempoRitardo, C::CmbFineGas, C::CmbEmergenza,
                       C::CmbTipoSensMap, C::CmbTipoSensTemp})
        prova(Pag0()->Cmb[l]);
    Mostra(1);
    p->ui.risposte.enqueue(ServiziUi::Risposta::Si); // the engine runs: confirm the injector
    for (QComboBox *c : Pag1()->Cmb)
        prova(c);
    prova(Pag1()->Livello->CmbTipoLev);
    QVERIFY(p->ui.risposte.isEmpty());
}

void TstPagineConfig::velocitaTemperaturaPressioneEBit()
{
    Mostra(0);
    auto cmb = [this](C::Lista l) { return Pag0()->Cmb[l]; };
    QVERIFY(Scegli(cmb(C::CmbFattore), QStringLiteral(" x 1")));
    QVERIFY(Scegli(cmb(C::CmbSwtchRpm), QStringLiteral("1500")));
    QCOMPARE(Mem(C::PosPeriodo), 20000);
    // The factor keeps the speed in rpm: both written at once.
    QVERIFY(Scegli(cmb(C::CmbFattore), QStringLiteral(" x 2")));
    QCOMPARE(Mem(C::PosFattore), 2);
    QCOMPARE(Mem(C::PosPeriodo), 10000);
    QCOMPARE(cmb(C::CmbSwtchRpm)->currentText(), QStringLiteral("1500"));
    QVERIFY(Scegli(cmb(C::CmbFattore), QStringLiteral(" x 1")));
    QVERIFY(Scegli(cmb(C::CmbSwtchRpm), QStringLiteral("400")));
    QCOMPARE(Mem(C::PosPeriodo), 65535);
    QCOMPARE(cmb(C::CmbSwtchRpm)->currentText(), QStringLiteral("0"));

    QVERIFY(Scegli(cmb(C::CmbSwtchTemp), cmb(C::CmbSwtchTemp)->itemText(0)));
    QCOMPARE(Mem(C::PosTemperatura), 150);
    QCOMPARE(cmb(C::CmbSwtchTemp)->currentIndex(), 0);

    QVERIFY(Scegli(cmb(C::CmbFineGas), cmb(C::CmbFineGas)->itemText(1)));
    QVERIFY(Scegli(cmb(C::CmbSwtchBar), QStringLiteral("1,2")));
    QCOMPARE(Mem(C::PosPressioneFineGas), 1200);

    // Bits of position 12 are set one by one, the others kept.
    QVERIFY(Scegli(cmb(C::CmbEmergenza), cmb(C::CmbEmergenza)->itemText(0)));
    QVERIFY(Scegli(cmb(C::CmbswitchDir), cmb(C::CmbswitchDir)->itemText(1)));
    QCOMPARE(Mem(C::PosAbilitazioni) & 7, 3);
    QVERIFY(!cmb(C::CmbSwtchIsteresi)->isEnabled());
    QVERIFY(Scegli(cmb(C::CmbEmergenza), cmb(C::CmbEmergenza)->itemText(1)));
    QCOMPARE(Mem(C::PosAbilitazioni) & 7, 7);
}

void TstPagineConfig::tempiIniettoreEPotenza()
{
    Mostra(1);
    auto cmb = [this](I::Lista l) { return Pag1()->Cmb[l]; };
    const struct {
        I::Lista lista;
        const char *voce;
        int posizione;
        qint32 atteso;
        const char *mostrata;
    } casi[] = {
        {I::CmbMinOn, "0,004", I::PosMinOn, 8, "0,004"},
        {I::CmbMinOn, "2,5", I::PosMinOn, 2492, "2,5"},
        {I::CmbSens, "0,25", I::PosSensibilita, 2, "0,25"},
        // 4 tenths: no item reaches it (0,35 x 10 is 3,5), so none is shown.
        {I::CmbSens, "0,35", I::PosSensibilita, 4, ""},
        {I::CmbSogliaMaxPw, "6000", I::PosMaxPwRpm, 6000, "6000"},
        {I::CmbSogliaMaxPwTinj, "3", I::PosMaxPwTinj, 2872, "3"},
    };
    for (const auto &c : casi) {
        QVERIFY2(Scegli(cmb(c.lista), QLatin1String(c.voce)), c.voce);
        QCOMPARE(Mem(c.posizione), c.atteso);
        QCOMPARE(cmb(c.lista)->currentText(), QLatin1String(c.mostrata));
    }
    QVERIFY(Scegli(cmb(I::CmbSogliaMaxPw), cmb(I::CmbSogliaMaxPw)->itemText(0)));
    QCOMPARE(Mem(I::PosMaxPwRpm), 25500);
    QVERIFY(!cmb(I::CmbSogliaMaxPwTinj)->isEnabled());
    // The fuel bit leaves the other bits of position 12.
    const qint32 altri = Mem(I::PosAbilitazioni) & ~I::BitCng;
    QVERIFY(Scegli(cmb(I::CmbTipoAlim), cmb(I::CmbTipoAlim)->itemText(1)));
    QCOMPARE(Mem(I::PosAbilitazioni), altri | I::BitCng);
    QVERIFY(Scegli(cmb(I::CmbTipoAlim), cmb(I::CmbTipoAlim)->itemText(0)));
    QCOMPARE(Mem(I::PosAbilitazioni), altri);
}

void TstPagineConfig::aggiornamentoNonScriveMai()
{
    Mostra(0);
    QComboBox *rpm = Pag0()->Cmb[C::CmbSwtchRpm];
    const qint32 periodo = Mem(C::PosPeriodo);
    qint32 &valore = p->ctx.TabMsg[Contesto::RecConfig].Valori[C::PosPeriodo];
    // Values that move the selections: the refresh only shows them.
    valore = 30000000 / 800;
    Pag0()->AggiornaSelezioni();
    QCOMPARE(rpm->currentText(), QStringLiteral("800"));
    QCOMPARE(p->ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna);
    QVERIFY(p->ctx.code.ValoriDaScrivere.Vuota());
    // A choice made while the page refreshes does nothing either.
    Pag0()->Logica.AggiornamentoInCorso = true;
    emit rpm->activated(rpm->findText(QStringLiteral("2500")));
    Pag0()->Logica.AggiornamentoInCorso = false;
    QCOMPARE(p->ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna);
    QTest::qWait(200);
    QCOMPARE(Mem(C::PosPeriodo), periodo);
    valore = periodo;
    Pag0()->AggiornaSelezioni();
}

void TstPagineConfig::cambioIniettoreRifiutato()
{
    Mostra(1);
    QCOMPARE(p->banco.Controllo(QStringLiteral("key on")), QStringLiteral("ok"));
    QVERIFY(QTest::qWaitFor([this] { return p->ctx.Valore(Contesto::RecLive, 6) & 1; }, 5000));
    QComboBox *tipo = Pag1()->Cmb[I::CmbTipoInjFam];
    const QString prima = tipo->currentText();
    const qint32 famiglia = Mem(I::PosFamiglia), ppg = Mem(I::PosPpg);
    p->ui.mostrati.clear();
    p->ui.risposte.enqueue(ServiziUi::Risposta::No);
    const int altro = tipo->currentIndex() == 0 ? 1 : 0;
    tipo->setCurrentIndex(altro);
    emit tipo->activated(altro);
    QCOMPARE(p->ui.mostrati.size(), 1);
    QCOMPARE(p->ui.mostrati.first().pulsanti, ServiziUi::Pulsanti::SiNo);
    QCOMPARE(p->ui.mostrati.first().testo, p->ctx.diz.TestoSezione(QStringLiteral("[Frm_Congif_2]"), 18));
    QCOMPARE(p->ui.mostrati.first().titolo, p->frame->windowTitle());
    QCOMPARE(p->ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna);
    QCOMPARE(tipo->currentText(), prima);
    QTest::qWait(200);
    QCOMPARE(Mem(I::PosFamiglia), famiglia);
    QCOMPARE(Mem(I::PosPpg), ppg);
}

void TstPagineConfig::voceInterpolazione()
{
    Mostra(0);
    int aperture = 0;
    Pag0()->ApriInterpolazione = [&] {
        ++aperture;
        // The window opens with the two writes queued, before they run.
        QCOMPARE(p->ctx.code.ValoriDaScrivere.Numero(), 2);
        QCOMPARE(p->ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna);
    };
    QComboBox *fineGas = Pag0()->Cmb[C::CmbFineGas];
    QVERIFY(fineGas->currentIndex() == 1 || Scegli(fineGas, fineGas->itemText(1)));
    QComboBox *sensore = Pag0()->Cmb[C::CmbTipoSensMap];
    QVERIFY(Scegli(sensore, QStringLiteral("P 5 bar")));
    p->ui.mostrati.clear();
    QVERIFY(Scegli(sensore, QStringLiteral("Interpolation")));
    QCOMPARE(aperture, 1);
    QCOMPARE(p->ui.Testi(), QStringList{p->ctx.diz.TestoSezione(QStringLiteral("[Frm_Config]"), 23)});
    QCOMPARE(Mem(C::PosAbilitazioni) & C::BitFineGas, 0);
    QCOMPARE(Mem(C::PosSensPress), 0);
    QCOMPARE(p->ctx.imp.CodiceMappaSalvato, 2);
    QCOMPARE(p->ctx.imp.FineGasSalvato, 1);
    Pag0()->ApriInterpolazione = nullptr;
    // The window closed: the list is free again.
    p->ctx.InterpolazioneAttiva = false;
    Pag0()->AggiornaSelezioni();
    QVERIFY(Scegli(sensore, QStringLiteral("P 4 bar")));
}

void TstPagineConfig::pannelliDiServizio()
{
    Mostra(1);
    FrmConfig_2 &pag = *Pag1();
    QVERIFY(!pag.Frame1->isVisible() && !pag.FrmPwm->isVisible());
    QTest::mouseClick(pag.LblParaInj, Qt::LeftButton, Qt::ShiftModifier);
    QVERIFY(pag.Frame1->isVisible() && pag.FrmPwm->isVisible());

    // A PWM value the byte cannot hold is refused with its range.
    p->ui.mostrati.clear();
    pag.TxtPwm[I::TxtPWMON]->setText(QStringLiteral("300"));
    emit pag.TxtPwm[I::TxtPWMON]->returnPressed();
    QCOMPARE(p->ui.Testi(), QStringList{QStringLiteral("ON: 0 .. 255")});
    QCOMPARE(p->ctx.stato.OperazioneRichiesta, gascal::Operazione::Nessuna);
    pag.TxtPwm[I::TxtPWMON]->setText(QStringLiteral("120"));
    emit pag.TxtPwm[I::TxtPWMON]->returnPressed();
    QVERIFY(Eseguita());
    QCOMPARE(Mem(I::PosPwmOn), 120);
    QCOMPARE(pag.TxtPwm[I::TxtPWMON]->text(), QStringLiteral("120"));
    QVERIFY(!pag.Frame1->isVisible()); // every refresh closes the panels

    // A production value goes out as the stored message of operation 19.
    QTest::mouseClick(pag.LblParaInj, Qt::LeftButton, Qt::ShiftModifier);
    QLineEdit *anno = pag.Text1[3];
    anno->setText(QStringLiteral("2015"));
    emit anno->textEdited(anno->text());
    QCOMPARE(anno->palette().color(QPalette::Base), QColor(255, 255, 0));
    emit anno->returnPressed();
    QCOMPARE(p->ctx.stato.OperazioneRichiesta, gascal::Operazione::InviaEMemorizza);
    QVERIFY(Eseguita());
    QCOMPARE(p->banco.ValoreEcu(Contesto::RecProduzione, 3), 2015);
    QCOMPARE(anno->text(), QStringLiteral("2015"));
}

void TstPagineConfig::livelli()
{
    Mostra(1);
    GruppoLivello &g = *Pag1()->Livello;
    auto soglie = [this] {
        return QList<qint32>{Mem(8), Mem(9), Mem(10), Mem(11)};
    };
    QVERIFY(Scegli(g.CmbTipoLev, QStringLiteral("Resistive")));
    QCOMPARE(soglie(), (QList<qint32>{100, 300, 500, 700}));
    QCOMPARE(g.LblLevel[3]->text(), QStringLiteral("R=0,49 (v)"));

    // Engine off: a steady reading, and no valid filtered one.
    QCOMPARE(p->banco.Controllo(QStringLiteral("key off")), QStringLiteral("ok"));
    auto lettura = [this](double counts) {
        p->banco.Controllo(QStringLiteral("tank %1").arg(counts / 10.23, 0, 'f', 6));
        return QTest::qWaitFor([&] { return p->ctx.Valore(Contesto::RecLive, 8) == qRound(counts); }, 5000);
    };
    QVERIFY(lettura(60));
    QTRY_COMPARE(g.LblLevelNoFiltroVal->text(), QStringLiteral("0,293"));
    QTRY_COMPARE(g.LblLevelFiltroVal->text(), QStringLiteral("- - -"));
    QVERIFY(!g.ShpLevel[3]->Opaca()); // 60 is below R
    g.CmdMinimo->click();
    QVERIFY(Eseguita());
    QCOMPARE(soglie(), (QList<qint32>{220, 380, 540, 700}));

    g.CmdLevDef->click();
    QVERIFY(Eseguita());
    QVERIFY(lettura(820));
    QTRY_VERIFY(g.ShpLevel[0]->Opaca()); // above 3/4
    g.CmdMassimo->click();
    QVERIFY(Eseguita());
    QCOMPARE(soglie(), (QList<qint32>{100, 280, 460, 640}));

    // The 2/4 bar dragged above 3/4 pushes it on screen; only 2/4 is written.
    g.HScrLevel[1]->setValue(800);
    QCOMPARE(g.HScrLevel[0]->value(), 800);
    QVERIFY(Eseguita());
    QCOMPARE(soglie(), (QList<qint32>{100, 280, 800, 640}));
    QCOMPARE(g.HScrLevel[0]->value(), 640);
    Foto(QStringLiteral("iniettori"));
}

void TstPagineConfig::gruppiNascostiMaAggiornati()
{
    Mostra(0);
    TabelleScala &scala = p->ctx.scale;
    scala.MostraFineGas = false;
    scala.MostraAbilitazioni = false;
    Pag0()->RiempiListe();
    for (QWidget *w : std::initializer_list<QWidget *>{Pag0()->LblParaFineGas, Pag0()->Cmb[C::CmbSwtchBar],
                                                        Pag0()->ShpParaAbilitazioni, Pag0()->Cmb[C::CmbTipoSensMap]})
        QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    QVERIFY(Pag0()->Cmb[C::CmbSwtchRpm]->isVisible());
    // A hidden list still shows the ECU's value.
    QComboBox *bar = Pag0()->Cmb[C::CmbSwtchBar];
    const QString prima = bar->currentText();
    qint32 &pressione = p->ctx.TabMsg[Contesto::RecConfig].Valori[C::PosPressioneFineGas];
    const qint32 vecchia = pressione;
    pressione = prima == QStringLiteral("2") ? 600 : 2000;
    Pag0()->AggiornaSelezioni();
    QVERIFY(bar->currentText() != prima);
    Foto(QStringLiteral("commutazione-senza-gruppi"));
    pressione = vecchia;
    scala.MostraFineGas = true;
    scala.MostraAbilitazioni = true;
    Pag0()->RiempiListe();
    Pag0()->AggiornaSelezioni();
    QVERIFY(Pag0()->LblParaFineGas->isVisible() && Pag0()->Cmb[C::CmbTipoSensMap]->isVisible());
}

void TstPagineConfig::sensoreInvertitoELingue()
{
    Mostra(1);
    GruppoLivello &g = *Pag1()->Livello;
    const QString pieno = g.CmdMassimo->text(), vuoto = g.CmdMinimo->text();
    QVERIFY(Scegli(g.CmbTipoLev, QStringLiteral("Resistive inverted")));
    QCOMPARE(Mem(7), 32 * 256 + 3);
    // Captions swap; bar k takes position 8 + k.
    QCOMPARE(g.CmdMassimo->text(), vuoto);
    QCOMPARE(g.CmdMinimo->text(), pieno);
    QCOMPARE(g.HScrLevel[0]->value(), 102);
    QCOMPARE(g.LblLevel[0]->text(), QStringLiteral("3/4=0,50 (v)"));
    Foto(QStringLiteral("iniettori-invertito"));
    Mostra(0);
    Foto(QStringLiteral("commutazione"));
    // Ukrainian, then Thai: the pages take the texts and the font.
    while (p->ctx.diz.LinguaCorrente != Dizionario::Ucraino)
        p->frame->Barra()->CmdLingua->click();
    QCOMPARE(Pag0()->LblFattore->text(), p->ctx.diz.TestoSezione(QStringLiteral("[Frm_Config]"), 2));
    QCOMPARE(Pag0()->Cmb[C::CmbFineGas]->itemText(0), p->ctx.diz.TestoSezione(QStringLiteral("[Frm_Config]"), 19));
    Foto(QStringLiteral("commutazione-ucraino"));
    Mostra(1);
    Foto(QStringLiteral("iniettori-ucraino"));
    while (p->ctx.diz.LinguaCorrente != Dizionario::Thai)
        p->frame->Barra()->CmdLingua->click();
    QCOMPARE(g.CmdLevDef->text(), p->ctx.diz.TestoSezione(QStringLiteral("[Frm_Congif_2]"), 15));
    QCOMPARE(g.CmdMassimo->text(), p->ctx.diz.TestoSezione(QStringLiteral("[Frm_Congif_2]"), 17));
    Foto(QStringLiteral("iniettori-thai"));
    Mostra(0);
    Foto(QStringLiteral("commutazione-thai"));
}

GASCAL_PROVA(TstPagineConfig)
#include "tst_pagine_config.moc"
