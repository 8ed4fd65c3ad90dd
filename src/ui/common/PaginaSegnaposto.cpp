#include "ui/common/PaginaSegnaposto.h"

#include "app/Contesto.h"
#include "ui/common/ApplicaFont.h"
#include "ui/common/Twips.h"

#include <QLabel>

namespace gascal {

PaginaSegnaposto::PaginaSegnaposto(Contesto &ctx, const QString &sezione,
                                   const QString &titoloProgetto, QWidget *parent)
    : PaginaEditor(parent), LblTitolo(new QLabel(titoloProgetto, this)), m_ctx(ctx),
      m_sezione(sezione)
{
    setObjectName(sezione);
    setAutoFillBackground(true);
    QFont font = LblTitolo->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.4);
    LblTitolo->setFont(font);
    LblTitolo->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

void PaginaSegnaposto::CaricaLingua()
{
    ApplicaFont(this, m_ctx.diz.FontCharset, m_ctx.diz.FontNome);
    if (m_ctx.diz.Sezione(m_sezione) < 0)
        return; // design-time texts stay
    LblTitolo->setText(m_ctx.diz.TestoSezione(m_sezione, 1));
}

void PaginaSegnaposto::resizeEvent(QResizeEvent *)
{
    const int margine = Twips::PxX(240, this);
    LblTitolo->setGeometry(margine, Twips::PxY(360, this), width() - 2 * margine,
                           Twips::PxY(600, this));
}

} // namespace gascal
