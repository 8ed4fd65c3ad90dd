#include "interp/FrmInterpola.h"
#include "interp/SpiegaCampioni.h"

#include "app/Contesto.h"
#include "app/FileSistema.h"
#include "app/ServiziUi.h"
#include "interp/FileCampioni.h"
#include "interp/ModoInterpolazione.h"
#include "ui/common/ApplicaFont.h"
#include "ui/common/Twips.h"
#include "ui/interp/GraficoCampioni.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>

namespace gascal {

const QString FrmInterpola::Filtro = QStringLiteral("Samples Files  (*.cmp)|*.cmp|All Files  (*.*)|*.*");
const QString FrmInterpola::Sezione = QStringLiteral("[Frm_Interpola]");
const QColor FrmInterpola::ColoreBenzina(0, 150, 60);
const QColor FrmInterpola::ColoreGas(30, 90, 210);

namespace {

const QString Acapo = QStringLiteral("\r\n");

void Colora(QPushButton *pulsante, const QColor &colore)
{
    pulsante->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: white; "
                                           "border: 1px solid %2; padding: 2px; }"
                                           "QPushButton:pressed { background-color: %2; }")
                                .arg(colore.name(), colore.darker(140).name()));
}

} // namespace

FrmInterpola::FrmInterpola(Contesto &ctx, QWidget *frame)
    : QWidget(frame, Qt::Window), m_ctx(ctx), m_modello(ctx)
{
    setObjectName(QStringLiteral("FrmInterpola"));
    CreaControlli();
}

void FrmInterpola::CreaControlli()
{
    Twips::Dimensiona(this, Larghezza, Altezza);
    PctRetta = new GraficoCampioni(this);
    Frame1 = new QGroupBox(this);
    TxtCampioni = new QPlainTextEdit(Frame1);
    LblTmpStability = new QLabel(this);
    LblMotivo = new QLabel(this);
    CmbTmpStability = new QComboBox(this);
    ChkTypeSline = new QCheckBox(this);
    ChkDisabilCampBenz = new QCheckBox(this);
    CmdEraseBenz = new QPushButton(this);
    CmdEraseGas = new QPushButton(this);
    CmdPlottaDeflessio = new QPushButton(this);
    CmdMapOpen = new QPushButton(this);
    CmdMapSave = new QPushButton(this);

    struct Posto { QWidget *w; const char *nome; int l, t, lw, h; };
    const int x = 6960, lw = 3360;
    const Posto posti[] = {
        {PctRetta, "PctRetta", 120, 120, 6600, 6600},
        {Frame1, "Frame1", 120, 120, 6600, 6600},
        {TxtCampioni, "TxtCampioni", 90, 300, 6420, 6210},
        {LblTmpStability, "LblTmpStability", x, 120, lw, 270},
        {CmbTmpStability, "CmbTmpStability", x, 420, lw, 360},
        {ChkTypeSline, "ChkTypeSline", x, 960, lw, 300},
        {ChkDisabilCampBenz, "ChkDisabilCampBenz", x, 1320, lw, 300},
        {CmdEraseBenz, "CmdEraseBenz", x, 1920, lw, 480},
        {CmdEraseGas, "CmdEraseGas", x, 2490, lw, 480},
        {CmdPlottaDeflessio, "CmdPlottaDeflessio", x, 3240, lw, 480},
        {CmdMapOpen, "CmdMapOpen", x, 3990, lw, 480},
        {CmdMapSave, "CmdMapSave", x, 4560, lw, 480},
        {LblMotivo, "LblMotivo", x, 5160, lw, 1800},
    };
    for (const Posto &p : posti) {
        p.w->setObjectName(QString::fromLatin1(p.nome));
        Twips::Posiziona(p.w, p.l, p.t, p.lw, p.h);
        m_geometrie.insert(p.w, QRectF(p.w->geometry()));
    }
    m_dimensionePrecedente = size();

    LblMotivo->setWordWrap(true);
    LblMotivo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Frame1->setTitle(QStringLiteral("Samples"));
    Frame1->setAutoFillBackground(true);
    Frame1->hide();
    TxtCampioni->setReadOnly(true);
    TxtCampioni->setLineWrapMode(QPlainTextEdit::NoWrap);
    Colora(CmdEraseBenz, ColoreBenzina);
    Colora(CmdEraseGas, ColoreGas);
    // Design texts, until the dictionary gives its own.
    LblTmpStability->setText(QStringLiteral("Stability time (ms)"));
    ChkTypeSline->setText(QStringLiteral("Bezier"));
    ChkDisabilCampBenz->setText(QStringLiteral("No petrol sampling"));
    CmdEraseBenz->setText(QStringLiteral("Erase petrol"));
    CmdEraseGas->setText(QStringLiteral("Erase gas"));
    CmdPlottaDeflessio->setText(QStringLiteral("Deflection"));
    CmdMapOpen->setText(QStringLiteral("Open"));
    CmdMapSave->setText(QStringLiteral("Save"));

    connect(CmdEraseBenz, &QPushButton::clicked, this, &FrmInterpola::CmdEraseBenz_Click);
    connect(CmdEraseGas, &QPushButton::clicked, this, &FrmInterpola::CmdEraseGas_Click);
    connect(CmdPlottaDeflessio, &QPushButton::clicked, this, &FrmInterpola::CmdPlottaDeflessio_Click);
    connect(CmdMapOpen, &QPushButton::clicked, this, &FrmInterpola::CmdMapOpen_Click);
    connect(CmdMapSave, &QPushButton::clicked, this, &FrmInterpola::CmdMapSave_Click);
    connect(ChkDisabilCampBenz, &QCheckBox::clicked, this, [this] { m_modello.Campionatore().ChiudiFinestra(); });
    connect(ChkTypeSline, &QCheckBox::toggled, this, [this] { Ridisegna(); });
    auto *tasto = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::ALT | Qt::Key_X), this);
    tasto->setContext(Qt::WindowShortcut);
    connect(tasto, &QShortcut::activated, this, &FrmInterpola::ToggleFrame1);
}

