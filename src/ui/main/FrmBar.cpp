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

#include <QKeyEvent>
#include <QLocale>
#include <QLabel>
#include <QPushButton>

namespace gascal {

const std::array<int, 14> FrmBar::SoglieGiri = {500,  800,  1100, 1400, 1700, 2000, 2300,
                                                2700, 3100, 3500, 4000, 4500, 5000, 5600};

namespace {

struct Segmento {
    QColor colore;
    int left, top, height;
};

const std::array<Segmento, 14> Segmenti = {{
    {QColor(255, 255, 128), 180, 5940, 240}, {QColor(255, 255, 128), 330, 5760, 300},
    {QColor(255, 255, 0), 480, 5640, 300},   {QColor(255, 255, 0), 630, 5520, 360},
    {QColor(255, 255, 0), 780, 5460, 360},   {QColor(255, 128, 0), 930, 5310, 420},
    {QColor(255, 128, 0), 1050, 5220, 480},  {QColor(255, 128, 0), 1200, 5130, 540},
    {QColor(255, 0, 0), 1350, 5040, 600},    {QColor(255, 0, 0), 1500, 4950, 660},
    {QColor(255, 0, 0), 1650, 4890, 720},    {QColor(192, 0, 0), 1800, 4830, 780},
    {QColor(192, 0, 0), 1950, 4770, 840},    {QColor(192, 0, 0), 2100, 4710, 900},
}};
constexpr int LarghezzaSegmento = 135;

struct Led {
    qint32 basso, alto;
    QColor colore;
    bool soloConDatiValidi;
};

const std::array<Led, 7> Leds = {{
    {0x100, 0x200, QColor(0, 255, 0), false},
    {0x40, 0x80, QColor(0, 255, 0), false},
    {0x10, 0x20, QColor(0, 255, 0), false},
    {0x4, 0x8, QColor(0, 255, 0), false},
    {0x1, 0x2, QColor(255, 0, 0), false},
    {0x1000, 0x2000, QColor(255, 0, 0), true},
    {0x400, 0x800, QColor(255, 128, 0), true},
}};

const QString Nessuno = QStringLiteral(" - - ");
const QString Sezione2 = QStringLiteral("[Frm_Barra_2]");

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

FrmBar::FrmBar(Contesto &ctx, QWidget *parent) : QWidget(parent), m_ctx(ctx)
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
    LblTempoBenzVal->setText(Nessuno + m_unitaMs);
    LblTempoGasVal->setText(Nessuno + m_unitaMs);
    LblRpmVal->setText(Nessuno + m_unitaGiri);

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
    for (size_t i = 0; i < ShpGiri.size(); ++i)
        ShpGiri[i]->Tag = SoglieGiri[i];
    CaricaLingua();
    ApplicaFont(this, m_ctx.diz.FontCharset, m_ctx.diz.FontNome);
    LblPressVal->setVisible(m_ctx.scale.MostraFineGas);
    Image1->setVisible(m_ctx.scale.MostraFineGas);
}

QString FrmBar::Testo2(int k, const char *progetto) const
{
    return m_ctx.diz.TestoSezione(Sezione2, k, QLatin1String(progetto));
}

void FrmBar::CaricaLingua()
{
    // Units in the user's language (the second section; English without it).
    m_unitaGiri = QStringLiteral(" (") + Testo2(5, "rpm") + QLatin1Char(')');
    m_unitaMs = QStringLiteral(" (") + Testo2(6, "ms") + QStringLiteral(") ");
    m_unitaBar = QStringLiteral(" (") + Testo2(7, "bar") + QLatin1Char(')');
    m_unitaTemp = QStringLiteral(" (") + Testo2(8, "c") + QLatin1Char(')');
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

void FrmBar::ColoraTempoGas(bool rosso)
{
    if (m_gasRosso == static_cast<int>(rosso))
        return;
    m_gasRosso = rosso;
    QPalette pal = LblTempoGasVal->palette();
    // Active and inactive only: a disabled bar (an operation running) greys
    // this value like the others.
    const QColor colore = rosso ? QColor(255, 0, 0) : QColor(0, 0, 0);
    pal.setColor(QPalette::Active, QPalette::WindowText, colore);
    pal.setColor(QPalette::Inactive, QPalette::WindowText, colore);
    LblTempoGasVal->setPalette(pal);
}

void FrmBar::ValoriDaFile(const QString &nomeFile)
{
    m_origine = Origine::File;
    m_file = nomeFile;
}

QString FrmBar::TestoOrigine() const
{
    switch (m_origine) {
    case Origine::Ecu: {
        const QString ora = m_quando.time().toString(QStringLiteral("HH:mm:ss"));
        if (m_quando.date() == QDate::currentDate())
            return Testo2(1, "Not live: read at %1").arg(ora);
        return Testo2(2, "Not live: read on %1 at %2")
            .arg(QLocale().toString(m_quando.date(), QLocale::ShortFormat), ora);
    }
    case Origine::File:
        return Testo2(3, "Not live: from %1").arg(m_file);
    case Origine::Nessuna:
        break;
    }
    return Testo2(4, "Not live: no ECU read yet");
}

bool FrmBar::StatoDalVivo() const
{
    return m_ctx.stato.EcuCollegata();
}

void FrmBar::SegnaOrigine()
{
    m_dalVivo = StatoDalVivo();
    if (m_dalVivo) {
        m_origine = Origine::Ecu;
        m_quando = QDateTime::currentDateTime();
    } else {
        ImpostaTesto(LblNonDalVivo, TestoOrigine());
        if (LblNonDalVivo->isHidden())
            LblNonDalVivo->raise(); // over any control added since
    }
    ImpostaVisibile(LblNonDalVivo, !m_dalVivo);
}

void FrmBar::AggiornaVisualizzazioni()
{
    SegnaOrigine();
    const Contesto &c = m_ctx;
    const qint32 stato = c.Valore(1, 6);
    const QString &sep = c.imp.SepDecimale;
    if ((stato & 1) == 0) {
        ImpostaTesto(LblRpmVal, Nessuno + m_unitaGiri);
        for (int i = static_cast<int>(ShpGiri.size()) - 1; i >= 0; --i) {
            if (ShpGiri[i]->Opaca()) {
                ShpGiri[i]->ImpostaOpaca(false);
                break;
            }
        }
        LblPressValTag = Nessuno;
        LblTempValTag = QString::number(c.Valore(1, 9));
        ImpostaTesto(LblTempoBenzVal, Nessuno + m_unitaMs);
        ImpostaTesto(LblTempoGasVal, Nessuno + m_unitaMs);
        MostraCoppia(ImgBenzOn, ImgBenzOff, false);
        MostraCoppia(ImgGasOn, ImgGasOff, false);
        if (ImgEvOff->Tag != 0) {
            MostraCoppia(ImgEvOn, ImgEvOff, false);
            ImgEvOff->Tag = 0;
        }
        if (ImgKeyOff->Tag != 0) {
            MostraCoppia(ImgKeyOn, ImgKeyOff, false);
            ImgKeyOff->Tag = 0;
        }
    } else {
        const qint32 giri = c.Valore(1, 4);
        ImpostaTesto(LblRpmVal, QString::number(giri) + m_unitaGiri);
        for (Forma *segmento : ShpGiri)
            segmento->ImpostaOpaca(segmento->Tag < giri);
        LblPressValTag = FormatMilli(c.Valore(1, 5), 2, sep);
        LblTempValTag = QString::number(c.Valore(1, 9));
        ImpostaTesto(LblTempoBenzVal, FormatMilli(c.Valore(1, 1), 2, sep) + m_unitaMs);
        if (c.Valore(2, 1) != 3) {
            ColoraTempoGas(false);
            ImpostaTesto(LblTempoGasVal, Nessuno + m_unitaMs);
            MostraCoppia(ImgGasOn, ImgGasOff, false);
            MostraCoppia(ImgBenzOn, ImgBenzOff, true);
        } else {
            const bool rosso = (c.Valore(3, 26) + 1) * 96 + c.Valore(1, 0) >= c.Valore(1, 2)
                || c.Valore(1, 3) + c.Valore(1, 1) < c.Valore(3, 16);
            ColoraTempoGas(rosso);
            ImpostaTesto(LblTempoGasVal, FormatMilli(c.Valore(1, 0), 2, sep) + m_unitaMs);
            MostraCoppia(ImgGasOn, ImgGasOff, true);
            MostraCoppia(ImgBenzOn, ImgBenzOff, false);
        }
        if (ImgKeyOff->Tag != 1) {
            MostraCoppia(ImgKeyOn, ImgKeyOff, true);
            ImgKeyOff->Tag = 1;
        }
        const bool valvola = (stato & 2) != 0;
        if (ImgEvOff->Tag != 1 && valvola) {
            MostraCoppia(ImgEvOn, ImgEvOff, true);
            ImgEvOff->Tag = 1;
        }
        if (ImgEvOff->Tag != 0 && !valvola) {
            MostraCoppia(ImgEvOn, ImgEvOff, false);
            ImgEvOff->Tag = 0;
        }
    }
    // Without any values read there is no temperature to show, not 0.
    if (m_origine == Origine::Nessuna)
        LblTempValTag = Nessuno;
    ImpostaTesto(LblPressVal, LblPressValTag + m_unitaBar);
    ImpostaTesto(LblTempVal, LblTempValTag + m_unitaTemp);
    LampeggiaAggiornamento();
}

void FrmBar::LampeggiaAggiornamento()
{
    if (!m_ctx.stato.MarcatoreAggiornamento.isEmpty()) {
        m_aggiornaRosso = !m_aggiornaRosso;
        CmdUpdate->setStyleSheet(m_aggiornaRosso ? QStringLiteral("background-color: rgb(255,0,0);")
                                                 : QString());
    } else if (m_aggiornaRosso) {
        SpegniAggiornamento();
    }
}

void FrmBar::SpegniAggiornamento()
{
    m_aggiornaRosso = false;
    CmdUpdate->setStyleSheet(QString());
}

void FrmBar::VisualizzaStatoCommutatore()
{
    const double adesso = TimerApi_uSec();
    if (adesso > m_prossimaFase) {
        m_prossimaFase = adesso + m_passoFase;
        m_fase = (m_fase + 1) % 4;
    }
    const qint32 parola = m_ctx.Valore(1, 10);
    const bool datiValidi = (m_ctx.Valore(1, 6) & 1) != 0;
    for (size_t i = 0; i < Leds.size(); ++i) {
        const Led &led = Leds[i];
        const bool basso = (parola & led.basso) != 0;
        const bool alto = (parola & led.alto) != 0;
        bool acceso = false;
        if (basso && alto)
            acceso = true;
        else if (alto)
            acceso = (m_fase & 2) != 0;
        else if (basso)
            acceso = (m_fase & 1) != 0;
        if (led.soloConDatiValidi && !datiValidi)
            acceso = false;
        const QColor colore = acceso ? led.colore : QColor(0, 0, 0);
        ShpLevAct[i]->ImpostaColoreRiempimento(colore);
        ShpLevAct[i]->ImpostaColoreBordo(colore);
    }

    const bool lento = (parola & 0x4000) != 0;
    const bool veloce = (parola & 0x8000) != 0;
    // Old values do not beep: the buzzer is the ECU's, now.
    if (!datiValidi || (!lento && !veloce) || !StatoDalVivo())
        return;
    if (lento && veloce) {
        m_ctx.ui.Beep();
    } else if (lento) {
        if (adesso > m_prossimoBeep) {
            m_prossimoBeep = adesso + 1e6;
            m_ctx.ui.Beep();
        }
    } else {
        m_ctx.ui.Beep();
        if (adesso > m_prossimoBeep) {
            m_prossimoBeep = adesso + 3e5;
            m_ctx.ui.Beep();
        }
    }
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
