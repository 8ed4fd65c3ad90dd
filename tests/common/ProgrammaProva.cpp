#include "ProgrammaProva.h"

#include "app/Avvio.h"
#include "ui/main/FrmBar.h"
#include "ui/main/FrmConfronto.h"
#include "ui/main/FrmWait.h"

#include <QApplication>
#include <QPushButton>
#include <QTableWidget>

#include <QTest>

ProgrammaProva::~ProgrammaProva()
{
    if (frame && !frame->Chiuso()) {
        ctx.stato.UscitaRichiesta = 1;
        (void)QTest::qWaitFor([this] { return frame->Chiuso(); }, 10000);
    }
    frame.reset();
    m_sorveglianti.clear();
}

QString ProgrammaProva::AvviaEcu(const QStringList &opzioni)
{
    return banco.AvviaEcu(opzioni, true) ? QString()
                                         : QStringLiteral("ecusim did not start: ") + banco.ErroriEcu();
}

bool ProgrammaProva::AvviaProgramma()
{
    if (!banco.Avvia())
        return false;
    frame = std::make_unique<gascal::MDIFrm>(ctx);
    frame->MDIForm_Load();
    return true;
}

bool ProgrammaProva::AvviaOffline()
{
    if (!AvviaProgramma())
        return false;
    Quando([this] { return frame->Attesa()->isVisible(); }, [this] { frame->Attesa()->CmdStop->click(); });
    return AttendiStato(gascal::StatoApp::Offline, 15000);
}

bool ProgrammaProva::AttendiStato(int stato, int ms)
{
    return QTest::qWaitFor([this, stato] { return ctx.stato.StatoProgramma == stato; }, ms);
}

void ProgrammaProva::Quando(std::function<bool()> condizione, std::function<void()> azione)
{
    auto timer = std::make_unique<QTimer>();
    QTimer *t = timer.get();
    t->setInterval(10);
    QObject::connect(t, &QTimer::timeout, t, [t, condizione, azione] {
        if (!condizione())
            return;
        t->stop();
        azione();
    });
    t->start();
    m_sorveglianti.push_back(std::move(timer));
}

void ProgrammaProva::RispondiConfronto(bool scrivi, QStringList *righe)
{
    auto finestra = [] { return qobject_cast<gascal::FrmConfronto *>(QApplication::activeModalWidget()); };
    Quando([finestra] { return finestra() != nullptr; }, [finestra, scrivi, righe] {
        gascal::FrmConfronto *f = finestra();
        if (righe) {
            righe->clear();
            const QTableWidget *t = f->TabDifferenze;
            for (int r = 0; r < t->rowCount(); ++r)
                *righe << QStringLiteral("%1: %2 | %3")
                              .arg(t->item(r, 0)->text(), t->item(r, 1)->text(), t->item(r, 2)->text());
        }
        (scrivi ? f->CmdScrivi : f->CmdAnnulla)->click();
    });
}

bool ProgrammaProva::SalvaMappa(const QString &percorso)
{
    ui.fileDaSalvare.enqueue(percorso);
    ui.risposte.enqueue(gascal::ServiziUi::Risposta::Si);
    QTest::mouseClick(frame->Barra()->CmdMapSave, Qt::LeftButton);
    return QTest::qWaitFor([this] { return ui.Testi().contains(ctx.diz.Testo(8)); }, 15000);
}

void ProgrammaProva::ApriMappa(const QString &percorso)
{
    ui.fileDaAprire.enqueue(percorso);
    QTest::mouseClick(frame->Barra()->CmdMapOpen, Qt::LeftButton);
}
