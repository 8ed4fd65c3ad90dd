#include "ProgrammaProva.h"
#include "ui/main/FrmConfronto.h"
#include <QApplication>
#include <QDir>
#include <QTableWidget>

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

bool ProgrammaProva::Connetti(const QStringList &opzioni)
{
    return AvviaEcu(opzioni).isEmpty() && AvviaProgramma() && AttendiStato(gascal::StatoApp::Connesso);
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

bool ProgrammaProva::Riconnetti(std::function<void()> inRicerca)
{
    auto fatto = std::make_shared<bool>(false);
    Quando([this] { return ctx.stato.StatoProgramma == gascal::StatoApp::Ricerca; }, [this, fatto, inRicerca] {
        if (inRicerca)
            inRicerca();
        *fatto = AvviaEcu().isEmpty();
    });
    FermaEcu();
    return QTest::qWaitFor([this, fatto] { return *fatto && ctx.stato.StatoProgramma == gascal::StatoApp::Connesso; },
                           30000);
}

void ProgrammaProva::Foto(QWidget *finestra, const QString &nome)
{
    const QString cartella = qEnvironmentVariable("GASCAL_SCREENSHOTS");
    if (!cartella.isEmpty())
        finestra->grab().save(QDir(cartella).filePath(nome + QStringLiteral(".png")));
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
        if (righe)
            *righe = f->Righe();
        (scrivi ? f->CmdScrivi : f->CmdAnnulla)->click();
    });
}

bool ProgrammaProva::SalvaMappa(const QString &percorso)
{
    const qsizetype salvate = ui.Testi().count(ctx.diz.Testo(8));
    ui.fileDaSalvare.enqueue(percorso);
    ui.risposte.enqueue(gascal::ServiziUi::Risposta::Si);
    QTest::mouseClick(frame->Barra()->CmdMapSave, Qt::LeftButton);
    return QTest::qWaitFor([this, salvate] { return ui.Testi().count(ctx.diz.Testo(8)) > salvate; }, 15000);
}

void ProgrammaProva::ApriMappa(const QString &percorso)
{
    ui.fileDaAprire.enqueue(percorso);
    QTest::mouseClick(frame->Barra()->CmdMapOpen, Qt::LeftButton);
}
