#include "autotune/FrmAutotuning.h"

#include "app/Contesto.h"
#include "ui/common/ApplicaFont.h"
#include "ui/common/Forma.h"
#include "ui/common/Twips.h"
#include "ui/common/SoloSeCambia.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>

namespace gascal {

namespace {
const QColor Benzina(200, 40, 30);
const QColor Gas(0, 110, 200);
} // namespace

FrmAutotuning::FrmAutotuning(Contesto &ctx, QWidget *parent)
    : QWidget(parent), Lista(new QListWidget(this)), CmdGo(new QPushButton(this)),
      CmdStop(new QPushButton(this)), CmdAccept(new QPushButton(this)), CmdChiudi(new QPushButton(this)),
      CmdChiudiX(new QPushButton(QStringLiteral("\u2715"), this)), LblMsg(new QLabel(this)),
      LblTbenz(new QLabel(this)), LblTGas(new QLabel(this)), LblTaraAdjust(new QLabel(this)),
      ShpLampeggio(new Forma(Forma::Tipo::Cerchio, this)), ShpBenz(new Forma(Forma::Tipo::Rettangolo, this)),
      ShpGas(new Forma(Forma::Tipo::Rettangolo, this)), ShpFondo(new Forma(Forma::Tipo::Rettangolo, this)),
      m_ctx(ctx), m_modello(ctx)
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
                           {CmdStop, "CmdStop"}, {CmdAccept, "CmdAccept"}, {CmdChiudi, "CmdChiudi"},
                           {CmdChiudiX, "CmdChiudiX"}, {LblMsg, "LblMsg"},
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
    Twips::Posiziona(ShpLampeggio, 5700, 660, 330, 330);
    ShpLampeggio->ImpostaColoreRiempimento(QColor(0, 170, 0));
    ShpLampeggio->ImpostaColoreBordo(QColor(0, 110, 0));

    // The choices.
    Twips::Posiziona(Lista, 1200, 1620, 3900, 1500);

    // Times and correction.
    const int barre = ModelloAutotuning::LarghezzaBarre;
    Twips::Posiziona(LblTbenz, 150, 3240, 2700, 300);
    Twips::Posiziona(LblTGas, 150, 3900, 2700, 300);
    Twips::Posiziona(ShpFondo, 3000, 3210, barre + 60, 1020);
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

    // Buttons, and the close box in the top right corner.
    Twips::Posiziona(CmdGo, 150, 4920, 1380, 600);
    Twips::Posiziona(CmdStop, 1680, 4920, 1380, 600);
    Twips::Posiziona(CmdAccept, 3210, 4920, 1380, 600);
    Twips::Posiziona(CmdChiudi, 4740, 4920, 1410, 600);
    Twips::Posiziona(CmdChiudiX, 5880, 45, 330, 330);
    CmdChiudiX->setFlat(true);
    CmdChiudiX->setFocusPolicy(Qt::NoFocus);
    // Esc anywhere in the frame while the window is shown.
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, [this] { Chiudi(); });
    esc->setContext(Qt::WindowShortcut);

    connect(CmdGo, &QPushButton::clicked, this, [this] { m_modello.Go(window()->windowTitle()); });
    connect(CmdStop, &QPushButton::clicked, this, [this] {
        if (m_modello.Stop())
            Chiudi();
    });
    connect(CmdAccept, &QPushButton::clicked, this, [this] { m_modello.Accetta(Lista->currentRow()); });
    connect(CmdChiudi, &QPushButton::clicked, this, &FrmAutotuning::Chiudi);
    connect(CmdChiudiX, &QPushButton::clicked, this, &FrmAutotuning::Chiudi);
    connect(Lista, &QListWidget::itemDoubleClicked, this, [this] { m_modello.Scegli(Lista->currentRow()); });
    Lista->installEventFilter(this);

    m_modello.cambiata = [this] { Disegna(); };
    CaricaLingua();
    ApplicaFont(this, m_ctx.diz.FontCharset, m_ctx.diz.FontNome);
    LblMsg->setFont(grassetto);
}

