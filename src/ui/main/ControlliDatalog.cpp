#include "ControlliDatalog.h"

#include "app/Contesto.h"
#include "app/Orologio.h"
#include "app/ServiziUi.h"
#include "ui/main/FrmGrafico.h"

#include <QAction>
#include <QDateTime>
#include <QMainWindow>
#include <QPainter>
#include <QToolBar>

namespace gascal {

namespace {

QPixmap Tela()
{
    QPixmap p(32, 32);
    p.fill(Qt::transparent);
    return p;
}

// Record: a red dot; while recording (the action checked) a stop square on
// red, so that a running recording is seen at a glance.
QIcon IconaRegistra()
{
    QPixmap fermo = Tela();
    QPixmap punto = Tela();
    {
        QPainter g(&punto);
        g.setRenderHint(QPainter::Antialiasing);
        g.setPen(QPen(Qt::black, 1.5));
        g.setBrush(QColor(220, 0, 0));
        g.drawEllipse(QRectF(5, 5, 22, 22));
    }
    {
        QPainter g(&fermo);
        g.setRenderHint(QPainter::Antialiasing);
        g.setPen(Qt::NoPen);
        g.setBrush(QColor(220, 0, 0));
        g.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
        g.setBrush(Qt::white);
        g.drawRect(QRectF(10, 10, 12, 12));
    }
    QIcon icona(punto);
    icona.addPixmap(fermo, QIcon::Normal, QIcon::On);
    return icona;
}

QIcon IconaGrafico()
{
    QPixmap p = Tela();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(Qt::black, 1.5));
    g.drawLine(4, 28, 28, 28);
    g.drawLine(4, 28, 4, 4);
    g.setPen(QPen(QColor(0, 90, 200), 2.5));
    const QPointF linea[] = {{5, 24}, {11, 14}, {16, 19}, {22, 8}, {28, 12}};
    g.drawPolyline(linea, 5);
    return QIcon(p);
}

const QString Sezione = QStringLiteral("[Frm_Datalog]");
enum Testi { TxtBarra = 1, TxtRegistra, TxtTipRegistra, TxtTipRegistrando, TxtSenzaEcu, TxtGrafico, TxtTipGrafico };
// The design's texts, kept when the dictionary lacks the section.
const char *const Progetto[] = {
    "", "Datalog", "Record", "Record the live data into a CSV under Data/logs (F11)",
    "Recording into %1 - click to stop (F11)", "Recording needs the ECU connected.", "Charts",
    "Charts of the live data, and playback of recordings (F12)"};

bool Collegato(const Contesto &ctx)
{
    return ctx.stato.ErroreComunicazione == 0 && ctx.stato.StatoProgramma == StatoApp::Connesso;
}

} // namespace

ControlliDatalog::ControlliDatalog(Contesto &ctx, QMainWindow &frame)
    : QObject(&frame), m_ctx(ctx), m_frame(frame)
{
    Barra = new QToolBar(&frame);
    Barra->setObjectName(QStringLiteral("BarraDatalog"));
    Barra->setMovable(false);
    Barra->setIconSize(QSize(24, 24));
    frame.addToolBar(Qt::LeftToolBarArea, Barra);
    CmdRegistra = Barra->addAction(IconaRegistra(), QString());
    CmdRegistra->setObjectName(QStringLiteral("CmdRegistra"));
    CmdRegistra->setCheckable(true);
    CmdRegistra->setShortcut(Qt::Key_F11);
    CmdGrafico = Barra->addAction(IconaGrafico(), QString());
    CmdGrafico->setObjectName(QStringLiteral("CmdGrafico"));
    CmdGrafico->setShortcut(Qt::Key_F12);
    connect(CmdRegistra, &QAction::triggered, this, &ControlliDatalog::CmdRegistra_Click);
    connect(CmdGrafico, &QAction::triggered, this, &ControlliDatalog::CmdGrafico_Click);
    CaricaLingua();
}

QString ControlliDatalog::Testo(int k) const
{
    return m_ctx.diz.TestoSezione(Sezione, k, QString::fromUtf8(Progetto[k]));
}

void ControlliDatalog::CaricaLingua()
{
    Barra->setWindowTitle(Testo(TxtBarra));
    CmdRegistra->setText(Testo(TxtRegistra));
    CmdGrafico->setText(Testo(TxtGrafico));
    CmdGrafico->setToolTip(Testo(TxtTipGrafico));
    MostraStato();
    if (m_grafico)
        m_grafico->CaricaLingua();
}

void ControlliDatalog::MostraStato()
{
    const bool registra = m_registro.Registrando();
    if (registra && m_fileInCorso.isEmpty()) {
        m_fileInCorso = m_registro.Percorso();
        emit registrazioneIniziata();
    } else if (!registra && !m_fileInCorso.isEmpty()) {
        emit registrazioneFinita(m_fileInCorso);
        m_fileInCorso.clear();
    }
    if (CmdRegistra->isChecked() != registra)
        CmdRegistra->setChecked(registra);
    const QString tip = registra ? Testo(TxtTipRegistrando).arg(m_registro.Percorso()) : Testo(TxtTipRegistra);
    if (CmdRegistra->toolTip() != tip)
        CmdRegistra->setToolTip(tip);
}

void ControlliDatalog::Avviso(const QString &testo)
{
    m_ctx.ui.Messaggio(testo, m_ctx.Titolo(), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Esclamazione);
}

void ControlliDatalog::Lettura()
{
    if (!m_registro.Lettura(m_ctx, TimerApi_uSec())) {
        MostraStato();
        Avviso(m_registro.Errore());
    }
}

void ControlliDatalog::Aggiorna()
{
    if (m_registro.ControllaCollegamento(m_ctx))
        MostraStato();
    if (m_grafico)
        m_grafico->Aggiorna();
}

void ControlliDatalog::CmdRegistra_Click()
{
    if (m_registro.Registrando()) {
        m_registro.Ferma();
    } else if (!Collegato(m_ctx)) {
        Avviso(Testo(TxtSenzaEcu));
    } else if (!m_registro.Avvia(m_ctx, QDateTime::currentDateTime())) {
        Avviso(m_registro.Errore());
    }
    MostraStato();
}

void ControlliDatalog::CmdGrafico_Click()
{
    if (!m_grafico) {
        m_grafico = new FrmGrafico(m_ctx, m_registro, &m_frame);
        m_grafico->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    m_grafico->show();
    m_grafico->raise();
    m_grafico->activateWindow();
}

} // namespace gascal
