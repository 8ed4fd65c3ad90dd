#include "ui/line/FrmRetta.h"

#include "app/Contesto.h"
#include "app/Orologio.h"
#include "ui/common/ApplicaFont.h"
#include "ui/common/Twips.h"
#include "ui/config/FrmSelezAlim.h"
#include "ui/line/FrmRettaGrafico.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <array>
#include <tuple>

namespace gascal {

namespace {

const QString Sezione = QStringLiteral("[Frm_Retta]");

enum class Disegno { Su, Giu, Sinistra, Destra, Prossimo, Tutti };

// The pictures of the edit buttons and of ImgChkAll.
QIcon Icona(Disegno tipo)
{
    const int lato = 64;
    QPixmap pixmap(lato, lato);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colore(25, 70, 170);
    QPainterPath freccia;
    auto triangolo = [&freccia](QPointF a, QPointF b, QPointF c) {
        freccia.moveTo(a);
        freccia.lineTo(b);
        freccia.lineTo(c);
        freccia.closeSubpath();
    };
    switch (tipo) {
    case Disegno::Su: triangolo({32, 8}, {56, 52}, {8, 52}); break;
    case Disegno::Giu: triangolo({32, 56}, {56, 12}, {8, 12}); break;
    case Disegno::Sinistra: triangolo({8, 32}, {52, 8}, {52, 56}); break;
    case Disegno::Destra: triangolo({56, 32}, {12, 8}, {12, 56}); break;
    case Disegno::Prossimo:
        triangolo({44, 32}, {8, 8}, {8, 56});
        freccia.addRect(46, 8, 10, 48);
        break;
    case Disegno::Tutti:
        for (int i = 0; i < 5; ++i)
            freccia.addRect(6 + i * 11, 30, 8, 28);
        triangolo({32, 2}, {50, 24}, {14, 24});
        break;
    }
    p.fillPath(freccia, colore);
    return QIcon(pixmap);
}

} // namespace

FrmRetta::FrmRetta(Contesto &ctx, QWidget *parent)
    : PaginaEditor(parent), m_ctx(ctx), m_modello(ctx), Grafico(new FrmRettaGrafico(m_modello, this)),
      LblParaRetta(new QLabel(QStringLiteral("CALIBRATION LINE"), this)),
      LblTempoBenzVal(new QLabel(this)), LblMs(new QLabel(QStringLiteral("(ms)"), this)),
      GrdLegenda(new QTableWidget(ModelloRetta::NumPivot, 3, this)), ChkAll(new QCheckBox(this)),
      ChkAdatta(new QCheckBox(this)),
      ImgChkAll(new QPushButton(this)), CmdUp(new QPushButton(this)), CmdDw(new QPushButton(this)),
      CmdLeft(new QPushButton(this)), CmdRight(new QPushButton(this)),
      CmdNextPivot(new QPushButton(this)), CmdReset(new QPushButton(QStringLiteral("Reset"), this)),
      CmdResetAll(new QPushButton(QStringLiteral("Reset all"), this)),
      CmdAutotunig(new QPushButton(QStringLiteral("Autotuning"), this)),
      TimerRipetizione(new QTimer(this))
{
    setObjectName(QStringLiteral("FrmRetta"));
    setAutoFillBackground(true);
    SceltaAlimentazione = [this] { return FrmSelezAlim::Scegli(m_ctx, this); };
    Form_Load();
}

void FrmRetta::Form_Load()
{
    const std::pair<QWidget *, const char *> nomi[] = {
        {LblParaRetta, "LblParaRetta"}, {LblTempoBenzVal, "LblTempoBenzVal"}, {LblMs, "LblMs"},
        {GrdLegenda, "GrdLegenda"}, {ChkAll, "ChkAll"}, {ImgChkAll, "ImgChkAll"}, {CmdUp, "CmdUp"},
        {CmdDw, "CmdDw"}, {CmdLeft, "CmdLeft"}, {CmdRight, "CmdRight"},
        {CmdNextPivot, "CmdNextPivot"}, {CmdReset, "CmdReset"}, {CmdResetAll, "CmdResetAll"},
        {CmdAutotunig, "CmdAutotunig"}, {ChkAdatta, "ChkAdatta"}};
    for (const auto &[controllo, nome] : nomi)
        controllo->setObjectName(QLatin1String(nome));

    QFont titolo = LblParaRetta->font();
    titolo.setBold(true);
    titolo.setPointSizeF(titolo.pointSizeF() * 1.4);
    LblParaRetta->setFont(titolo);
    LblParaRetta->setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont grande = LblTempoBenzVal->font();
    grande.setBold(true);
    grande.setPointSizeF(grande.pointSizeF() * 1.3);
    LblTempoBenzVal->setFont(grande);
    LblTempoBenzVal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LblTempoBenzVal->setText(QStringLiteral("0.0 (ms) "));
    LblMs->setAlignment(Qt::AlignRight | Qt::AlignTop);

    CmdUp->setIcon(Icona(Disegno::Su));
    CmdDw->setIcon(Icona(Disegno::Giu));
    CmdLeft->setIcon(Icona(Disegno::Sinistra));
    CmdRight->setIcon(Icona(Disegno::Destra));
    CmdNextPivot->setIcon(Icona(Disegno::Prossimo));
    CmdNextPivot->setText(QStringLiteral("P"));
    ImgChkAll->setIcon(Icona(Disegno::Tutti));
    ImgChkAll->setFlat(true);
    for (QPushButton *pulsante : {CmdUp, CmdDw, CmdLeft, CmdRight, CmdNextPivot, ImgChkAll})
        pulsante->setFocusPolicy(Qt::NoFocus);
    // The autotuning window is not there yet.
    CmdAutotunig->setEnabled(false);

    GrdLegenda->verticalHeader()->hide();
    GrdLegenda->setHorizontalHeaderLabels({QStringLiteral("#"), QStringLiteral("Petrol (ms)"),
                                           QStringLiteral("Correction (ms)")});
    GrdLegenda->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GrdLegenda->setSelectionBehavior(QAbstractItemView::SelectRows);
    GrdLegenda->setSelectionMode(QAbstractItemView::SingleSelection);
    GrdLegenda->setFocusPolicy(Qt::NoFocus);
    GrdLegenda->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    GrdLegenda->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int k = 0; k < ModelloRetta::NumPivot; ++k) {
        for (int c = 0; c < 3; ++c) {
            auto *cella = new QTableWidgetItem;
            cella->setTextAlignment(c == 0 ? Qt::AlignCenter : Qt::AlignRight | Qt::AlignVCenter);
            GrdLegenda->setItem(k, c, cella);
        }
        GrdLegenda->item(k, 0)->setText(QStringLiteral("P%1").arg(k + 1));
    }