QString FrmInterpola::Testo(int k) const
{
    return m_ctx.diz.TestoSezione(Sezione, k);
}

void FrmInterpola::Form_Load()
{
    if (parentWidget())
        setWindowTitle(parentWidget()->windowTitle());
    CaricaLingua();
    // Qt selects the first item added: whether the technician had chosen one
    // is known only before the list is filled.
    const bool senzaScelta = CmbTmpStability->currentIndex() < 0;
    if (CmbTmpStability->count() == 0)
        for (int ms : Interpolazione::TempiStabilita())
            CmbTmpStability->addItem(QString::number(ms));
    if (senzaScelta)
        CmbTmpStability->setCurrentIndex(Interpolazione::VoceStabilitaPredefinita);
    m_modello.Percentuale = 60;
    m_modello.Curve().OrdineSpline = 14;
    PctRetta->ImpostaGriglia(m_ctx.scale.AbsPresScale, m_ctx.scale.TONInjScale);
    Ridisegna();
}

void FrmInterpola::CaricaLingua()
{
    if (m_ctx.diz.Sezione(Sezione) < 0)
        return;
    const struct { QAbstractButton *w; int k; } pulsanti[] = {
        {CmdEraseBenz, 4}, {CmdEraseGas, 5}, {ChkDisabilCampBenz, 6},
        {CmdPlottaDeflessio, 7}, {CmdMapSave, 8}, {CmdMapOpen, 9}};
    for (const auto &p : pulsanti) {
        p.w->setText(Testo(p.k));
        p.w->setToolTip(Testo(p.k));
    }
    if (parentWidget())
        setWindowTitle(parentWidget()->windowTitle() + QStringLiteral(" - ")
                       + m_ctx.diz.TestoSezione(QStringLiteral("[Frm_Interpola_2]"), 7, QStringLiteral("Road samples")));
    LblTmpStability->setText(Testo(14));
    LblTmpStability->setBuddy(CmbTmpStability);
    Frame1->setTitle(m_ctx.diz.TestoSezione(QStringLiteral("[Frm_Interpola_2]"), 7, QStringLiteral("Samples")));
    MostraMotivo();
    ChkTypeSline->setText(Testo(15));
    ApplicaFont(this, m_ctx.diz.FontCharset, m_ctx.diz.FontNome);
    // The table text stays in a fixed-pitch font whatever the language.
    QFont fisso(QStringLiteral("Courier New"), 9);
    fisso.setStyleHint(QFont::TypeWriter);
    fisso.setFixedPitch(true);
    TxtCampioni->setFont(fisso);
}

