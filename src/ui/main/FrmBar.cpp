#include "ui/main/FrmBar.h"

#include "app/Contesto.h"
#include "app/Formati.h"
#include "app/Orologio.h"
#include "app/ServiziUi.h"
#include "ui/common/ApplicaFont.h"
#include "ui/common/Forma.h"
#include "ui/common/IconePulsanti.h"
#include "ui/common/Immagine.h"
#include "ui/common/SoloSeCambia.h"
#include "ui/common/Twips.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace gascal {

namespace {

struct Segmento {
    QColor colore;
    int left, top, height;
};

const std::array<Segmento, VistaBarra::NumSegmenti> Segmenti = {{
    {QColor(255, 255, 128), 180, 5940, 240}, {QColor(255, 255, 128), 330, 5760, 300},
    {QColor(255, 255, 0), 480, 5640, 300},   {QColor(255, 255, 0), 630, 5520, 360},
    {QColor(255, 255, 0), 780, 5460, 360},   {QColor(255, 128, 0), 930, 5310, 420},
    {QColor(255, 128, 0), 1050, 5220, 480},  {QColor(255, 128, 0), 1200, 5130, 540},
    {QColor(255, 0, 0), 1350, 5040, 600},    {QColor(255, 0, 0), 1500, 4950, 660},
    {QColor(255, 0, 0), 1650, 4890, 720},    {QColor(192, 0, 0), 1800, 4830, 780},
    {QColor(192, 0, 0), 1950, 4770, 840},    {QColor(192, 0, 0), 2100, 4710, 900},
}};
constexpr int LarghezzaSegmento = 135;

QColor ColoreLed(VistaCommutatore::Colore colore)
{
    switch (colore) {
    case VistaCommutatore::Colore::Verde:
        return QColor(0, 255, 0);
    case VistaCommutatore::Colore::Rosso:
        return QColor(255, 0, 0);
    case VistaCommutatore::Colore::Arancione:
        return QColor(255, 128, 0);
    case VistaCommutatore::Colore::Spento:
        break;
    }
    return QColor(0, 0, 0);
}

QPushButton *Pulsante(QWidget *genitore, const char *nome, IconePulsanti::Tipo icona)
{
    auto *b = new QPushButton(genitore);
    b->setObjectName(QLatin1String(nome));
    b->setIcon(IconePulsanti::Icona(icona, 64));
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

Immagine *Figura(QWidget *genitore, const char *nome, Immagine::Tipo tipo, bool acceso)
{
    auto *img = new Immagine(tipo, acceso, genitore);
    img->setObjectName(QLatin1String(nome));
    return img;
}

QLabel *Valore(QWidget *genitore, const char *nome)
{
    auto *l = new QLabel(genitore);
    l->setObjectName(QLatin1String(nome));
    QFont f = l->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.15);
    l->setFont(f);
    l->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    return l;
}

} // namespace

FrmBar::FrmBar(Contesto &ctx, QWidget *parent) : QWidget(parent), m_ctx(ctx), m_modello(ctx)
{
    setObjectName(QStringLiteral("FrmBar"));
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    CreaControlli();
    DisponiControlli();
}