    TimerRipetizione->setInterval(50);
    connect(TimerRipetizione, &QTimer::timeout, this, &FrmRetta::PassoRipetizione);
    CollegaPulsante(CmdUp, ModelloRetta::Alza);
    CollegaPulsante(CmdDw, ModelloRetta::Abbassa);
    CollegaPulsante(CmdRight, ModelloRetta::Destra);
    CollegaPulsante(CmdLeft, ModelloRetta::Sinistra);
    connect(CmdNextPivot, &QPushButton::clicked, this, [this] { TastiRetta(Qt::Key_F9); });
    connect(CmdReset, &QPushButton::clicked, this, [this] {
        if (m_modello.Reset()) {
            PlottaRetta(false);
            Legenda();
        }
    });
    connect(CmdResetAll, &QPushButton::clicked, this, [this] {
        if (m_modello.ResetAll(SceltaAlimentazione))
            emit fileDefinizioniScelto();
    });
    connect(CmdAutotunig, &QPushButton::clicked, this, [this] {
        if (m_apriAutotuning) {
            hide();
            m_apriAutotuning();
        }
    });
    connect(ChkAll, &QCheckBox::toggled, this, [this](bool tutti) {
        m_modello.tuttiPunti = tutti;
        CmdLeft->setEnabled(!tutti);
        CmdRight->setEnabled(!tutti);
        Grafico->update();
    });
    connect(ChkAdatta, &QCheckBox::toggled, this, [this](bool adatta) {
        m_modello.adatta = adatta;
        Grafico->update();
    });
    connect(ImgChkAll, &QPushButton::clicked, ChkAll, &QCheckBox::toggle);
    connect(Grafico, &FrmRettaGrafico::pivotCliccato, this,
            [this](int k) { SelezionaPivot(k + 1); });
    connect(GrdLegenda, &QTableWidget::cellClicked, this, [this](int riga, int) {
        SelezionaPivot(riga + 1);
    });
    // A window that loses the keyboard never sees the key go up.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState stato) {
                if (stato != Qt::ApplicationActive)
                    FineRipetizione();
            });

    DisponiControlli();
    m_ctx.retta.CaricaScala(m_ctx.scale);
    Grafico->ImpostaSepDecimale(m_ctx.imp.SepDecimale);
    m_ctx.retta.DefaultRetta();
    PlottaRetta(false);
    SelezionaPivot(1);
    Legenda();
    Grafico->lower();
}

