#include "ui/config/FrmSelezAlim.h"

#include "app/Contesto.h"
#include "ui/common/ApplicaFont.h"
#include "ui/common/Twips.h"

#include <QLabel>
#include <QPushButton>

namespace gascal {

namespace {
const QString Sezione = QStringLiteral("[Frm_SelAlim]");
}

FrmSelezAlim::FrmSelezAlim(Contesto &ctx, const QString &titolo, QWidget *parent)
    : QDialog(parent), CmdGpl(new QPushButton(QStringLiteral("*** Gpl"), this)),
      CmdCng(new QPushButton(QStringLiteral("*** Cng"), this)),
      CmdAnnulla(new QPushButton(QStringLiteral("*** Annulla"), this)),
      LblQuestion(new QLabel(QStringLiteral("### Selezionare il tipo di alimentazione?"), this)),
      m_ctx(ctx)
{
    setObjectName(QStringLiteral("FrmSelezAlim"));
    setModal(true);
    setWindowTitle(titolo);
    ApplicaFont(this, ctx.diz.FontCharset, ctx.diz.FontNome);
    Twips::Dimensiona(this, 4800, 1800);
    LblQuestion->setAlignment(Qt::AlignCenter);
    LblQuestion->setWordWrap(true);
    Twips::Posiziona(LblQuestion, 120, 120, 4560, 600);
    Twips::Posiziona(CmdGpl, 120, 900, 1440, 600);
    Twips::Posiziona(CmdCng, 1680, 900, 1440, 600);
    Twips::Posiziona(CmdAnnulla, 3240, 900, 1440, 600);
    CaricaLingua();
    m_ctx.stato.FileDefinizioni.clear();
    connect(CmdGpl, &QPushButton::clicked, this, &FrmSelezAlim::CmdGpl_Click);
    connect(CmdCng, &QPushButton::clicked, this, &FrmSelezAlim::CmdCng_Click);
    connect(CmdAnnulla, &QPushButton::clicked, this, &FrmSelezAlim::CmdAnnulla_Click);
}

void FrmSelezAlim::CaricaLingua()
{
    if (m_ctx.diz.Sezione(Sezione) < 0)
        return; // the design captions stay
    CmdGpl->setText(m_ctx.diz.TestoSezione(Sezione, 1));
    CmdCng->setText(m_ctx.diz.TestoSezione(Sezione, 2));
    LblQuestion->setText(m_ctx.diz.TestoSezione(Sezione, 3));
    CmdAnnulla->setText(m_ctx.diz.TestoSezione(Sezione, 4));
}

void FrmSelezAlim::CmdGpl_Click()
{
    m_ctx.stato.FileDefinizioni = m_ctx.imp.FileDefGpl;
    accept();
}

void FrmSelezAlim::CmdCng_Click()
{
    m_ctx.stato.FileDefinizioni = m_ctx.imp.FileDefCng;
    accept();
}

void FrmSelezAlim::CmdAnnulla_Click()
{
    reject();
}

QString FrmSelezAlim::Scegli(Contesto &ctx, QWidget *proprietario)
{
    QWidget *finestra = proprietario ? proprietario->window() : nullptr;
    FrmSelezAlim dialogo(ctx, finestra ? finestra->windowTitle() : ctx.Titolo(), finestra);
    dialogo.exec();
    return ctx.stato.FileDefinizioni;
}

} // namespace gascal
