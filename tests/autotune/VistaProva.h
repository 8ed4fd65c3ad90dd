#pragma once

#include "autotune/SequenzaTaratura.h"
#include "autotune/VistaTaratura.h"

#include <QStringList>

#include <functional>

// A window that keeps what the sequence showed and answers as a user would.
class VistaProva : public gascal::VistaTaratura
{
public:
    gascal::SequenzaTaratura *seq = nullptr;
    QStringList stati, log, voci;
    QList<int> passi;
    bool acceptAbilitato = false;
    bool fine = false;
    int fuel = 0;          // entry chosen in the fuel list
    int iniettore = 0;     // entry chosen in the injector list
    // Called at the start of each step (the test drives the engine there).
    std::function<void(int)> suPasso;
    // Called on each status text (a test can press Stop at a phase).
    std::function<void(const QString &)> suStato;

    void MostraStato(const QString &t) override
    {
        if (stati.isEmpty() || stati.last() != t)
            stati << t;
        if (suStato)
            suStato(t);
    }
    void StatoVisibile(bool) override {}
    void LampeggioInTaratura(bool) override {}
    void VisualizzaTempiCampionamentoBenzina(qint32) override {}
    void VisualizzaTempiCampionamentoGas(qint32) override {}
    void MostraCorrezione(const QString &) override {}
    void ViualizzaLblTempi(bool) override {}
    void CaricaLista(const QStringList &v) override { voci = v; }
    // The list answered as soon as it shows.
    void ListaVisibile(bool v) override
    {
        if (v && seq != nullptr && (seq->SelAlimentazione == -2 || seq->SelIniettore == -2))
            seq->Scegli(seq->SelAlimentazione == -2 ? fuel : iniettore);
    }
    void AbilitaAccept(bool a) override { acceptAbilitato = a; }
    void Passo(int p) override
    {
        passi << p;
        if (suPasso)
            suPasso(p);
    }
    void RigaLog(const QString &r) override { log << r; }
    bool AttendeConferma() const override { return false; }
    void FineTaratura() override { fine = true; }
};
