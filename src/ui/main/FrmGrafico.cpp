#include "FrmGrafico.h"

#include "app/Contesto.h"
#include "app/ServiziUi.h"
#include "datalog/RegistroLive.h"
#include "ui/common/ApplicaFont.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGraphicsLineItem>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace gascal {

const std::array<int, 6> FrmGrafico::Finestre_s{10, 30, 60, 120, 300, 600};

namespace {

// Points drawn per channel at most: about the width of the plot.
constexpr int PuntiMassimi = 800;
// The chart is redrawn twice a second at most for the short windows, once a
// second for the longer ones (where a second moves the view by little).
int TickRidisegno(int finestra_s) { return finestra_s <= 30 ? 5 : 10; }
const QColor Colori[ModelloGrafico::Carburante] = {
    QColor(200, 0, 0), QColor(0, 90, 200), QColor(0, 150, 0),
    QColor(200, 120, 0), QColor(120, 0, 160), QColor(90, 90, 90)};

const QString Sezione = QStringLiteral("[Frm_Grafico]");
// Texts of the section; the channel names follow from +19 in the model's order.
enum Testi {
    TxtTitoloFinestra = 1, TxtTipFinestra, TxtFinestra, TxtPausa, TxtRiprendi, TxtTipPausa,
    TxtApri, TxtTipApri, TxtLive, TxtTipLive, TxtTipScorri, TxtSuggerimento, TxtNessunDato,
    TxtSuGas, TxtSuBenzina, TxtAsseTempo, TxtRegistrazioni, TxtTuttiIFile, TxtPrimoCanale
};
// The design's texts, kept when the dictionary lacks the section (a
// translator's TEST.DIZ made before this window); the channels then keep the
// model's names.
const char *const Progetto[TxtPrimoCanale] = {
    "", "Charts", "Time window (zoom; also Ctrl + mouse wheel)", "Window:", "Pause", "Resume",
    "Stop scrolling to look at the data (Space)", "Open recording...", "Play back a recorded CSV",
    "Back to live", "Leave the playback and show the live data again", "Scroll through the data",
    "Move the mouse over the chart to read every channel.", "No data.", "on gas", "on petrol",
    "time (s)", "Recordings", "All Files"};

} // namespace

QString FrmGrafico::Testo(int k) const
{
    return m_ctx.diz.TestoSezione(
        Sezione, k,
        QString::fromUtf8(k < TxtPrimoCanale ? Progetto[k] : ModelloGrafico::Info(k - TxtPrimoCanale).nome));
}

QString FrmGrafico::NomeCanale(int c) const
{
    return Testo(TxtPrimoCanale + c);
}

QString FrmGrafico::Unita(const char *unita) const
{
    static const std::array<const char *, 7> Unita = {"", "s", "min", "rpm", "ms", "bar", "\u00B0C"};
    const QString u = QString::fromUtf8(unita);
    for (int k = 1; k < static_cast<int>(Unita.size()); ++k)
        if (u == QString::fromUtf8(Unita[k]))
            return m_ctx.diz.TestoSezione(QStringLiteral("[Frm_Grafico_2]"), k, u);
    return u;
}

QString FrmGrafico::Etichetta(int c) const
{
    const QString unita = Unita(ModelloGrafico::Info(c).unita);
    return unita.isEmpty() ? NomeCanale(c) : QStringLiteral("%1 (%2)").arg(NomeCanale(c), unita);
}

QValueAxis *FrmGrafico::Asse(int c) const
{
    const QByteArray unita(ModelloGrafico::Info(c).unita);
    if (ModelloGrafico::Info(c).asse == 0)
        return m_asseGiri;
    if (unita == "ms")
        return m_asseMs;
    if (unita == "bar")
        return m_asseBar;
    return m_asseTemp;
}

