#include "autotune/FrmAutotuning.h"

#include "app/Contesto.h"
#include "app/Orologio.h"
#include "ui/common/ApplicaFont.h"
#include "ui/common/Forma.h"
#include "ui/common/Twips.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace gascal {

namespace {
constexpr double IntervalloLampeggio = 250000;   // us
const QColor Benzina(200, 40, 30);
const QColor Gas(0, 110, 200);
} // namespace

FrmAutotuning::FrmAutotuning(Contesto &ctx, QWidget *parent)
    : QWidget(parent), Lista(new QListWidget(this)), CmdGo(new QPushButton(this)),
      CmdStop(new QPushButton(this)), CmdAccept(new QPushButton(this)), LblMsg(new QLabel(this)),
      LblTbenz(new QLabel(this)), LblTGas(new QLabel(this)), LblTaraAdjust(new QLabel(this)),
      ShpLampeggio(new Forma(Forma::Tipo::Cerchio, this)), ShpBenz(new Forma(Forma::Tipo::Rettangolo, this)),
      ShpGas(new Forma(Forma::Tipo::Rettangolo, this)), ShpFondo(new Forma(Forma::Tipo::Rettangolo, this)),
      m_ctx(ctx), m_retta(ctx), m_seq(ctx, *this, m_retta)
{
    setObjectName(QStringLiteral("FrmAutotuning"));
    // A raised panel in the normal window colour over the grey client area.
    setAutoFillBackground(true);
    QPalette normale = palette();
    normale.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
    setPalette(normale);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#FrmAutotuning { border: 2px outset #a0a0a0; }"));
    Twips::Dimensiona(this, Larghezza, Altezza);
    for (auto [w, nome] : {std::pair<QWidget *, const char *>{Lista, "Lista"}, {CmdGo, "CmdGo"},
                           {CmdStop, "CmdStop"}, {CmdAccept, "CmdAccept"}, {LblMsg, "LblMsg"},
                           {LblTbenz, "LblTbenz"}, {LblTGas, "LblTGas"}, {LblTaraAdjust, "LblTaraAdjust"}})
        w->setObjectName(QLatin1String(nome));

    // Status text across the top, the indicator at its right.
    Twips::Posiziona(LblMsg, 150, 120, 5400, 1380);
    LblMsg->setAlignment(Qt::AlignCenter);
    LblMsg->setWordWrap(true);
    LblMsg->setFrameShape(QFrame::Panel);
    LblMsg->setFrameShadow(QFrame::Sunken);
    QFont grassetto = LblMsg->font();
    grassetto.setBold(true);
    LblMsg->setFont(grassetto);
    Twips::Posiziona(ShpLampeggio, 5700, 660, 330, 330);
    ShpLampeggio->ImpostaColoreRiempimento(QColor(0, 170, 0));
    ShpLampeggio->ImpostaColoreBordo(QColor(0, 110, 0));

    // The choices.
    Twips::Posiziona(Lista, 1200, 1620, 3900, 1500);

    // Times and correction.
    Twips::Posiziona(LblTbenz, 150, 3240, 2700, 300);
    Twips::Posiziona(LblTGas, 150, 3900, 2700, 300);
    Twips::Posiziona(ShpFondo, 3000, 3210, LarghezzaBarre + 60, 1020);
    ShpFondo->ImpostaOpaca(false);
    ShpFondo->ImpostaColoreBordo(QColor(96, 96, 96));
    Twips::Posiziona(ShpBenz, 3030, 3240, 0, 300);
    Twips::Posiziona(ShpGas, 3030, 3900, 0, 300);
    ShpBenz->ImpostaColoreRiempimento(Benzina);
    ShpBenz->ImpostaColoreBordo(Benzina);
    ShpGas->ImpostaColoreRiempimento(Gas);
    ShpGas->ImpostaColoreBordo(Gas);
    Twips::Posiziona(LblTaraAdjust, 150, 4320, 6000, 330);
    LblTaraAdjust->setAlignment(Qt::AlignCenter);

    // Buttons.
    Twips::Posiziona(CmdGo, 150, 4920, 1800, 600);
    Twips::Posiziona(CmdStop, 2250, 4920, 1800, 600);
    Twips::Posiziona(CmdAccept, 4350, 4920, 1800, 600);

    connect(CmdGo, &QPushButton::clicked, this, &FrmAutotuning::CmdGo_Click);
    connect(CmdStop, &QPushButton::clicked, this, &FrmAutotuning::CmdStop_Click);
    connect(CmdAccept, &QPushButton::clicked, this, &FrmAutotuning::CmdAccept_Click);
    connect(Lista, &QListWidget::itemDoubleClicked, this, [this] { Lista_DblClick(); });
    Lista->installEventFilter(this);

    // Load.
    CaricaLingua();
    m_seq.FileSatoTun = m_ctx.imp.FileSatoTun;
    m_seq.FileParaTun = m_ctx.imp.FileParaTun;
    ViualizzaLblTempi(false);
    Lista->hide();
    CmdStop->setEnabled(false);
    CmdAccept->setEnabled(false);
    ApplicaFont(this, m_ctx.diz.FontCharset, m_ctx.diz.FontNome);
    LblMsg->setFont(grassetto);
}

