#include "ui/config/FrmConfig_2.h"

#include "app/Contesto.h"
#include "app/ServiziUi.h"
#include "ui/common/ApplicaFont.h"
#include "ui/common/Forma.h"
#include "ui/common/Twips.h"
#include "ui/config/ControlliConfig.h"
#include "ui/config/GruppoLivello.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace gascal {

using namespace ControlliConfig;
using L = LogicaIniettori;

namespace {

const char *const NomiCmb[L::NumeroListe] = {"CmbTipoInjFam", "CmbMinOn", "CmbSens", "CmbTipoAlim",
                                             "CmbSogliaMaxPw", "CmbSogliaMaxPwTinj"};
const char *const NomiPwm[3] = {"TxtPPG", "TxtPWMON", "TxtPWMOFF"};
const char *const TitoliPwm[3] = {"PPG", "ON", "OFF"};
const char *const TitoliProduzione[L::CaselleProduzione] = {
    "S/N Lotto", "Lotto", "Week", "Year", "Client", "SL", "Num_Cilinder", "ConfigHw"};
const QColor Giallo(255, 255, 0); // an edited production value not yet written

QLineEdit *Casella(QWidget *genitore, const QString &nome)
{
    auto *t = new QLineEdit(genitore);
    t->setObjectName(nome);
    return t;
}

} // namespace

FrmConfig_2::FrmConfig_2(Contesto &ctx, QWidget *parent) : PaginaEditor(parent), Logica(ctx), m_ctx(ctx)
{
    setObjectName(QStringLiteral("FrmConfig_2"));
    setAutoFillBackground(true);
    CreaControlli();
    DisponiControlli();
    Logica.TitoloFinestra = [this] { return window()->windowTitle(); };
    CaricaLingua();
    RiempiListe();
    MostraPannelli(false);
}