FrmGrafico::FrmGrafico(Contesto &ctx, const RegistroLive &registro, QWidget *parent)
    : QWidget(parent, Qt::Window), m_ctx(ctx), m_registro(registro)
{
    setObjectName(QStringLiteral("FrmGrafico"));
    resize(1000, 620);

    auto *colonna = new QVBoxLayout(this);
    auto *comandi = new QHBoxLayout;
    CmbFinestra = new QComboBox(this);
    for (int s : Finestre_s)
        CmbFinestra->addItem(s < 60 ? QStringLiteral("%1 s").arg(s) : QStringLiteral("%1 min").arg(s / 60), s);
    CmbFinestra->setCurrentIndex(2);
    CmdPausa = new QPushButton(this);
    CmdApri = new QPushButton(this);
    CmdLive = new QPushButton(this);
    CmdLive->setEnabled(false);
    LblFinestra = new QLabel(this);
    comandi->addWidget(LblFinestra);
    comandi->addWidget(CmbFinestra);
    comandi->addWidget(CmdPausa);
    comandi->addStretch();
    comandi->addWidget(CmdApri);
    comandi->addWidget(CmdLive);
    colonna->addLayout(comandi);

    auto *canali = new QHBoxLayout;
    for (int c = 0; c < ModelloGrafico::NumCanali; ++c) {
        ChkCanale[c] = new QCheckBox(this);
        ChkCanale[c]->setChecked(true);
        canali->addWidget(ChkCanale[c]);
        connect(ChkCanale[c], &QCheckBox::toggled, this, [this] {
            m_daRidisegnare = true;
            Ridisegna();
        });
    }
    canali->addStretch();
    colonna->addLayout(canali);

    CreaGrafico();
    colonna->addWidget(Vista, 1);
    HScrTempo = new QScrollBar(Qt::Horizontal, this);
    colonna->addWidget(HScrTempo);
    LblCursore = new QLabel(this);
    LblCursore->setTextInteractionFlags(Qt::TextSelectableByMouse);
    colonna->addWidget(LblCursore);

    connect(CmbFinestra, &QComboBox::currentIndexChanged, this,
            [this](int i) { ImpostaFinestra(CmbFinestra->itemData(i).toInt()); });
    connect(CmdPausa, &QPushButton::clicked, this, [this] { Pausa(!m_pausa); });
    connect(CmdLive, &QPushButton::clicked, this, &FrmGrafico::TornaLive);
    connect(CmdApri, &QPushButton::clicked, this, [this] {
        const QString file = m_ctx.ui.ApriFile(Filtro(), m_ctx.imp.CartellaDati + QStringLiteral("logs"));
        if (!file.isEmpty())
            ApriRegistrazione(file);
        // The file dialog gave the focus back to the frame: the chart stays in front.
        raise();
        activateWindow();
    });
    connect(HScrTempo, &QScrollBar::valueChanged, this, [this](int v) {
        // Scrolling a live chart pauses it, so that the view stays put.
        if (!m_riproduzione && !m_pausa && v < HScrTempo->maximum())
            Pausa(true);
        m_fineVista = m_modello.Inizio() + m_finestra_s + v / 10.0;
        m_daRidisegnare = true;
        Ridisegna();
    });
    CaricaLingua();
}

void FrmGrafico::CaricaLingua()
{
    AggiornaTitolo();
    CmbFinestra->setToolTip(Testo(TxtTipFinestra));
    LblFinestra->setText(Testo(TxtFinestra));
    CmdPausa->setToolTip(Testo(TxtTipPausa));
    MostraPausa();
    CmdApri->setText(Testo(TxtApri));
    CmdApri->setToolTip(Testo(TxtTipApri));
    CmdLive->setText(Testo(TxtLive));
    CmdLive->setToolTip(Testo(TxtTipLive));
    HScrTempo->setToolTip(Testo(TxtTipScorri));
    HScrTempo->setAccessibleName(Testo(TxtTipScorri));
    for (int c = 0; c < ModelloGrafico::NumCanali; ++c)
        ChkCanale[c]->setText(Etichetta(c));
    m_fascia->setName(Etichetta(ModelloGrafico::Carburante));
    for (int c = 0; c < ModelloGrafico::Carburante; ++c)
        m_linee[c]->setName(Etichetta(c));
    m_asseTempo->setTitleText(Testo(TxtAsseTempo));
    m_asseGiri->setTitleText(Unita("rpm"));
    m_asseMs->setTitleText(Unita("ms"));
    m_asseBar->setTitleText(Unita("bar"));
    m_asseTemp->setTitleText(Unita("\u00B0C"));
    for (int i = 0; i < CmbFinestra->count(); ++i) {
        const int s = CmbFinestra->itemData(i).toInt();
        CmbFinestra->setItemText(i, s < 60 ? QStringLiteral("%1 %2").arg(s).arg(Unita("s"))
                                           : QStringLiteral("%1 %2").arg(s / 60).arg(Unita("min")));
    }
    CmbFinestra->setAccessibleName(Testo(TxtFinestra));
    LblFinestra->setBuddy(CmbFinestra);
    LblCursore->setText(m_cursore >= 0 ? TestoCursore(m_cursore) : Testo(TxtSuggerimento));
    ApplicaFont(this, m_ctx.diz.FontCharset, m_ctx.diz.FontNome);
}