void FrmInterpola::CentraForm(const QWidget *frame)
{
    if (!frame)
        return;
    const QRect f = frame->frameGeometry();
    const QRect w = frameGeometry();
    const int sinistra = f.left() + (f.width() - w.width()) / 2;
    const int alto = f.top() + (f.height() - w.height()) / 2 - Twips::PxY(450, this);
    move(qMax(0, sinistra), qMax(0, alto));
}

int FrmInterpola::StabilitaMs()
{
    if (CmbTmpStability->currentIndex() < 0)
        CmbTmpStability->setCurrentIndex(0);
    return CmbTmpStability->currentText().toInt();
}

void FrmInterpola::Aggiornalinee()
{
    Interpolazione::Opzioni opzioni;
    opzioni.bezier = ChkTypeSline->isChecked();
    opzioni.senzaBenzina = ChkDisabilCampBenz->isChecked();
    opzioni.stabilitaMs = StabilitaMs();
    const auto marcatori = m_modello.Aggiorna(opzioni);
    if (!m_modello.ErroreMemo().isEmpty() && m_modello.ErroreMemo() != m_erroreMemoMostrato) {
        // Said once, not every 100 ms.
        m_erroreMemoMostrato = m_modello.ErroreMemo();
        m_ctx.ui.Messaggio(m_erroreMemoMostrato, m_ctx.Titolo(), ServiziUi::Pulsanti::Ok,
                           ServiziUi::Icona::Esclamazione);
    }
    if (marcatori) {
        Rimuovi();
        if (MostraMarcatori)
            MostraMarcatori(*marcatori);
    }
    const bool vivo = (m_ctx.Valore(Contesto::RecLive, 6) & 1) != 0;
    PctRetta->ImpostaCursore(vivo ? m_ctx.Valore(Contesto::RecLive, 5) : -1,
                             vivo ? m_ctx.Valore(Contesto::RecLive, 1) : -1);
    Ridisegna();
}

void FrmInterpola::Ridisegna()
{
    m_modello.Calcola(ChkTypeSline->isChecked());
    const TabelleCampioni &t = m_ctx.campioni;
    PctRetta->ImpostaSerie({m_modello.CurvaBenzina(), t[TabelleCampioni::BeM], ColoreBenzina},
                           {m_modello.CurvaGas(), t[TabelleCampioni::GaM], ColoreGas});
    MostraMotivo();
    if (Frame1->isVisible()) {
        const QString testo = t.Testo();
        if (TxtCampioni->toPlainText() != QString(testo).remove(QLatin1Char('\r'))) {
            const int riga = TxtCampioni->verticalScrollBar()->value();
            TxtCampioni->setPlainText(testo);
            TxtCampioni->verticalScrollBar()->setValue(riga);
        }
    }
}

void FrmInterpola::MostraMotivo()
{
    const QString motivo = SpiegaCampioni::Motivo(m_ctx.diz, m_ctx.campioni, m_modello.Deflessione(), StabilitaMs());
    if (LblMotivo->text() != motivo)
        LblMotivo->setText(motivo);
}

void FrmInterpola::Rimuovi()
{
    if (RimuoviMarcatori)
        RimuoviMarcatori();
}