void FrmBar::CreaControlli()
{
    using T = IconePulsanti::Tipo;
    CmdInfo = Pulsante(this, "CmdInfo", T::Info);
    CmdLingua = Pulsante(this, "CmdLingua", T::Lingua);
    CmdMapOpen = Pulsante(this, "CmdMapOpen", T::Apri);
    CmdMapSave = Pulsante(this, "CmdMapSave", T::Salva);
    CmdPage = Pulsante(this, "CmdPage", T::Pagina);
    CmdUpdate = Pulsante(this, "CmdUpdate", T::Aggiorna);
    // Design-time tips, replaced by the dictionary's.
    CmdPage->setToolTip(QStringLiteral("Next page (F2)"));
    CmdMapOpen->setToolTip(QStringLiteral("Open"));
    CmdMapSave->setToolTip(QStringLiteral("Save"));
    CmdLingua->setToolTip(QStringLiteral("Language"));
    CmdInfo->setToolTip(QStringLiteral("Info"));
    CmdUpdate->setToolTip(QStringLiteral("Firmware update"));
    connect(CmdPage, &QPushButton::clicked, this, &FrmBar::CmdPage_Click);

    ImgLogoS = Figura(this, "ImgLogoS", Immagine::Tipo::Logo, true);
    connect(ImgLogoS, &Immagine::premuta, this, [this] { ImgLogoS->ImpostaRialzata(true); });
    connect(ImgLogoS, &Immagine::rilasciata, this, &FrmBar::ImgLogoS_MouseUp);

    using I = Immagine::Tipo;
    ImgBenzOn = Figura(this, "ImgBenzOn", I::Benzina, true);
    ImgBenzOff = Figura(this, "ImgBenzOff", I::Benzina, false);
    ImgGasOn = Figura(this, "ImgGasOn", I::Gas, true);
    ImgGasOff = Figura(this, "ImgGasOff", I::Gas, false);
    Image1 = Figura(this, "Image1", I::Pressione, true);
    ImgTemp = Figura(this, "ImgTemp", I::Termometro, true);
    ImgKeyOn = Figura(this, "ImgKeyOn", I::Chiave, true);
    ImgKeyOff = Figura(this, "ImgKeyOff", I::Chiave, false);
    ImgEvOn = Figura(this, "ImgEvOn", I::Elettrovalvola, true);
    ImgEvOff = Figura(this, "ImgEvOff", I::Elettrovalvola, false);
    ImgBenzOn->hide();
    ImgGasOn->hide();
    ImgKeyOn->hide();
    ImgEvOn->hide();

    LblTempoBenzVal = Valore(this, "LblTempoBenzVal");
    LblTempoGasVal = Valore(this, "LblTempoGasVal");
    LblPressVal = Valore(this, "LblPressVal");
    LblTempVal = Valore(this, "LblTempVal");
    LblRpmVal = Valore(this, "LblRpmVal");
    LblRpmVal->setAlignment(Qt::AlignCenter);
    LblTempoBenzVal->setText(m_modello.Vista().tempoBenzina);
    LblTempoGasVal->setText(m_modello.Vista().tempoGas);
    LblRpmVal->setText(m_modello.Vista().giri);

    for (size_t i = 0; i < ShpGiri.size(); ++i) {
        ShpGiri[i] = new Forma(Forma::Tipo::Rettangolo, this);
        ShpGiri[i]->setObjectName(QStringLiteral("ShpGiri%1").arg(i));
        ShpGiri[i]->ImpostaColoreRiempimento(Segmenti[i].colore);
        ShpGiri[i]->ImpostaColoreBordo(QColor(64, 64, 64));
        ShpGiri[i]->ImpostaOpaca(false);
    }
    for (size_t i = 0; i < ShpLevAct.size(); ++i) {
        ShpLevAct[i] = new Forma(Forma::Tipo::Cerchio, this);
        ShpLevAct[i]->setObjectName(QStringLiteral("ShpLevAct%1").arg(i));
        // Lamps take the mouse only for their tips.
        ShpLevAct[i]->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    }

    // Created last, so that it lies over the values; clicks go through.
    LblNonDalVivo = new QLabel(this);
    LblNonDalVivo->setObjectName(QStringLiteral("LblNonDalVivo"));
    LblNonDalVivo->setAttribute(Qt::WA_TransparentForMouseEvents);
    LblNonDalVivo->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    LblNonDalVivo->setWordWrap(true);
    LblNonDalVivo->setStyleSheet(QStringLiteral(
        "background-color: rgba(236, 236, 236, 175); color: rgb(64, 64, 64); padding: 2px;"));
}

void FrmBar::DisponiControlli()
{
    Twips::Dimensiona(this, Larghezza, Altezza);
    const std::array<QPushButton *, 6> pulsanti = {CmdInfo, CmdLingua, CmdMapOpen,
                                                   CmdMapSave, CmdPage, CmdUpdate};
    for (int i = 0; i < 6; ++i) {
        Twips::Posiziona(pulsanti[i], 90 + (i % 3) * 855, 60 + (i / 3) * 480, 810, 435);
        const int lato = Twips::PxY(330, this);
        pulsanti[i]->setIconSize(QSize(lato, lato));
    }
    Twips::Posiziona(ImgLogoS, 90, 1020, 2520, 720);

    const int lato = 480;
    for (Immagine *img : {ImgBenzOn, ImgBenzOff})
        Twips::Posiziona(img, 150, 1830, lato, lato);
    for (Immagine *img : {ImgGasOn, ImgGasOff})
        Twips::Posiziona(img, 150, 2370, lato, lato);
    Twips::Posiziona(Image1, 150, 2910, lato, lato);
    Twips::Posiziona(ImgTemp, 150, 3450, lato, lato);
    Twips::Posiziona(LblTempoBenzVal, 750, 1890, 1890, 360);
    Twips::Posiziona(LblTempoGasVal, 750, 2430, 1890, 360);
    Twips::Posiziona(LblPressVal, 750, 2970, 1890, 360);
    Twips::Posiziona(LblTempVal, 750, 3510, 1890, 360);
    for (Immagine *img : {ImgKeyOn, ImgKeyOff})
        Twips::Posiziona(img, 420, 4020, 540, 540);
    for (Immagine *img : {ImgEvOn, ImgEvOff})
        Twips::Posiziona(img, 1740, 4020, 540, 540);

    for (size_t i = 0; i < ShpGiri.size(); ++i)
        Twips::Posiziona(ShpGiri[i], Segmenti[i].left, Segmenti[i].top, LarghezzaSegmento,
                         Segmenti[i].height);
    Twips::Posiziona(LblRpmVal, 90, 6240, 2520, 360);
    for (size_t i = 0; i < ShpLevAct.size(); ++i) {
        // the four level LEDs, then the three signal LEDs after a gap
        const int left = 165 + static_cast<int>(i) * 330 + (i >= 4 ? 120 : 0);
        Twips::Posiziona(ShpLevAct[i], left, 6750, 225, 225);
    }
    Twips::Posiziona(LblNonDalVivo, 0, 1785, Larghezza, Altezza - 1785);
}

