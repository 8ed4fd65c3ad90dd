// The configuration pages, in a decimal-comma locale, reach ecusim's memory and show what it holds.
#include "RegistroProve.h"
#include "ProgrammaProva.h"
#include "ui/common/Forma.h"
#include "ui/config/FrmConfig.h"
#include "ui/config/FrmConfig_2.h"
#include "ui/config/GruppoLivello.h"
#include <QLineEdit>
#include <QScrollBar>

using namespace gascal;
using C = LogicaCommutazione;
using I = LogicaIniettori;

class TstPagineConfig : public QObject
{
    Q_OBJECT
    std::unique_ptr<ProgrammaProva> p;
    FrmConfig *Pag0() const { return static_cast<FrmConfig *>(p->frame->FrmConfig()); }
    FrmConfig_2 *Pag1() const { return static_cast<FrmConfig_2 *>(p->frame->FrmConfig_2()); }
    qint32 Mem(int k) { return p->banco.ValoreEcu(Contesto::RecConfig, k); }
    QList<qint32> Soglie() { return {Mem(8), Mem(9), Mem(10), Mem(11)}; }
    // The user chooses an item: it asks for the write, and the write runs.
    bool Scegli(QComboBox *c, int i)
    {
        if (i < 0 || !c->isEnabled())
            return false;
        c->setCurrentIndex(i);
        emit c->activated(i);
        return p->ctx.stato.OperazioneRichiesta == Operazione::ScriviConfig && p->AttendiOperazione();
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
        p = std::make_unique<ProgrammaProva>();
        QVERIFY(p->Connetti());
        QCOMPARE(p->ctx.imp.SepDecimale, QStringLiteral(","));
        p->frame->resize(1366, 768);
    }
    // Each list gets another item, shown after the write and held by ecusim; disabled lists first.
    void ogniListaScriveEMostraIlValore()
    {
        const auto prova = [this](QComboBox *c) {
            const int altro = c->currentIndex() == 1 ? 0 : 1;
            const QString voce = c->itemText(altro);
            QVERIFY2(Scegli(c, altro) && c->currentText() == voce, qPrintable(c->objectName()));
            const QByteArray immagine = p->ctx.TabMsg.at(Contesto::RecConfig).Immagine;
            QCOMPARE(p->banco.Controllo(QStringLiteral("block 3")).toLatin1(), immagine.mid(5, immagine.size() - 6).toHex().toUpper());
        };
        p->MostraPagina(0);
        for (C::Lista l : {C::CmbSwtchIsteresi, C::CmbSwtchBar, C::CmbSwtchDelayPress, C::CmbFattore, C::CmbSwtchRpm,
                           C::CmbswitchDir, C::CmbSwtchTemp, C::CmbSwtchForce, C::CmbSwitchSovrap, C::CmbTempoAutoCalda,
                           C::CmbTempoRitardo, C::CmbFineGas, C::CmbEmergenza, C::CmbTipoSensMap, C::CmbTipoSensTemp})
            prova(Pag0()->Cmb[l]);
        p->MostraPagina(1);
        p->ui.risposte.enqueue(ServiziUi::Risposta::Si); // the engine runs: confirm the injector
        for (QComboBox *c : Pag1()->Cmb)
            prova(c);
        prova(Pag1()->Livello->CmbTipoLev);
        QVERIFY(p->ui.risposte.isEmpty());
        // The interpolation entry opens the window; the status line says so under the pointer.
        p->MostraPagina(0);
        const QString nota = p->ctx.diz.TestoSezione(QStringLiteral("[Frm_Config_Note]"), 1);
        QVERIFY(!nota.isEmpty() && Pag0()->Cmb[C::CmbTipoSensMap]->statusTip() == nota
                && Pag0()->LblTipoSensMap->statusTip() == nota);
        int aperture = 0;
        Pag0()->ApriInterpolazione = [&aperture] { ++aperture; };
        QVERIFY(Scegli(Pag0()->Cmb[C::CmbTipoSensMap], C::VoceInterpolazione) && aperture == 1 && Mem(C::PosSensPress) == 0);
        Pag0()->ApriInterpolazione = nullptr;
        p->ctx.InterpolazioneAttiva = false;
        Pag0()->AggiornaSelezioni();
        QVERIFY(Scegli(Pag0()->Cmb[C::CmbTipoSensMap], 0));
    }
    // The engine running, an injector change asks first; No writes nothing.
    void cambioIniettoreRifiutato()
    {
        p->MostraPagina(1);
        QCOMPARE(p->banco.Controllo(QStringLiteral("key on")), QStringLiteral("ok"));
        QVERIFY(QTest::qWaitFor([this] { return p->ctx.Valore(Contesto::RecLive, 6) & 1; }, 5000));
        QComboBox *tipo = Pag1()->Cmb[I::CmbTipoInjFam];
        const QString prima = tipo->currentText(), blocco = p->banco.Controllo(QStringLiteral("block 3"));
        p->ui.mostrati.clear();
        p->ui.risposte.enqueue(ServiziUi::Risposta::No);
        QVERIFY(!Scegli(tipo, tipo->currentIndex() == 0 ? 1 : 0) && p->ui.mostrati.size() == 1);
        QVERIFY(p->ui.mostrati.first().titolo == p->frame->windowTitle() && p->ui.mostrati.first().predefinito == ServiziUi::Risposta::No);
        QVERIFY(tipo->currentText() == prima && p->ctx.stato.OperazioneRichiesta == Operazione::Nessuna);
        QCOMPARE(p->banco.Controllo(QStringLiteral("block 3")), blocco);
    }
    // Shift+click opens the service panels; PWM and production values reach the ECU; a refresh closes them.
    void pannelliDiServizio()
    {
        p->MostraPagina(1);
        FrmConfig_2 &pag = *Pag1();
        QVERIFY(!pag.Frame1->isVisible() && !pag.FrmPwm->isVisible());
        QTest::mouseClick(pag.LblParaInj, Qt::LeftButton, Qt::ShiftModifier);
        QVERIFY(pag.Frame1->isVisible() && pag.FrmPwm->isVisible());
        pag.TxtPwm[I::TxtPWMON]->setText(QStringLiteral("120"));
        emit pag.TxtPwm[I::TxtPWMON]->returnPressed();
        QVERIFY(p->AttendiOperazione());
        QVERIFY(Mem(I::PosPwmOn) == 120 && pag.TxtPwm[I::TxtPWMON]->text() == QStringLiteral("120"));
        QVERIFY(!pag.Frame1->isVisible());
        QTest::mouseClick(pag.LblParaInj, Qt::LeftButton, Qt::ShiftModifier);
        QLineEdit *anno = pag.Text1[3];
        anno->setText(QStringLiteral("2015"));
        emit anno->textEdited(anno->text());
        QCOMPARE(anno->palette().color(QPalette::Base), QColor(255, 255, 0));
        emit anno->returnPressed();
        QCOMPARE(p->ctx.stato.OperazioneRichiesta, Operazione::InviaEMemorizza);
        QVERIFY(p->AttendiOperazione());
        QVERIFY(p->banco.ValoreEcu(Contesto::RecProduzione, 3) == 2015 && anno->text() == QStringLiteral("2015"));
    }
    // The level group's buttons, bars, labels and lamps.
    void livelli()
    {
        p->MostraPagina(1);
        GruppoLivello &g = *Pag1()->Livello;
        QVERIFY(Scegli(g.CmbTipoLev, g.CmbTipoLev->findText(QStringLiteral("Resistive 0-90 ohm"))));
        QCOMPARE(g.LblLevel[3]->text(), QStringLiteral("R=0,50 (v)"));
        QCOMPARE(p->banco.Controllo(QStringLiteral("key off")), QStringLiteral("ok"));
        p->banco.Controllo(QStringLiteral("tank %1").arg(60 / 10.23, 0, 'f', 6));
        QVERIFY(QTest::qWaitFor([this] { return p->ctx.Valore(Contesto::RecLive, 8) == 60; }, 5000));
        QTRY_COMPARE(g.LblLevelNoFiltroVal->text() + g.LblLevelFiltroVal->text(), QStringLiteral("0,293- - -"));
        QVERIFY(!g.ShpLevel[3]->Opaca()); // 60 is below R (102)
        g.CmdMinimo->click();
        QVERIFY(p->AttendiOperazione() && Soglie() == (QList<qint32>{148, 236, 324, 410}));
        for (QPushButton *b : {g.CmdMassimo, g.CmdLevDef}) {
            b->click();
            QVERIFY(p->ctx.stato.OperazioneRichiesta == Operazione::ScriviConfig && p->AttendiOperazione());
        }
        QCOMPARE(Soglie(), (QList<qint32>{102, 205, 307, 410}));
        // The 2/4 bar dragged above 3/4 pushes it on screen; only 2/4 is written.
        g.HScrLevel[1]->setValue(800);
        QVERIFY(g.HScrLevel[0]->value() == 800 && p->AttendiOperazione());
        QVERIFY(Soglie() == (QList<qint32>{102, 205, 800, 410}) && g.HScrLevel[0]->value() == 410);
        // An inverted sensor swaps the buttons' captions.
        const QString pieno = g.CmdMassimo->text(), vuoto = g.CmdMinimo->text();
        QVERIFY(Scegli(g.CmbTipoLev, g.CmbTipoLev->findText(QStringLiteral("Resistive 90-0 ohm (inverted)"))));
        QVERIFY(g.CmdMassimo->text() == vuoto && g.CmdMinimo->text() == pieno && g.HScrLevel[0]->value() == 102);
        // Groups the scale table hides.
        p->MostraPagina(0);
        TabelleScala &scala = p->ctx.scale;
        for (bool mostra : {false, true}) {
            scala.MostraFineGas = scala.MostraAbilitazioni = mostra;
            Pag0()->RiempiListe();
            for (QWidget *w : std::initializer_list<QWidget *>{Pag0()->LblParaFineGas, Pag0()->Cmb[C::CmbSwtchBar],
                                                                Pag0()->ShpParaAbilitazioni, Pag0()->Cmb[C::CmbTipoSensMap]})
                QVERIFY2(w->isVisible() == mostra, qPrintable(w->objectName()));
            QVERIFY(Pag0()->Cmb[C::CmbSwtchRpm]->isVisible());
        }
    }
};

GASCAL_PROVA(TstPagineConfig)
#include "tst_pagine_config.moc"
