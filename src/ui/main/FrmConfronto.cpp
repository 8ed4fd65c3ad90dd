#include "ui/main/FrmConfronto.h"

#include "app/Contesto.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace gascal {

namespace {
const QString Sezione = QStringLiteral("[Frm_Confronto]");
} // namespace

QString FrmConfronto::Testo(int k, const char *inglese) const
{
    return m_ctx.diz.TestoSezione(Sezione, k, QString::fromUtf8(inglese));
}

FrmConfronto::FrmConfronto(Contesto &ctx, const QString &file,
                           const QList<ConfrontoMappe::Differenza> &differenze, QWidget *parent)
    : QDialog(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("FrmConfronto"));
    setWindowTitle(QStringLiteral("%1 - %2").arg(ctx.Titolo(), Testo(1, "Compare before writing")));
    setModal(true);

    LblDomanda = new QLabel(differenze.isEmpty()
                                ? Testo(3, "The map file holds the same settings as the ECU.")
                                : Testo(2, "Writing this map file into the ECU changes these settings:"),
                            this);
    LblDomanda->setWordWrap(true);
    LblFile = new QLabel(QStringLiteral("<b>%1</b>").arg(QFileInfo(file).fileName().toHtmlEscaped()), this);
    LblFile->setToolTip(QDir::toNativeSeparators(file));

    TabDifferenze = new QTableWidget(0, 3, this);
    TabDifferenze->setObjectName(QStringLiteral("TabDifferenze"));
    TabDifferenze->setHorizontalHeaderLabels(
        {Testo(4, "Setting"), Testo(5, "In the ECU"), Testo(6, "In the file")});
    TabDifferenze->verticalHeader()->hide();
    TabDifferenze->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TabDifferenze->setSelectionBehavior(QAbstractItemView::SelectRows);
    Riempi(RigheConfronto(ctx), differenze);
    TabDifferenze->resizeColumnsToContents();
    TabDifferenze->horizontalHeader()->setStretchLastSection(true);
    TabDifferenze->setVisible(!differenze.isEmpty());

    LblBackup = new QLabel(Testo(7, "The ECU's present set-up is backed up under Data/backup before the write."), this);
    LblBackup->setWordWrap(true);

    auto *pulsanti = new QDialogButtonBox(this);
    CmdScrivi = pulsanti->addButton(Testo(8, "Write into the ECU"), QDialogButtonBox::AcceptRole);
    CmdScrivi->setObjectName(QStringLiteral("CmdScrivi"));
    CmdAnnulla = pulsanti->addButton(Testo(9, "Cancel"), QDialogButtonBox::RejectRole);
    CmdAnnulla->setObjectName(QStringLiteral("CmdAnnulla"));
    // Nothing is written by a stray Enter.
    CmdAnnulla->setDefault(true);
    CmdAnnulla->setFocus();
    connect(pulsanti, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pulsanti, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(LblDomanda);
    layout->addWidget(LblFile);
    layout->addWidget(TabDifferenze, 1);
    layout->addWidget(LblBackup);
    layout->addWidget(pulsanti);
    resize(560, differenze.isEmpty() ? 180 : 420);
}

void FrmConfronto::Riempi(const RigheConfronto &testi, const QList<ConfrontoMappe::Differenza> &differenze)
{
    m_righe = testi.Righe(differenze);
    QString intestazione;
    for (const RigheConfronto::Riga &r : m_righe) {
        // A heading row whenever the page or its group changes.
        const QString titolo = testi.Intestazione(r);
        const int riga = TabDifferenze->rowCount();
        if (titolo != intestazione) {
            intestazione = titolo;
            TabDifferenze->insertRow(riga);
            auto *voce = new QTableWidgetItem(titolo);
            QFont grassetto = voce->font();
            grassetto.setBold(true);
            voce->setFont(grassetto);
            voce->setFlags(Qt::ItemIsEnabled);
            TabDifferenze->setItem(riga, 0, voce);
            TabDifferenze->setSpan(riga, 0, 1, 3);
        }
        const int dati = TabDifferenze->rowCount();
        TabDifferenze->insertRow(dati);
        const QString celle[3] = {QStringLiteral("    ") + r.didascalia, r.a, r.b};
        for (int c = 0; c < 3; ++c)
            TabDifferenze->setItem(dati, c, new QTableWidgetItem(celle[c]));
    }
}

QStringList FrmConfronto::Righe() const
{
    QStringList testi;
    for (const RigheConfronto::Riga &r : m_righe)
        testi << RigheConfronto::Testo(r);
    return testi;
}

bool FrmConfronto::Conferma(Contesto &ctx, const QString &file,
                            const QList<ConfrontoMappe::Differenza> &differenze, QWidget *proprietario)
{
    FrmConfronto finestra(ctx, file, differenze, proprietario);
    return finestra.exec() == QDialog::Accepted;
}

} // namespace gascal