void FrmAutotuning::CaricaLingua()
{
    const SequenzaTaratura &seq = Sequenza();
    setWindowTitle(seq.Testo(1));
    CmdStop->setText(seq.Testo(38));
    CmdAccept->setText(seq.Testo(39));
    CmdGo->setText(seq.Testo(40));
    CmdChiudi->setText(seq.Testo(41));
    const QString chiudi = m_modello.Testo2(1, "Close the autotuning window (Esc)");
    CmdChiudi->setToolTip(chiudi);
    CmdChiudiX->setToolTip(chiudi);
    CmdChiudiX->setAccessibleName(chiudi);
    m_modello.CaricaLingua();
}

void FrmAutotuning::Disegna()
{
    const VistaAutotuning &v = m_modello.Vista();
    ImpostaTesto(LblMsg, v.stato);
    ImpostaVisibile(LblMsg, v.statoVisibile);
    ImpostaVisibile(ShpLampeggio, v.lampeggioVisibile);
    ShpLampeggio->ImpostaOpaca(v.lampeggioAcceso);
    if (m_caricamento != v.caricamento) {
        m_caricamento = v.caricamento;
        Lista->clear();
        Lista->addItems(v.voci);
        Lista->setCurrentRow(v.riga);
        if (v.riga < 0)
            Lista->clearSelection();
    }
    if (Lista->accessibleName() != v.nomeLista)
        Lista->setAccessibleName(v.nomeLista);
    if (Lista->isVisibleTo(this) != v.listaVisibile)
        Lista->setVisible(v.listaVisibile);
    if (v.listaVisibile && Lista->isVisible() && !Lista->hasFocus())
        Lista->setFocus();
    for (QWidget *w : std::initializer_list<QWidget *>{ShpBenz, ShpGas, ShpFondo, LblTbenz, LblTGas, LblTaraAdjust})
        ImpostaVisibile(w, v.tempiVisibili);
    ImpostaTesto(LblTbenz, v.testoBenzina);
    ImpostaTesto(LblTGas, v.testoGas);
    ImpostaTesto(LblTaraAdjust, v.correzione);
    for (const auto &[barra, twips] : {std::pair{ShpBenz, v.barraBenzina}, std::pair{ShpGas, v.barraGas}})
        if (const int px = Twips::PxX(twips, this); barra->width() != px)
            barra->resize(px, barra->height());
    CmdGo->setEnabled(v.go);
    CmdStop->setEnabled(v.stop);
    CmdAccept->setEnabled(v.accept);
    CmdChiudi->setEnabled(v.chiudi);
    CmdChiudiX->setEnabled(v.chiudi);
}

bool FrmAutotuning::Chiudi()
{
    if (!m_modello.Chiudi())
        return false;
    if (isVisible()) {
        // The frame's live bar takes the focus, so the view does not scroll away.
        if (isAncestorOf(QApplication::focusWidget()) && parentWidget())
            parentWidget()->setFocus(Qt::OtherFocusReason);
        hide();
        emit chiusa();
    }
    return true;
}

void FrmAutotuning::keyPressEvent(QKeyEvent *evento)
{
    if (evento->key() == Qt::Key_Escape && Chiudi())
        return;
    QWidget::keyPressEvent(evento);
}

bool FrmAutotuning::eventFilter(QObject *oggetto, QEvent *evento)
{
    if (oggetto == Lista && evento->type() == QEvent::KeyRelease) {
        const int tasto = static_cast<QKeyEvent *>(evento)->key();
        if (tasto == Qt::Key_Return || tasto == Qt::Key_Enter)
            m_modello.Scegli(Lista->currentRow());
    }
    return QWidget::eventFilter(oggetto, evento);
}

} // namespace gascal
