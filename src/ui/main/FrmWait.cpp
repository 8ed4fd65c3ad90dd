#include "ui/main/FrmWait.h"

#include "app/Contesto.h"
#include "app/ServiziUi.h"
#include "mapfile/TestoDiagnosi.h"
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
      LblStato(new QLabel(this)), LblDiagnosi(new QLabel(this)), Timer1(new QTimer(this)), m_ctx(ctx)
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
    LblStato->setAlignment(Qt::AlignCenter);
    LblDiagnosi->setObjectName(QStringLiteral("LblDiagnosi"));
    Twips::Posiziona(LblDiagnosi, 90, 690, 2520, 750);
    LblDiagnosi->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LblDiagnosi->setWordWrap(true);
    QFont piccolo = LblDiagnosi->font();
    piccolo.setPointSizeF(piccolo.pointSizeF() * 0.85);
    LblDiagnosi->setFont(piccolo);
    DisponiPulsanti(false, true);

    ShpAttivita[0] = new Forma(Forma::Tipo::Rettangolo, this);
    ShpAttivita[0]->ImpostaOpaca(false);
    ShpAttivita[0]->ImpostaColoreBordo(QColor(64, 64, 64));
    Twips::Posiziona(ShpAttivita[0], 90, 420, 2520, 240);
    ShpAttivita[0]->Tag = ShpAttivita[0]->width();
    ShpAttivita[1] = new Forma(Forma::Tipo::Rettangolo, this);
    ShpAttivita[1]->ImpostaColoreRiempimento(QColor(0, 90, 200));
    ShpAttivita[1]->ImpostaColoreBordo(QColor(0, 90, 200));
    ShpAttivita[1]->setGeometry(ShpAttivita[0]->x(), ShpAttivita[0]->y(), 0, ShpAttivita[0]->height());
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
    MostraDiagnosi();
}

void FrmWait::MostraDiagnosi(bool ancheFuoriRicerca)
{
    // Only a search has something to explain; the last reason stays until
    // the next one comes, so that it does not flicker between two searches.
    if (m_ctx.stato.StatoProgramma != StatoApp::Ricerca && !ancheFuoriRicerca)
        return;
    const std::optional<RapportoPorta> vicina = m_ctx.diagnosi.PiuVicina();
    QString testo = vicina ? TestoDiagnosi::Testo(*vicina, m_ctx.diz) : QString();
    if (!testo.isEmpty())
        testo[0] = testo.at(0).toUpper(); // a sentence of its own here
    if (!testo.isEmpty() && LblDiagnosi->text() != testo) {
        LblDiagnosi->setText(testo);
        LblDiagnosi->setToolTip(testo);
    }
}

void FrmWait::DisponiPulsanti(bool offline, bool cerca)
{
    const int riga = 1470, alto = 420, sinistra = 90, largo = 2520;
    Twips::Posiziona(CmdGo, sinistra, riga, largo, alto);
    Twips::Posiziona(CmdStop, sinistra, riga, largo, alto);
    if (CmdGo->isHidden() == offline)
        CmdGo->setVisible(offline);
    if (CmdStop->isHidden() == !offline)
        CmdStop->setVisible(!offline);
    const QString go = m_ctx.diz.Testo(7), stop = m_ctx.diz.Testo(6);
    if (CmdGo->text() != go)
        CmdGo->setText(go);
    if (CmdStop->text() != stop)
        CmdStop->setText(stop);
    // The stop sign belongs to the running search; while connected the button
    // only says what it does.
    if (cerca != !CmdStop->icon().isNull())
        CmdStop->setIcon(cerca ? IconePulsanti::Icona(IconePulsanti::Tipo::Alt, 64) : QIcon());
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
    DisponiPulsanti(false, true);
    LblStato->setText(m_ctx.diz.Testo(3));
}

void FrmWait::ModoOffline()
{
    if (isHidden())
        show();
    DisponiPulsanti(true, false);
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
    DisponiPulsanti(false, m_ctx.stato.StatoProgramma == StatoApp::Ricerca);
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
        LblDiagnosi->clear();
        LblDiagnosi->setToolTip(QString());
    }
}

void FrmWait::CaricaLingua()
{
    ApplicaFont(this, m_ctx.diz.FontCharset, m_ctx.diz.FontNome);
    // Captions and tips in the new language at once, not at the next refresh.
    CmdGo->setToolTip(m_ctx.diz.Testo(7));
    CmdStop->setToolTip(m_ctx.diz.Testo(6));
    CmdGo->setText(m_ctx.diz.Testo(7));
    CmdStop->setText(m_ctx.diz.Testo(6));
    if (!LblDiagnosi->text().isEmpty())
        MostraDiagnosi(true); // the reason shown, in the new language
}

void FrmWait::keyReleaseEvent(QKeyEvent *evento)
{
    if (evento->key() == Qt::Key_F2)
        emit richiestaPagina();
    else
        QWidget::keyReleaseEvent(evento);
}

} // namespace gascal