QString FrmGrafico::Filtro() const
{
    // Only the descriptions are translated: the patterns stay.
    return QStringLiteral("%1  (*.csv)|*.csv|%2  (*.*)|*.*").arg(Testo(TxtRegistrazioni), Testo(TxtTuttiIFile));
}

void FrmGrafico::AggiornaTitolo()
{
    QString titolo = QStringLiteral("%1 - %2").arg(m_ctx.Titolo(), Testo(TxtTitoloFinestra));
    if (m_riproduzione)
        titolo += QStringLiteral(" - [%1]").arg(m_fileRiprodotto);
    setWindowTitle(titolo);
}

// The text of the pause button follows the state; setting a text also sets
// the button's shortcut (from its mnemonic), so Space is given back after it.
void FrmGrafico::MostraPausa()
{
    CmdPausa->setText(Testo(m_pausa ? TxtRiprendi : TxtPausa));
    CmdPausa->setShortcut(Qt::Key_Space);
}

void FrmGrafico::CreaGrafico()
{
    m_grafico = new QChart;
    m_grafico->legend()->setAlignment(Qt::AlignBottom);
    m_grafico->setMargins(QMargins(4, 4, 4, 4));
    m_asseTempo = new QValueAxis;
    m_asseTempo->setLabelFormat(QStringLiteral("%.0f"));
    m_asseGiri = new QValueAxis;
    m_asseGiri->setTitleText(QStringLiteral("rpm"));
    m_asseGiri->setRange(0, 7000);
    m_asseGiri->setTickCount(8);
    m_asseGiri->setLabelFormat(QStringLiteral("%.0f"));
    // One axis per unit at the right, so that neither squashes the others.
    for (QValueAxis **asse : {&m_asseMs, &m_asseBar, &m_asseTemp}) {
        *asse = new QValueAxis;
        (*asse)->setRange(0, 5);
        (*asse)->setLabelFormat(QStringLiteral("%.3g"));
    }
    m_asseFascia = new QValueAxis;
    m_asseFascia->setRange(0, 1);
    m_asseFascia->setVisible(false);
    m_grafico->addAxis(m_asseTempo, Qt::AlignBottom);
    m_grafico->addAxis(m_asseGiri, Qt::AlignLeft);
    m_grafico->addAxis(m_asseMs, Qt::AlignRight);
    m_grafico->addAxis(m_asseBar, Qt::AlignRight);
    m_grafico->addAxis(m_asseTemp, Qt::AlignRight);
    m_grafico->addAxis(m_asseFascia, Qt::AlignRight);

    // The gas band first, so that the lines are drawn over it.
    m_fasciaSopra = new QLineSeries(this);
    m_fascia = new QAreaSeries(m_fasciaSopra);
    m_fascia->setColor(QColor(0, 200, 0, 45));
    m_fascia->setBorderColor(QColor(0, 160, 0, 90));
    m_grafico->addSeries(m_fascia);
    m_fascia->attachAxis(m_asseTempo);
    m_fascia->attachAxis(m_asseFascia);
    for (int c = 0; c < ModelloGrafico::Carburante; ++c) {
        auto *s = new QLineSeries;
        s->setPen(QPen(Colori[c], 1.5));
        m_grafico->addSeries(s);
        s->attachAxis(m_asseTempo);
        s->attachAxis(Asse(c));
        m_linee[c] = s;
    }
    Vista = new QChartView(m_grafico, this);
    Vista->setRenderHint(QPainter::Antialiasing, false);
    Vista->setMouseTracking(true);
    Vista->viewport()->setMouseTracking(true);
    Vista->viewport()->installEventFilter(this);
    m_lineaCursore = new QGraphicsLineItem(m_grafico);
    m_lineaCursore->setPen(QPen(Qt::black, 1, Qt::DashLine));
    m_lineaCursore->setZValue(100);
    m_lineaCursore->hide();
}

