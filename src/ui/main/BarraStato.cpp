#include "ui/main/BarraStato.h"

#include "app/Contesto.h"
#include "ui/common/SoloSeCambia.h"

#include <QFileInfo>
#include <QLabel>
#include <QUrl>

namespace gascal {

namespace {
constexpr int DurataAvviso = 6000; // ms the reconnection notice stays
} // namespace

BarraStato::BarraStato(Contesto &ctx, QWidget *parent)
    : QStatusBar(parent), LblCollegamento(new QLabel(this)), LblPagina(new QLabel(this)),
      LblRegistrazione(new QLabel(this)), m_ctx(ctx)
{
    setObjectName(QStringLiteral("BarraStato"));
    LblCollegamento->setObjectName(QStringLiteral("LblCollegamento"));
    LblPagina->setObjectName(QStringLiteral("LblPagina"));
    setSizeGripEnabled(false);
    LblRegistrazione->setObjectName(QStringLiteral("LblRegistrazione"));
    LblRegistrazione->setTextFormat(Qt::RichText);
    LblRegistrazione->setOpenExternalLinks(true);
    addWidget(LblRegistrazione, 1);
    LblRegistrazione->hide();
    // Permanent: the reconnection notice shows at the left without hiding them.
    addPermanentWidget(LblPagina);
    addPermanentWidget(LblCollegamento);
    CaricaLingua();
}

void BarraStato::CaricaLingua()
{
    LblCollegamento->setAccessibleName(StatoCollegamento::Testo(m_ctx, 12));
    LblPagina->setAccessibleName(StatoCollegamento::Testo(m_ctx, 13));
    if (!m_registrazione.isEmpty())
        RegistrazioneFinita(m_registrazione);
    Aggiorna();
    MostraCollegamento(); // the font may have changed with the language
}

void BarraStato::RegistrazioneFinita(const QString &percorso)
{
    m_registrazione = percorso;
    const QString sezione = QStringLiteral("[Frm_Grafico_2]");
    const QString cartella = QUrl::fromLocalFile(QFileInfo(percorso).absolutePath()).toString();
    LblRegistrazione->setText(
        m_ctx.diz.TestoSezione(sezione, 7, QStringLiteral("Recording saved in %1")).arg(percorso.toHtmlEscaped())
        + QStringLiteral("  <a href=\"%1\">%2</a>")
              .arg(cartella.toHtmlEscaped(),
                   m_ctx.diz.TestoSezione(sezione, 8, QStringLiteral("Open folder")).toHtmlEscaped()));
    LblRegistrazione->show();
}

void BarraStato::RegistrazioneIniziata()
{
    m_registrazione.clear();
    LblRegistrazione->hide();
}

void BarraStato::Aggiorna()
{
    QString avviso;
    // The text is measured again only when it changes (and at a resize, a
    // language change), not at every tick of the refresh.
    if (QString collegamento = m_stato.Aggiorna(m_ctx, &avviso); collegamento != m_collegamento) {
        m_collegamento = std::move(collegamento);
        MostraCollegamento();
    }
    ImpostaTesto(LblPagina, StatoCollegamento::TestoPagina(m_ctx, m_ctx.stato.PaginaCorrente));
    if (!avviso.isEmpty())
        showMessage(avviso, DurataAvviso);
}

void BarraStato::MostraCollegamento()
{
    const int massimo = qMax(160, width() / 2);
    const QString mostrato = LblCollegamento->fontMetrics().elidedText(m_collegamento, Qt::ElideMiddle, massimo);
    ImpostaTesto(LblCollegamento, mostrato);
    const QString suggerimento = mostrato == m_collegamento ? QString() : m_collegamento;
    if (LblCollegamento->toolTip() != suggerimento)
        LblCollegamento->setToolTip(suggerimento);
}

void BarraStato::resizeEvent(QResizeEvent *evento)
{
    QStatusBar::resizeEvent(evento);
    MostraCollegamento();
}

} // namespace gascal