void FrmBar::Form_Load()
{
    CaricaLingua();
    ApplicaFont(this, m_ctx.diz.FontCharset, m_ctx.diz.FontNome);
    LblPressVal->setVisible(m_ctx.scale.MostraFineGas);
    Image1->setVisible(m_ctx.scale.MostraFineGas);
}

QString FrmBar::Testo2(int k, const char *progetto) const
{
    return ModelloBarra::Testo2(m_ctx.diz, k, progetto);
}

void FrmBar::CaricaLingua()
{
    // Units in the user's language (the second section; English without it).
    m_modello.CaricaLingua();
    // What each lamp and picture stands for.
    static const std::array<const char *, 7> Lampade = {
        "Gas level 3/4 (switch-over button LED)", "Gas level 2/4 (switch-over button LED)",
        "Gas level 1/4 (switch-over button LED)", "Gas reserve (switch-over button LED)",
        "Petrol: steady on petrol, blinking while changing over (switch-over button LED)",
        "Alarm: blinking at the end of gas, steady on a fault (switch-over button LED)",
        "Gas: steady on gas, blinking while changing over (switch-over button LED)"};
    for (size_t i = 0; i < ShpLevAct.size(); ++i)
        Descrivi(ShpLevAct[i], Testo2(9 + static_cast<int>(i), Lampade[i]));
    for (QWidget *w : {static_cast<QWidget *>(ImgKeyOn), static_cast<QWidget *>(ImgKeyOff)})
        Descrivi(w, Testo2(16, "Ignition key: lit while the ignition is on"));
    for (QWidget *w : {static_cast<QWidget *>(ImgEvOn), static_cast<QWidget *>(ImgEvOff)})
        Descrivi(w, Testo2(17, "Gas solenoid valves: lit while open"));
    for (QWidget *w : {static_cast<QWidget *>(ImgBenzOn), static_cast<QWidget *>(ImgBenzOff)})
        Descrivi(w, Testo2(18, "Running on petrol"));
    for (QWidget *w : {static_cast<QWidget *>(ImgGasOn), static_cast<QWidget *>(ImgGasOff)})
        Descrivi(w, Testo2(19, "Running on gas"));
    Descrivi(ImgLogoS, Testo2(32, "Switch-over button: press to change fuel"));
    for (Forma *segmento : ShpGiri)
        segmento->setAccessibleName(Testo2(33, "Engine speed bar"));
    // The values, named as the chart names its channels.
    const QString grafico = QStringLiteral("[Frm_Grafico]");
    const std::array<std::pair<QLabel *, int>, 5> valori = {
        {{LblRpmVal, 19}, {LblTempoBenzVal, 20}, {LblTempoGasVal, 21}, {LblPressVal, 22}, {LblTempVal, 24}}};
    for (const auto &[etichetta, k] : valori)
        etichetta->setAccessibleName(m_ctx.diz.TestoSezione(grafico, k));

    const QString sezione = QStringLiteral("[Frm_Barra]");
    if (m_ctx.diz.Sezione(sezione) >= 0) {
        const std::array<QPushButton *, 5> ordine = {CmdPage, CmdMapOpen, CmdMapSave, CmdLingua, CmdInfo};
        for (int k = 0; k < 5; ++k)
            ordine[k]->setToolTip(m_ctx.diz.TestoSezione(sezione, k + 1));
        CmdUpdate->setToolTip(m_ctx.diz.TestoSezione(sezione, 8));
    }
    // The icon buttons are named by their tips, for screen readers.
    for (QPushButton *b : {CmdPage, CmdMapOpen, CmdMapSave, CmdLingua, CmdInfo, CmdUpdate})
        b->setAccessibleName(b->toolTip());
}

void FrmBar::Descrivi(QWidget *w, const QString &testo)
{
    w->setToolTip(testo);
    w->setAccessibleName(testo);
}

