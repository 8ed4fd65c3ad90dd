#include "ui/main/FrmWait.h"

#include "app/Contesto.h"
#include "app/ServiziUi.h"
#include "ui/common/ApplicaFont.h"
#include "ui/common/Forma.h"
#include "ui/common/IconePulsanti.h"
#include "ui/common/Twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace gascal {

FrmWait::FrmWait(Contesto &ctx, QWidget *parent)
    : QWidget(parent), CmdGo(new QPushButton(this)), CmdStop(new QPushButton(this)),
      LblStato(new QLabel(this)), Timer1(new QTimer(this)), m_ctx(ctx)
{
    setObjectName(QStringLiteral("FrmWait"));
    setAutoFillBackground(true);
    Twips::Dimensiona(this, Larghezza, Altezza);
    CmdGo->setObjectName(QStringLiteral("CmdGo"));
    CmdStop->setObjectName(QStringLiteral("CmdStop"));
    const int lato = Twips::PxY(300, this);
    CmdGo->setIcon(IconePulsanti::Icona(IconePulsanti::Tipo::Via, 64));
    CmdStop->setIcon(IconePulsanti::Icona(IconePulsanti::Tipo::Alt, 64));
    CmdGo->setIconSize(QSize(lato, lato));
    CmdStop->setIconSize(QSize(lato, lato));
    Twips::Posiziona(LblStato, 90, 45, 2520, 330);
    Twips::Posiziona(CmdGo, 90, 780, 1230, 420);
    Twips::Posiziona(CmdStop, 1380, 780, 1230, 420);
    LblStato->setAlignment(Qt::AlignCenter);

    ShpAttivita[0] = new Forma(Forma::Tipo::Rettangolo, this);
    ShpAttivita[0]->ImpostaOpaca(false);
    ShpAttivita[0]->ImpostaColoreBordo(QColor(64, 64, 64));
    Twips::Posiziona(ShpAttivita[0], 90, 420, 2520, 240);
    ShpAttivita[0]->Tag = ShpAttivita[0]->width();
    ShpAttivita[1] = new Forma(Forma::Tipo::Rettangolo, this);
    ShpAttivita[1]->ImpostaColoreRiempimento(QColor(0, 90, 200));
    ShpAttivita[1]->ImpostaColoreBordo(QColor(0, 90, 200));
    ShpAttivita[1]->setGeometry(ShpAttivita[0]->x(), ShpAttivita[0]->y(), 0, ShpAttivita[0]->height());
    CmdGo->hide();

    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &FrmWait::Timer1_Timer);
    connect(CmdGo, &QPushButton::clicked, this, [this] {
        m_ctx.stato.ErroreComunicazione = 1;
        emit abilitaSalvataggio(true);
    });
    connect(CmdStop, &QPushButton::clicked, this, [this] {
        m_ctx.stato.LavoroOffline = 1;
        emit abilitaSalvataggio(false);
    });
}

void FrmWait::Timer1_Timer()
{
    Forma *barra = ShpAttivita[1];
    const int piena = ShpAttivita[0]->Tag;
    int larghezza = barra->width() + qMax(1, piena / 20);
    if (barra->width() >= piena)
        larghezza = 0;
    barra->resize(qMin(larghezza, piena), barra->height());
}

void FrmWait::ImpostaAttivita(bool attiva)
{
    for (Forma *forma : ShpAttivita) {
        if (forma->isHidden() == attiva)
            forma->setVisible(attiva);
    }
    if (attiva && !Timer1->isActive())
        Timer1->start();
    if (!attiva && Timer1->isActive())
        Timer1->stop();
}

bool FrmWait::AttivitaVisibile() const
{
    return !ShpAttivita[1]->isHidden();
}

void FrmWait::AvviaRicerca()
{
    if (isHidden())
        show();
    ImpostaAttivita(true);
    NascondiGo();
    LblStato->setText(m_ctx.diz.Testo(3));
}

void FrmWait::ModoOffline()
{
    if (isHidden())
        show();
    if (CmdGo->isHidden())
        CmdGo->show();
    ImpostaAttivita(false);
    const QString testo = m_ctx.diz.Testo(6);
    if (LblStato->text() != testo)
        LblStato->setText(testo);
}

void FrmWait::MostraAttivita()
{
    ImpostaAttivita(true);
}

void FrmWait::NascondiGo()
{
    if (!CmdGo->isHidden())
        CmdGo->hide();
}

void FrmWait::Aggiorna()
{
    if (StatoMessaggio == MappaScritta && m_ctx.stato.StatoProgramma == StatoApp::Connesso)
        StatoMessaggio = MappaRiletta;
    if (StatoMessaggio == MappaSalvata || StatoMessaggio == MappaRiletta) {
        const int testo = StatoMessaggio == MappaSalvata ? 8 : 9;
        StatoMessaggio = Nessuno;
        m_ctx.ui.Messaggio(m_ctx.diz.Testo(testo), m_ctx.Titolo(), ServiziUi::Pulsanti::Ok,
                           ServiziUi::Icona::Esclamazione);
    }
    if (m_ctx.stato.ErroreComunicazione != 1 && m_ctx.stato.StatoProgramma != StatoApp::Ricerca) {
        ImpostaAttivita(false);
        if (m_ctx.stato.StatoProgramma != StatoApp::Offline)
            LblStato->clear();
    }
}

void FrmWait::CaricaLingua()
{
    ApplicaFont(this, m_ctx.diz.FontCharset, m_ctx.diz.FontNome);
}

void FrmWait::keyReleaseEvent(QKeyEvent *evento)
{
    if (evento->key() == Qt::Key_F2)
        emit richiestaPagina();
    else
        QWidget::keyReleaseEvent(evento);
}

} // namespace gascal