void FrmAutotuning::CaricaLingua()
{
    setWindowTitle(m_seq.Testo(1));
    CmdStop->setText(m_seq.Testo(38));
    CmdAccept->setText(m_seq.Testo(39));
    CmdGo->setText(m_seq.Testo(40));
    // Between runs the window shows the idle text; during a run the sequence
    // writes its next text in the new language.
    if (CmdGo->isEnabled())
        MostraStato(m_seq.Testo(4));
}

// ---- what the sequence shows ---------------------------------------------------

void FrmAutotuning::MostraStato(const QString &testo)
{
    QString t = testo;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (LblMsg->text() != t)
        LblMsg->setText(t);
}

void FrmAutotuning::StatoVisibile(bool visibile)
{
    LblMsg->setVisible(visibile);
}

void FrmAutotuning::LampeggioInTaratura(bool spento)
{
    ShpLampeggio->setVisible(!spento);
    if (spento)
        return;
    const double ora = TimerApi_uSec();
    if (ora > m_prossimoLampeggio) {
        ShpLampeggio->ImpostaOpaca(!ShpLampeggio->Opaca());
        m_prossimoLampeggio = ora + IntervalloLampeggio;
    }
}

void FrmAutotuning::Barra(Forma *barra, QLabel *etichetta, int testo, qint32 tempoUs)
{
    QString t = m_seq.Testo(testo) + QLatin1Char(' ') + QString::number(tempoUs / 1000.0, 'f', 2);
    if (m_ctx.imp.SepDecimale != QLatin1String("."))
        t.replace(QLatin1Char('.'), m_ctx.imp.SepDecimale);
    if (etichetta->text() != t)
        etichetta->setText(t);
    const int twips = std::clamp(static_cast<int>(static_cast<double>(LarghezzaBarre) / 8000.0 * tempoUs), 0,
                                 LarghezzaBarre);
    const int larghezza = Twips::PxX(twips, this);
    if (barra->width() != larghezza)
        barra->resize(larghezza, barra->height());
}

void FrmAutotuning::VisualizzaTempiCampionamentoBenzina(qint32 tempoUs)
{
    Barra(ShpBenz, LblTbenz, 42, tempoUs);
}

void FrmAutotuning::VisualizzaTempiCampionamentoGas(qint32 tempoUs)
{
    Barra(ShpGas, LblTGas, 43, tempoUs);
}

void FrmAutotuning::MostraCorrezione(const QString &testo)
{
    QString t = testo;
    t.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    if (LblTaraAdjust->text() != t)
        LblTaraAdjust->setText(t);
}

void FrmAutotuning::ViualizzaLblTempi(bool visibili)
{
    for (QWidget *w : {static_cast<QWidget *>(ShpBenz), static_cast<QWidget *>(ShpGas),
                       static_cast<QWidget *>(ShpFondo), static_cast<QWidget *>(LblTbenz),
                       static_cast<QWidget *>(LblTGas), static_cast<QWidget *>(LblTaraAdjust)})
        w->setVisible(visibili);
}

bool FrmAutotuning::ViualizzaLblTempi() const
{
    return LblTbenz->isVisibleTo(this);
}

void FrmAutotuning::CaricaLista(const QStringList &voci)
{
    Lista->clear();
    Lista->addItems(voci);
    Lista->setCurrentRow(-1);
    Lista->clearSelection();
}

void FrmAutotuning::ListaVisibile(bool visibile)
{
    if (Lista->isVisibleTo(this) != visibile)
        Lista->setVisible(visibile);
    if (visibile && Lista->isVisible())
        Lista->setFocus();
}

void FrmAutotuning::AbilitaAccept(bool abilitato)
{
    CmdAccept->setEnabled(abilitato);
}

void FrmAutotuning::FineTaratura()
{
    CmdGo->setEnabled(true);
    CmdStop->setEnabled(false);
    CmdAccept->setEnabled(false);
    hide();
    emit chiusa();
}

// ---- buttons and list -------------------------------------------------------------

void FrmAutotuning::CmdGo_Click()
{
    if (!m_seq.Go())
        return;
    m_seq.Didascalia = window()->windowTitle();
    CmdGo->setEnabled(false);
    CmdAccept->setEnabled(false);
    CmdStop->setEnabled(true);
}

void FrmAutotuning::CmdStop_Click()
{
    if (m_seq.Ferma()) {
        hide();
        emit chiusa();
    }
}

void FrmAutotuning::CmdAccept_Click()
{
    m_seq.Accetta(Lista->currentRow());
}

void FrmAutotuning::Lista_DblClick()
{
    m_seq.Scegli(Lista->currentRow());
}

bool FrmAutotuning::eventFilter(QObject *oggetto, QEvent *evento)
{
    if (oggetto == Lista && evento->type() == QEvent::KeyRelease) {
        const int tasto = static_cast<QKeyEvent *>(evento)->key();
        if (tasto == Qt::Key_Return || tasto == Qt::Key_Enter)
            Lista_DblClick();
    }
    return QWidget::eventFilter(oggetto, evento);
}

} // namespace gascal
