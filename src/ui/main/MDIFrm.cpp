#include "ui/main/MDIFrm.h"

#include "app/Contesto.h"
#include "app/Impostazioni.h"

#include <QCloseEvent>

namespace gascal {

MDIFrm::MDIFrm(Contesto &ctx, QWidget *parent)
    : QMainWindow(parent), m_ctx(ctx), m_stato(new QLabel(this))
{
    setCentralWidget(m_stato);
    m_stato->setAlignment(Qt::AlignCenter);
    resize(1024, 700);
}

void MDIFrm::MDIForm_Load()
{
    setWindowTitle(m_ctx.Titolo() + QStringLiteral(" - ") + Impostazioni::Versione()
                   + m_ctx.stato.TitoloFile);
    const RispostaPipe &r = m_ctx.link.Risposta();
    m_stato->setText(tr("Communication process: %1\nFirst reply: code %2, mode %3")
                         .arg(m_ctx.link.ProcessoAttivo() ? tr("running") : tr("not running"))
                         .arg(r.RispCodice)
                         .arg(r.RispByte6));
    show();
}

void MDIFrm::closeEvent(QCloseEvent *evento)
{
    m_ctx.stato.StatoProgramma = StatoApp::Chiusura;
    m_ctx.link.ChiudiPipe(m_ctx.impLink.AttesaPipe_usec);
    evento->accept();
}

} // namespace gascal