void FrmInterpola::CmdEraseBenz_Click()
{
    if (m_ctx.ui.Messaggio(Testo(10), m_ctx.Titolo(), ServiziUi::Pulsanti::SiNo, ServiziUi::Icona::Domanda)
        != ServiziUi::Risposta::Si)
        return;
    m_modello.CancellaBenzina();
    Rimuovi();
    Ridisegna();
}

void FrmInterpola::CmdEraseGas_Click()
{
    if (m_ctx.ui.Messaggio(Testo(11), m_ctx.Titolo(), ServiziUi::Pulsanti::SiNo, ServiziUi::Icona::Domanda)
        != ServiziUi::Risposta::Si)
        return;
    m_modello.CancellaGas();
    Rimuovi();
    Ridisegna();
}

void FrmInterpola::CmdPlottaDeflessio_Click()
{
    m_ctx.ui.Messaggio(Testo(1), m_ctx.Titolo(), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Informazione);
    m_modello.ChiediDeflessione();
}

void FrmInterpola::CmdMapOpen_Click()
{
    const QString percorso = m_ctx.ui.ApriFile(Filtro, m_ctx.imp.CartellaDati);
    if (percorso.isEmpty() || !FileExist(percorso))
        return;
    QString errore;
    if (!m_modello.CaricaFile(percorso, &errore))
        m_ctx.ui.Messaggio(errore, m_ctx.Titolo(), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Esclamazione);
    Ridisegna();
}

void FrmInterpola::CmdMapSave_Click()
{
    if (m_ctx.stato.StatoProgramma == StatoApp::Offline)
        return;
    QString percorso = m_ctx.ui.SalvaFile(Filtro, m_ctx.imp.CartellaDati);
    if (percorso.isEmpty())
        return;
    if (FileExist(percorso)) {
        const QString domanda = Testo(12) + Acapo + percorso + Acapo + Testo(13);
        if (m_ctx.ui.Messaggio(domanda, m_ctx.Titolo(), ServiziUi::Pulsanti::SiNo, ServiziUi::Icona::Domanda)
            != ServiziUi::Risposta::Si)
            return;
    }
    QString errore;
    if (!FileCampioni::SalvaCampioni(percorso, m_ctx.campioni, &errore))
        m_ctx.ui.Messaggio(errore, m_ctx.Titolo(), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Esclamazione);
}

void FrmInterpola::ToggleFrame1()
{
    Frame1->setVisible(!Frame1->isVisible());
    if (Frame1->isVisible())
        Frame1->raise();
    Ridisegna();
}

void FrmInterpola::resizeEvent(QResizeEvent *evento)
{
    QWidget::resizeEvent(evento);
    Ridimensiona(size());
    PctRetta->update();
}

void FrmInterpola::Ridimensiona(QSize nuova)
{
    if (m_dimensionePrecedente.isEmpty() || nuova.isEmpty())
        return;
    const double rx = nuova.width() / static_cast<double>(m_dimensionePrecedente.width());
    const double ry = nuova.height() / static_cast<double>(m_dimensionePrecedente.height());
    for (auto it = m_geometrie.begin(); it != m_geometrie.end(); ++it) {
        QRectF &g = it.value();
        const QString nome = it.key()->objectName();
        const bool tutto = nome == QLatin1String("Frame1")
            || QStringList{"Pct", "Cmd", "Txt", "Lbl", "Chk"}.contains(nome.left(3));
        const bool cmb = nome.startsWith(QLatin1String("Cmb"));
        if (!tutto && !cmb)
            continue;
        g = QRectF(g.left() * rx, g.top() * ry, g.width() * rx, cmb ? g.height() : g.height() * ry);
        it.key()->setGeometry(g.toRect());
    }
    m_dimensionePrecedente = nuova;
}

void FrmInterpola::closeEvent(QCloseEvent *evento)
{
    // The frame puts the ECU back as soon as it can, and says so once it has.
    ModoInterpolazione::Esci(m_ctx);
    evento->accept();
    emit chiusa();
}

} // namespace gascal