void FrmRetta::DisponiControlli()
{
    Twips::Posiziona(Grafico, 0, 0, ModelloPaginaRetta::Sfondo.right() + 120, 9960);
    Twips::Posiziona(LblParaRetta, 240, 60, 8880, 400);
    Twips::Posiziona(LblMs, 8280, 9900, 840, 240);
    const int x = 9360;
    Twips::Posiziona(LblTempoBenzVal, x, 480, 4080, 420);
    Twips::Posiziona(ChkAdatta, x, 60, 4080, 400);
    Twips::Posiziona(GrdLegenda, x, 1020, 4080, 3300);
    const int riga = Twips::PxY(300, GrdLegenda);
    for (int k = 0; k < ModelloRetta::NumPivot; ++k)
        GrdLegenda->setRowHeight(k, riga);
    GrdLegenda->horizontalHeader()->setFixedHeight(Twips::PxY(480, GrdLegenda));
    GrdLegenda->setColumnWidth(0, Twips::PxX(600, GrdLegenda));
    GrdLegenda->setColumnWidth(1, Twips::PxX(1680, GrdLegenda));
    GrdLegenda->horizontalHeader()->setStretchLastSection(true);
    Twips::Posiziona(CmdNextPivot, x, 4500, 1080, 600);
    Twips::Posiziona(ImgChkAll, x + 2520, 4500, 900, 600);
    Twips::Posiziona(ChkAll, x + 3480, 4500, 600, 600);
    Twips::Posiziona(CmdUp, x + 1500, 5220, 1080, 600);
    Twips::Posiziona(CmdLeft, x + 300, 5880, 1080, 600);
    Twips::Posiziona(CmdRight, x + 2700, 5880, 1080, 600);
    Twips::Posiziona(CmdDw, x + 1500, 6540, 1080, 600);
    for (QPushButton *pulsante : {CmdUp, CmdDw, CmdLeft, CmdRight, CmdNextPivot, ImgChkAll})
        pulsante->setIconSize(QSize(Twips::PxX(360, pulsante), Twips::PxY(360, pulsante)));
    Twips::Posiziona(CmdReset, x, 7500, 1980, 600);
    Twips::Posiziona(CmdResetAll, x + 2100, 7500, 1980, 600);
    Twips::Posiziona(CmdAutotunig, x, 8280, 4080, 660);
}

void FrmRetta::CaricaLingua()
{
    ApplicaFont(this, m_ctx.diz.FontCharset, m_ctx.diz.FontNome);
    // The arrows and the whole-line switch say what they do, with their keys.
    const QString sezione2 = QStringLiteral("[Frm_Retta_2]");
    auto testo2 = [this, &sezione2](int k, const char *progetto) {
        return m_ctx.diz.TestoSezione(sezione2, k, QLatin1String(progetto));
    };
    const std::array<std::tuple<QWidget *, int, const char *>, 8> descritti = {{
        {CmdUp, 1, "Raise the selected point (F8)"},
        {CmdDw, 2, "Lower the selected point (F7)"},
        {CmdLeft, 3, "Move the selected point left (F5)"},
        {CmdRight, 4, "Move the selected point right (F6)"},
        {CmdNextPivot, 5, "Next point (F9)"},
        {ImgChkAll, 6, "Edit the whole line: raise and lower move every point"},
        {ChkAll, 6, "Edit the whole line: raise and lower move every point"},
        {GrdLegenda, 8, "Points of the calibration line"},
    }};
    for (const auto &[controllo, k, progetto] : descritti) {
        controllo->setToolTip(testo2(k, progetto));
        controllo->setAccessibleName(testo2(k, progetto));
    }
    Grafico->setAccessibleName(testo2(9, "Calibration line plot"));
    ChkAdatta->setText(testo2(7, "Fit the whole line into the plot"));
    m_modello.CaricaLingua();
    LblMs->setText(QStringLiteral("(") + m_ctx.diz.TestoSezione(QStringLiteral("[Frm_Barra_2]"), 6, QStringLiteral("ms"))
                   + QLatin1Char(')'));
    LblTempoBenzVal->setText(m_modello.TestoTempoBenzina());
    if (m_ctx.diz.Sezione(Sezione) < 0)
        return; // design-time texts stay
    auto testo = [this](int k) { return m_ctx.diz.TestoSezione(Sezione, k); };
    LblParaRetta->setText(testo(1));
    GrdLegenda->setHorizontalHeaderLabels({QStringLiteral("#"), testo(2), testo(3)});
    for (const auto &[pulsante, k] : {std::pair{CmdResetAll, 4}, std::pair{CmdReset, 5},
                                      std::pair{CmdAutotunig, 6}}) {
        pulsante->setText(testo(k));
        pulsante->setToolTip(testo(k));
    }
}