void FrmGrafico::showEvent(QShowEvent *evento)
{
    QWidget::showEvent(evento);
    m_daRidisegnare = true;
    Ridisegna();
}

void FrmGrafico::Aggiorna()
{
    if (m_riproduzione)
        return;
    // The reads are taken even while paused or hidden: none is lost.
    const std::vector<CampioneLive> nuovi = m_registro.Dal(m_letti, &m_letti);
    if (!nuovi.empty()) {
        m_modello.Aggiungi(nuovi);
        if (!m_pausa) {
            m_fineVista = std::max(m_modello.Fine(), m_modello.Inizio() + m_finestra_s);
            m_daRidisegnare = true;
        }
    }
    if (++m_tick >= TickRidisegno(m_finestra_s)) {
        m_tick = 0;
        Ridisegna();
    }
}

void FrmGrafico::Ridisegna()
{
    if (!m_daRidisegnare || !isVisible())
        return;
    m_daRidisegnare = false;
    ++m_ridisegni;
    const double t1 = m_fineVista > 0 ? m_fineVista : m_finestra_s;
    const double t0 = t1 - m_finestra_s;
    m_asseTempo->setRange(t0, t1);
    const std::array<QValueAxis *, 3> destra = {m_asseMs, m_asseBar, m_asseTemp};
    std::array<double, 3> massimi{0, 0, 0};
    std::array<bool, 3> usati{false, false, false};
    for (int c = 0; c < ModelloGrafico::Carburante; ++c) {
        const bool visibile = ChkCanale[c]->isChecked();
        m_linee[c]->setVisible(visibile);
        const QList<QPointF> punti = visibile ? m_modello.Finestra(c, t0, t1, PuntiMassimi) : QList<QPointF>{};
        m_linee[c]->replace(punti);
        const auto k = std::find(destra.begin(), destra.end(), Asse(c)) - destra.begin();
        if (!visibile || k >= 3)
            continue;
        usati[k] = true;
        for (const QPointF &p : punti)
            massimi[k] = std::max(massimi[k], p.y());
    }
    // Each right axis follows the highest value of its unit, on round ticks;
    // an axis with no channel shown hides.
    for (size_t k = 0; k < destra.size(); ++k) {
        if (destra[k]->isVisible() != usati[k])
            destra[k]->setVisible(usati[k]);
        const double passo = massimi[k] > 10 ? 5.0 : 1.0;
        const double tetto = std::max(passo, std::ceil(massimi[k] / passo) * passo);
        if (tetto != m_tetti[k]) {
            m_tetti[k] = tetto;
            destra[k]->setRange(0, tetto);
            destra[k]->applyNiceNumbers();
        }
    }

    QList<QPointF> fascia;
    if (ChkCanale[ModelloGrafico::Carburante]->isChecked())
        for (const auto &[a, b] : m_modello.FasceGas(t0, t1))
            fascia << QPointF(a, 0) << QPointF(a, 1) << QPointF(b, 1) << QPointF(b, 0);
    m_fascia->setVisible(!fascia.isEmpty());
    m_fasciaSopra->replace(fascia);
    AggiornaScorrimento();
    if (m_cursore >= 0)
        MostraCursore(m_cursore);
}

void FrmGrafico::AggiornaScorrimento()
{
    const double durata = m_modello.Fine() - m_modello.Inizio();
    const int massimo = std::max(0, int((durata - m_finestra_s) * 10));
    const QSignalBlocker blocco(HScrTempo);
    HScrTempo->setRange(0, massimo);
    HScrTempo->setPageStep(m_finestra_s * 10);
    HScrTempo->setValue(int((m_fineVista - m_finestra_s - m_modello.Inizio()) * 10));
}

void FrmGrafico::ImpostaFinestra(int secondi)
{
    m_finestra_s = std::clamp(secondi, Finestre_s.front(), Finestre_s.back());
    const int i = CmbFinestra->findData(m_finestra_s);
    if (i >= 0 && i != CmbFinestra->currentIndex())
        CmbFinestra->setCurrentIndex(i);
    if (!m_pausa && !m_riproduzione)
        m_fineVista = std::max(m_modello.Fine(), m_modello.Inizio() + m_finestra_s);
    m_daRidisegnare = true;
    Ridisegna();
}

