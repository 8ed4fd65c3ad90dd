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
#include <QRegularExpression>
#include <QShortcut>

#include <algorithm>

namespace gascal {

namespace {
constexpr double IntervalloLampeggio = 250000;   // us
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

    connect(CmdGo, &QPushButton::clicked, this, &FrmAutotuning::CmdGo_Click);
    connect(CmdStop, &QPushButton::clicked, this, &FrmAutotuning::CmdStop_Click);
    connect(CmdAccept, &QPushButton::clicked, this, &FrmAutotuning::CmdAccept_Click);
    connect(CmdChiudi, &QPushButton::clicked, this, &FrmAutotuning::Chiudi);
    connect(CmdChiudiX, &QPushButton::clicked, this, &FrmAutotuning::Chiudi);
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
    CmdChiudi->setText(m_seq.Testo(41));
    const QString chiudi = Testo2(1, "Close the autotuning window (Esc)");
    CmdChiudi->setToolTip(chiudi);
    CmdChiudiX->setToolTip(chiudi);
    CmdChiudiX->setAccessibleName(chiudi);
    Lista->setAccessibleName(m_seq.Testo(Lista->count() > 2 ? 34 : 35));
    // Between runs the window shows the idle text; during a run the sequence
    // writes its next text in the new language.
    if (CmdGo->isEnabled())
        MostraStato(m_seq.Testo(4));
}

// ---- what the sequence shows ---------------------------------------------------

QString FrmAutotuning::Testo2(int k, const char *progetto) const
{
    return m_ctx.diz.TestoSezione(QStringLiteral("[Frm_AutoTuning_2]"), k, QLatin1String(progetto));
}

QString FrmAutotuning::SpiegaAttesa(const QString &testo) const
{
    // The return to idle shows its wait as "2500 < 1100" on a line of its own.
    static const QRegularExpression attesa(QStringLiteral("^(\\d+) < (\\d+)$"),
                                           QRegularExpression::MultilineOption);
    QString t = testo;
    const QRegularExpressionMatch m = attesa.match(t);
    if (m.hasMatch())
        t.replace(m.capturedStart(), m.capturedLength(),
                  Testo2(2, "Engine speed %1 rpm: waiting until it falls below %2 rpm.")
                      .arg(m.captured(1), m.captured(2)));
    return t;
}

void FrmAutotuning::MostraStato(const QString &testo)
{
    QString t = testo;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t = SpiegaAttesa(t);
    if (InCorso() && testo != m_seq.Testo(4))
        m_esito = t;
    if (m_mostraEsito)
        return; // the last run's result stays until the window closes
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
    const bool iniettori = voci == m_seq.VociIniettore();
    Lista->setAccessibleName(m_seq.Testo(iniettori ? 34 : 35)); // "Injector type" or "Fuel"
    // The injector list opens on the type the ECU is set to.
    if (!iniettori || !m_ctx.EsisteValore(Contesto::RecConfig, 1))
        return;
    const qint32 codice = m_ctx.Valore(Contesto::RecConfig, 1);
    const auto &tabella = m_ctx.scale.TabIniettori;
    for (int i = 0; i < tabella.size() && i < Lista->count(); ++i)
        if (!tabella.at(i).Nome.isEmpty() && tabella.at(i).Codice == codice) {
            Lista->setCurrentRow(i);
            break;
        }
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
    CmdChiudi->setEnabled(true);
    CmdChiudiX->setEnabled(true);
    // The result stays on screen until the user closes the window or starts
    // again; the prompts that asked for Stop or Accept are over.
    QString esito = m_esito;
    for (int k : {17, 45}) {
        const QString invito = QStringLiteral("\n\n") + m_seq.Testo(k);
        if (esito.endsWith(invito))
            esito.chop(invito.size());
    }
    if (!esito.isEmpty()) {
        LblMsg->setText(esito);
        LblMsg->show();
        m_mostraEsito = true;
    }
}

bool FrmAutotuning::InCorso() const
{
    return m_seq.InCorso() || m_ctx.stato.AutotuningRichiesto == 1
        || m_ctx.stato.StatoProgramma == StatoApp::Autotuning;
}

bool FrmAutotuning::Chiudi()
{
    if (InCorso())
        return false;
    m_mostraEsito = false;
    m_esito.clear();
    MostraStato(m_seq.Testo(4));
    if (isVisible()) {
        // The frame's live bar takes the focus, so the view does not scroll away.
        if (isAncestorOf(QApplication::focusWidget()) && parentWidget())
            parentWidget()->setFocus(Qt::OtherFocusReason);
        hide();
        emit chiusa();
    }
    return true;
}

void FrmAutotuning::PulisciValori()
{
    m_mostraEsito = false;
    m_esito.clear();
    ViualizzaLblTempi(false);
    LblTbenz->clear();
    LblTGas->clear();
    LblTaraAdjust->clear();
    ShpBenz->resize(0, ShpBenz->height());
    ShpGas->resize(0, ShpGas->height());
}

void FrmAutotuning::keyPressEvent(QKeyEvent *evento)
{
    if (evento->key() == Qt::Key_Escape && Chiudi())
        return;
    QWidget::keyPressEvent(evento);
}

// ---- buttons and list -------------------------------------------------------------

void FrmAutotuning::CmdGo_Click()
{
    PulisciValori();
    if (!m_seq.Go())
        return;
    m_seq.Didascalia = window()->windowTitle();
    CmdChiudi->setEnabled(false);
    CmdChiudiX->setEnabled(false);
    CmdGo->setEnabled(false);
    CmdAccept->setEnabled(false);
    CmdStop->setEnabled(true);
}

void FrmAutotuning::CmdStop_Click()
{
    if (m_seq.Ferma())
        Chiudi();
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
