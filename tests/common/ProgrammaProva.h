#pragma once
#include "BancoEcu.h"
#include "ui/common/PaginaEditor.h"
#include "ui/main/FrmBar.h"
#include "ui/main/FrmWait.h"
#include "ui/main/MDIFrm.h"
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

// The frame window on a bench: its start, its pages, the wait for an operation.
template <typename Banco>
struct FrameSuBanco {
    template <typename... A>
    explicit FrameSuBanco(A &&...a) : banco(std::forward<A>(a)...) {}
    // Start-up on the folder, then the frame with its load.
    bool AvviaProgramma()
    {
        if (!banco.Avvia())
            return false;
        frame = std::make_unique<gascal::MDIFrm>(ctx);
        frame->MDIForm_Load();
        return true;
    }
    // Waits until no operation is pending any more (the one asked for ran).
    bool AttendiOperazione(int ms = 15000)
    {
        return QTest::qWaitFor([this] { return !ctx.stato.OperazioneInAttesa(); }, ms);
    }
    void MostraPagina(int n)
    {
        for (int giri = 0; ctx.stato.PaginaCorrente != n && giri < 3; ++giri)
            frame->CmdPage_Click();
    }
    Banco banco;
    gascal::Contesto &ctx = *banco.ctx;
    std::unique_ptr<gascal::MDIFrm> frame;
};

// The frame window on BancoEcu (PrjCom and ecusim).
class ProgrammaProva : public FrameSuBanco<BancoEcu>
{
public:
    ~ProgrammaProva();

    QString Cartella() const { return banco.Cartella(); }
    QString Percorso(const QString &nome) const { return banco.Percorso(nome); }
    QString Link() const { return banco.Link(); }

    // Starts ecusim on the link path; empty on success, else why not.
    QString AvviaEcu(const QStringList &opzioni = {});
    void FermaEcu() { banco.FermaEcu(); }

    // ecusim with these options, then the program on it; true once connected.
    bool Connetti(const QStringList &opzioni = {});
    // The same without an ECU, taken offline by the wait window's stop button.
    bool AvviaOffline();
    // Waits (events flowing) for the program state; the search's tick returns only when it ends.
    bool AttendiStato(int stato, int ms = 20000);
    // Stops the ECU; once searching, runs `inRicerca` and starts a fresh one; true once connected again.
    bool Riconnetti(std::function<void()> inRicerca = {});
    // Runs `azione` once from whatever event loop runs (the search's too) when `condizione` holds.
    void Quando(std::function<bool()> condizione, std::function<void()> azione);

    // Saves the ECU to a map file through the bar (overwrite: Yes); true once told saved.
    bool SalvaMappa(const QString &percorso);
    // Opens a map file through the bar (the load request; it runs at the next tick).
    void ApriMappa(const QString &percorso);
    // Answers the next compare window Write or Cancel; `righe` gets its "CAPTION: ECU | FILE" lines.
    void RispondiConfronto(bool scrivi, QStringList *righe = nullptr);

    // A picture of `finestra` into the folder named by GASCAL_SCREENSHOTS, when set.
    static void Foto(QWidget *finestra, const QString &nome);

    gascal::ServiziUiScriptati &ui = banco.ui;

private:
    std::vector<std::unique_ptr<QTimer>> m_sorveglianti;
};