void FrmGrafico::Pausa(bool inPausa)
{
    m_pausa = inPausa;
    MostraPausa();
    if (!inPausa && !m_riproduzione)
        m_fineVista = std::max(m_modello.Fine(), m_modello.Inizio() + m_finestra_s);
    m_daRidisegnare = true;
    Ridisegna();
}

bool FrmGrafico::ApriRegistrazione(const QString &percorso)
{
    ModelloGrafico letto;
    const QString errore = letto.CaricaCsv(percorso);
    if (!errore.isEmpty()) {
        m_ctx.ui.Messaggio(errore, m_ctx.Titolo(), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Esclamazione);
        return false;
    }
    m_modello = std::move(letto);
    m_riproduzione = true;
    CmdPausa->setEnabled(false);
    CmdLive->setEnabled(true);
    m_fileRiprodotto = QFileInfo(percorso).fileName();
    AggiornaTitolo();
    AzzeraCursore();
    m_fineVista = m_modello.Inizio() + m_finestra_s;
    m_daRidisegnare = true;
    Ridisegna();
    return true;
}

void FrmGrafico::TornaLive()
{
    m_modello = ModelloGrafico();
    m_letti = std::max<qint64>(0, m_registro.Totale() - ModelloGrafico::CapacitaLive);
    m_riproduzione = false;
    CmdPausa->setEnabled(true);
    CmdLive->setEnabled(false);
    AggiornaTitolo();
    AzzeraCursore();
    Pausa(false);
    Aggiorna();
}

void FrmGrafico::AzzeraCursore()
{
    m_cursore = -1;
    m_lineaCursore->hide();
    LblCursore->setText(Testo(TxtSuggerimento));
}

QString FrmGrafico::TestoCursore(double t) const
{
    QStringList parti{QStringLiteral("t = %1 %2").arg(t, 0, 'f', 1).arg(Unita("s"))};
    for (int c = 0; c < ModelloGrafico::NumCanali; ++c) {
        double v = 0;
        if (!m_modello.ValoreA(c, t, v))
            return Testo(TxtNessunDato);
        const auto &i = ModelloGrafico::Info(c);
        if (c == ModelloGrafico::Carburante)
            parti << Testo(v > 0.5 ? TxtSuGas : TxtSuBenzina);
        else
            parti << QStringLiteral("%1 %2 %3")
                         .arg(NomeCanale(c))
                         .arg(v, 0, 'f', i.divisore > 1 ? 2 : 0)
                         .arg(Unita(i.unita));
    }
    return parti.join(QStringLiteral("   "));
}

void FrmGrafico::MostraCursore(double t)
{
    m_cursore = t;
    const QPointF alto = m_grafico->mapToPosition(QPointF(t, m_asseGiri->max()), m_linee[0]);
    const QPointF basso = m_grafico->mapToPosition(QPointF(t, m_asseGiri->min()), m_linee[0]);
    m_lineaCursore->setLine(QLineF(alto, basso));
    m_lineaCursore->show();
    const QString testo = TestoCursore(t);
    if (LblCursore->text() != testo)
        LblCursore->setText(testo);
}

bool FrmGrafico::eventFilter(QObject *oggetto, QEvent *evento)
{
    if (oggetto == Vista->viewport()) {
        if (evento->type() == QEvent::MouseMove) {
            const auto *m = static_cast<QMouseEvent *>(evento);
            const QPointF scena = Vista->mapToScene(m->position().toPoint());
            if (m_grafico->plotArea().contains(m_grafico->mapFromScene(scena)))
                MostraCursore(m_grafico->mapToValue(m_grafico->mapFromScene(scena), m_linee[0]).x());
        } else if (evento->type() == QEvent::Wheel) {
            // Ctrl + wheel zooms through the time windows; the wheel scrolls.
            const auto *w = static_cast<QWheelEvent *>(evento);
            const int passo = w->angleDelta().y() > 0 ? -1 : 1;
            if (w->modifiers() & Qt::ControlModifier)
                CmbFinestra->setCurrentIndex(std::clamp(CmbFinestra->currentIndex() + passo, 0,
                                                        int(Finestre_s.size()) - 1));
            else
                HScrTempo->setValue(HScrTempo->value() + passo * HScrTempo->pageStep() / 4);
            return true;
        }
    }
    return QWidget::eventFilter(oggetto, evento);
}

} // namespace gascal