void FrmConfig_2::CreaControlli()
{
    ShpParaInj = new Forma(Forma::Tipo::Rettangolo, this);
    ShpParaInj->setObjectName(QStringLiteral("ShpParaInj"));
    ShpParaInj->ImpostaOpaca(false);
    ShpParaInj->ImpostaColoreBordo(QColor(128, 128, 128));
    for (int l = 0; l < L::NumeroListe; ++l) {
        Cmb[l] = Combo(this, NomiCmb[l]);
        // A refused choice may have refreshed the lists (the injector question).
        connect(Cmb[l], &QComboBox::activated, this, [this, l](int voce) {
            Logica.Scegli(static_cast<Lista>(l), voce);
            MostraTutto();
        });
    }
    LblParaInj = Titolo(this, "LblParaInj", QStringLiteral("** PARAMETRI INIETTORE"));
    LblTipoInjFam = Etichetta(this, "LblTipoInjFam", QStringLiteral("**TIPO"));
    LblMinOn = Etichetta(this, "LblMinOn", QStringLiteral("** APERTURA MIN.(MS)"));
    LblSens = Etichetta(this, "LblSens", QStringLiteral("** SENSIBILITA' (MS)"));
    LblTipoAlim = Etichetta(this, "LblTipoAlim", QStringLiteral("** ALIMENTAZIONE"));
    LblSogliaMaxPower = Etichetta(this, "LblSogliaMaxPower", QStringLiteral("** MAX POWER"));
    LblSogliaMaxPowerTinj = Etichetta(this, "LblSogliaMaxPowerTinj", QStringLiteral("** MAX TINJ (ms)"));
    // The Shift-click service actions on the two labels.
    LblParaInj->installEventFilter(this);
    LblTipoInjFam->installEventFilter(this);

    Livello = new GruppoLivello(Logica.Livello, this);

    FrmPwm = new QGroupBox(QStringLiteral("PWM"), this);
    FrmPwm->setObjectName(QStringLiteral("FrmPwm"));
    for (int c = 0; c < 3; ++c) {
        TxtPwm[c] = Casella(FrmPwm, QLatin1String(NomiPwm[c]));
        auto *etichetta = Etichetta(FrmPwm, "LblPwm", QLatin1String(TitoliPwm[c]));
        etichetta->setObjectName(QStringLiteral("LblPwm%1").arg(c));
        etichetta->setBuddy(TxtPwm[c]);
        Twips::Posiziona(etichetta, 120 + c * 2160, 330, 600, 300);
        Twips::Posiziona(TxtPwm[c], 720 + c * 2160, 300, 1200, 360);
        connect(TxtPwm[c], &QLineEdit::returnPressed, this, [this, c] {
            Logica.InvioPwm(static_cast<L::Casella>(c), TxtPwm[c]->text());
        });
    }

    Frame1 = new QGroupBox(QStringLiteral("Info"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    for (int k = 0; k < L::CaselleProduzione; ++k) {
        Text1[k] = Casella(Frame1, QStringLiteral("Text1_%1").arg(k));
        Text1[k]->setAutoFillBackground(true);
        auto *etichetta = Etichetta(Frame1, "LblText1", QLatin1String(TitoliProduzione[k]));
        etichetta->setObjectName(QStringLiteral("LblText1_%1").arg(k));
        etichetta->setBuddy(Text1[k]);
        const int colonna = k / 4, riga = k % 4;
        Twips::Posiziona(etichetta, 120 + colonna * 3240, 330 + riga * 420, 1560, 300);
        Twips::Posiziona(Text1[k], 1680 + colonna * 3240, 300 + riga * 420, 1320, 360);
        connect(Text1[k], &QLineEdit::textEdited, this, [this, k] { Text1_Change(k); });
        connect(Text1[k], &QLineEdit::returnPressed, this, [this, k] { Text1_Invio(k); });
    }
}

void FrmConfig_2::DisponiControlli()
{
    const int left = 240, top = 300, width = 6500, etichetta = 2900;
    const std::array<QLabel *, L::NumeroListe> etichette = {LblTipoInjFam, LblMinOn,          LblSens,
                                                            LblTipoAlim,   LblSogliaMaxPower, LblSogliaMaxPowerTinj};
    Twips::Posiziona(ShpParaInj, left, top, width, 600 + L::NumeroListe * 480 + 60);
    PosizionaTitolo(LblParaInj, left + 180, top);
    for (int l = 0; l < L::NumeroListe; ++l) {
        const int y = top + 420 + l * 480;
        PosizionaEtichetta(etichette[l], left + 180, y, etichetta);
        etichette[l]->setBuddy(Cmb[l]); // the list's name for screen readers
        const int xCombo = left + 240 + etichetta;
        Twips::Posiziona(Cmb[l], xCombo, y, left + width - 180 - xCombo, 360);
    }
    Livello->Disponi(6980, 300, 6500);
    Twips::Posiziona(FrmPwm, left, 3900, width, 840);
    Twips::Posiziona(Frame1, left, 4860, width, 2100);
}

void FrmConfig_2::CaricaLingua()
{
    ApplicaFont(this, m_ctx.diz.FontCharset, m_ctx.diz.FontNome);
    const QString sezione = QStringLiteral("[Frm_Congif_2]");
    const qsizetype base = m_ctx.diz.Sezione(sezione);
    if (base < 0)
        return; // the design texts stay
    auto testo = [&](int n, QLabel *l) {
        if (base + n < m_ctx.diz.Numero())
            ImpostaTesto(l, m_ctx.diz.Testo(base + n));
    };
    testo(1, LblParaInj);
    testo(2, LblTipoInjFam);
    testo(3, LblMinOn);
    testo(4, LblSens);
    testo(5, LblTipoAlim);
    testo(8, LblSogliaMaxPower);
    testo(10, LblSogliaMaxPowerTinj);
    testo(11, Livello->LblParaFineGas);
    testo(12, Livello->LblLivelli);
    testo(13, Livello->LblLevelNoFiltro);
    testo(14, Livello->LblLevelFiltro);
    // The production-data panel: its title and the names of the values the
    // information box names too (the hardware configuration keeps its name).
    const QString sezione2 = QStringLiteral("[Frm_Barra_2]");
    if (m_ctx.diz.Sezione(sezione2) >= 0) {
        Frame1->setTitle(m_ctx.diz.TestoSezione(sezione2, 23));
        for (int k = 0; k < 7; ++k)
            if (auto *l = Frame1->findChild<QLabel *>(QStringLiteral("LblText1_%1").arg(k)))
                ImpostaTesto(l, m_ctx.diz.TestoSezione(sezione2, 24 + k));
    }
    DisponiControlli(); // the titles and captions take their new sizes
    Logica.CaricaTestiLivello();
    if (!Logica.CaptionDefault.isEmpty())
        Livello->CmdLevDef->setText(Logica.CaptionDefault);
    Livello->Mostra();
}

void FrmConfig_2::RiempiListe()
{
    Logica.RiempiCmbSwtch();
    MostraTutto();
}

void FrmConfig_2::MostraTutto()
{
    LogicaPagina::InAggiornamento guardia(Logica);
    for (int l = 0; l < L::NumeroListe; ++l)
        Mostra(Cmb[l], Logica.Liste[l]);
    Livello->Mostra();
}

void FrmConfig_2::AggiornaSelezioni()
{
    Logica.AggiornaSelezioni();
    MostraTutto();
    LogicaPagina::InAggiornamento guardia(Logica);
    for (int c = 0; c < 3; ++c)
        if (TxtPwm[c]->text() != Logica.Pwm[c])
            TxtPwm[c]->setText(Logica.Pwm[c]);
    for (int k = 0; k < L::CaselleProduzione; ++k) {
        if (Text1[k]->text() != Logica.Text1[k])
            Text1[k]->setText(Logica.Text1[k]);
        Text1[k]->setPalette(QPalette());
    }
    MostraPannelli(Logica.Frame1Visibile);
}

void FrmConfig_2::CaricaLivelliAttuale()
{
    Logica.Livello.CaricaLivelliAttuale();
    Livello->MostraLive();
}

void FrmConfig_2::MostraPannelli(bool visibili)
{
    // The PWM boxes come and go with the production panel.
    ImpostaVisibile(Frame1, visibili);
    ImpostaVisibile(FrmPwm, visibili);
}

void FrmConfig_2::Text1_Change(int k)
{
    if (Logica.AggiornamentoInCorso)
        return;
    QPalette p = Text1[k]->palette();
    p.setColor(QPalette::Base, Giallo);
    Text1[k]->setPalette(p);
}

void FrmConfig_2::Text1_Invio(int k)
{
    if (Logica.InvioProduzione(k, Text1[k]->text()))
        Text1[k]->setPalette(QPalette());
}

bool FrmConfig_2::eventFilter(QObject *oggetto, QEvent *evento)
{
    if (evento->type() == QEvent::MouseButtonRelease
        && (static_cast<QMouseEvent *>(evento)->modifiers() & Qt::ShiftModifier)) {
        if (oggetto == LblParaInj) {
            Logica.Frame1Visibile = Frame1->isHidden();
            MostraPannelli(Logica.Frame1Visibile);
        } else if (oggetto == LblTipoInjFam) {
            m_ctx.ui.Messaggio(Logica.TestoParametriIniettore(), m_ctx.Titolo(), ServiziUi::Pulsanti::Ok,
                               ServiziUi::Icona::Nessuna);
        }
    }
    return PaginaEditor::eventFilter(oggetto, evento);
}

} // namespace gascal