void FrmBar::CmdPage_Click()
{
    emit richiestaPagina();
}

void FrmBar::MostraCoppia(Immagine *acceso, Immagine *spento, bool suAcceso)
{
    ImpostaVisibile(acceso, suAcceso);
    ImpostaVisibile(spento, !suAcceso);
}

void FrmBar::ColoraTempoGas(VistaBarra::Colore colore)
{
    if (colore == VistaBarra::Colore::Nessuno || colore == m_coloreGas)
        return;
    m_coloreGas = colore;
    QPalette pal = LblTempoGasVal->palette();
    // Active and inactive only: a disabled bar (an operation running) greys
    // this value like the others.
    const QColor c = colore == VistaBarra::Colore::Rosso ? QColor(255, 0, 0) : QColor(0, 0, 0);
    pal.setColor(QPalette::Active, QPalette::WindowText, c);
    pal.setColor(QPalette::Inactive, QPalette::WindowText, c);
    LblTempoGasVal->setPalette(pal);
}

void FrmBar::MostraOrigine(const VistaBarra &vista)
{
    if (!vista.dalVivo) {
        ImpostaTesto(LblNonDalVivo, vista.origine);
        if (LblNonDalVivo->isHidden())
            LblNonDalVivo->raise(); // over any control added since
    }
    ImpostaVisibile(LblNonDalVivo, !vista.dalVivo);
}

void FrmBar::AggiornaVisualizzazioni()
{
    const VistaBarra &v = m_modello.AggiornaValori(QDateTime::currentDateTime());
    MostraOrigine(v);
    ImpostaTesto(LblRpmVal, v.giri);
    for (size_t i = 0; i < ShpGiri.size(); ++i)
        ShpGiri[i]->ImpostaOpaca(v.segmenti[i]);
    ImpostaTesto(LblTempoBenzVal, v.tempoBenzina);
    ColoraTempoGas(v.coloreTempoGas);
    ImpostaTesto(LblTempoGasVal, v.tempoGas);
    MostraCoppia(ImgBenzOn, ImgBenzOff, v.benzina);
    MostraCoppia(ImgGasOn, ImgGasOff, v.gas);
    MostraCoppia(ImgKeyOn, ImgKeyOff, v.chiave);
    MostraCoppia(ImgEvOn, ImgEvOff, v.valvola);
    ImpostaTesto(LblPressVal, v.pressione);
    ImpostaTesto(LblTempVal, v.temperatura);
    MostraAggiornamento(v.aggiornaRosso);
}

void FrmBar::MostraAggiornamento(bool rosso)
{
    const QString stile = rosso ? QStringLiteral("background-color: rgb(255,0,0);") : QString();
    if (CmdUpdate->styleSheet() != stile)
        CmdUpdate->setStyleSheet(stile);
}

void FrmBar::SpegniAggiornamento()
{
    m_modello.SpegniAggiornamento();
    MostraAggiornamento(false);
}

void FrmBar::VisualizzaStatoCommutatore()
{
    const VistaCommutatore &v = m_modello.AggiornaCommutatore(TimerApi_uSec());
    for (size_t i = 0; i < ShpLevAct.size(); ++i) {
        const QColor colore = ColoreLed(v.led[i]);
        ShpLevAct[i]->ImpostaColoreRiempimento(colore);
        ShpLevAct[i]->ImpostaColoreBordo(colore);
    }
    for (int i = 0; i < v.beep; ++i)
        m_ctx.ui.Beep();
}

void FrmBar::ImgLogoS_MouseUp(Qt::KeyboardModifiers modificatori)
{
    ImgLogoS->ImpostaRialzata(false);
    if (modificatori & Qt::ShiftModifier) {
        m_ctx.code.ValoriDaScrivere2.Imposta(8, 2, 8);
        m_ctx.stato.RichiediOperazione(Operazione::ScriviComandi);
    } else if (m_ctx.Valore(1, 6) & 1) {
        m_ctx.stato.RichiediOperazione(Operazione::CommutaStato);
    }
}

void FrmBar::TastoGiu(int tasto)
{
    if (tasto >= Qt::Key_F5 && tasto <= Qt::Key_F9)
        emit tastoRetta(tasto);
}

void FrmBar::TastoSu(int tasto)
{
    emit fineRipetizione();
    if (tasto == Qt::Key_F2)
        CmdPage_Click();
}

void FrmBar::keyPressEvent(QKeyEvent *evento)
{
    TastoGiu(evento->key());
}

void FrmBar::keyReleaseEvent(QKeyEvent *evento)
{
    if (!evento->isAutoRepeat())
        TastoSu(evento->key());
}

} // namespace gascal