void FrmRetta::DemoRetta()
{
    m_ctx.retta.DefaultRetta();
    m_ctx.retta.Retta.fill(0);
    PlottaRetta(false);
}

void FrmRetta::PlottaRetta(bool ricarica)
{
    if (ricarica)
        m_ctx.retta.CaricaDaEcu(m_ctx);
    Ridisegna();
}

void FrmRetta::Ridisegna()
{
    Grafico->update();
    if (GrdLegenda->currentRow() != m_ctx.retta.PivotSel)
        GrdLegenda->selectRow(m_ctx.retta.PivotSel);
}

void FrmRetta::Legenda()
{
    const ModelloRetta &r = m_ctx.retta;
    const QString &sep = m_ctx.imp.SepDecimale;
    for (int k = 0; k < ModelloRetta::NumPivot; ++k) {
        for (const auto &[colonna, testo] : {std::pair{1, r.LegendaBenzina(k, sep)},
                                            std::pair{2, r.LegendaCorrezione(k, sep)}}) {
            QTableWidgetItem *cella = GrdLegenda->item(k, colonna);
            if (cella->text() != testo)
                cella->setText(testo);
        }
    }
}

void FrmRetta::AggiornaCursore()
{
    m_modello.AggiornaCursore(TimerApi_uSec());
    Grafico->update();
    if (const QString testo = m_modello.TestoTempoBenzina(); LblTempoBenzVal->text() != testo)
        LblTempoBenzVal->setText(testo);
}

void FrmRetta::SelezionaPivot(int n)
{
    m_modello.SelezionaPivot(n);
    Ridisegna();
}

void FrmRetta::CollegaPulsante(QPushButton *pulsante, int add)
{
    connect(pulsante, &QPushButton::pressed, this, [this, pulsante, add] {
        if (m_modello.Premi(add, TimerApi_uSec())) {
            Modificata(true);
            m_pulsante = pulsante;
        }
    });
    connect(pulsante, &QPushButton::released, this, &FrmRetta::FineRipetizione);
}

void FrmRetta::TastiRetta(int tasto)
{
    const bool inizio = tasto != Qt::Key_F9;
    if (m_modello.Tasto(tasto, TimerApi_uSec()))
        Modificata(inizio);
}

void FrmRetta::Modificata(bool inizio)
{
    Ridisegna();
    Legenda();
    if (inizio) {
        m_pulsante = nullptr;
        TimerRipetizione->start();
    }
}

void FrmRetta::PassoRipetizione()
{
    // A button that went up unseen (its window was disabled) ends the edit too.
    if (!m_modello.ModificaInCorso() || (m_pulsante && !m_pulsante->isDown()))
        FineRipetizione();
    else if (m_modello.Aggiorna(TimerApi_uSec()))
        Modificata(false);
}

void FrmRetta::FineRipetizione()
{
    TimerRipetizione->stop();
    m_pulsante = nullptr;
    m_modello.Rilascia();
}

void FrmRetta::ImpostaAutotuning(std::function<void()> apri)
{
    m_apriAutotuning = std::move(apri);
    CmdAutotunig->setEnabled(static_cast<bool>(m_apriAutotuning));
}

void FrmRetta::MostraCorrezioniProposte(const QVector<QPair<int, qint32>> &deflessioni)
{
    m_modello.MostraCorrezioniProposte(deflessioni);
    Grafico->update();
}

} // namespace gascal
