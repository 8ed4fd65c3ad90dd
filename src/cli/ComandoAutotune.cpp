#include "Comandi.h"
#include "Console.h"
#include "SessioneCli.h"
#include "autotune/RettaAutotuning.h"
#include "autotune/SequenzaTaratura.h"
#include "autotune/VistaTaratura.h"
#include "app/SegnaliUscita.h"

#include <QDir>
#include <QFileInfo>

#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace gascal::cli {

namespace {

// The window of the tool: prints the step numbers, each status text as it
// changes and each log line, answers the lists from the options, and
// accepts at the end (with --accept, or on Enter).
class VistaCli : public VistaTaratura
{
public:
    VistaCli(const OpzioniAutotune &o, int iniettore) : m_o(o), m_iniettore(iniettore) {}

    SequenzaTaratura *seq = nullptr;
    bool attendeAccept = false;

    void MostraStato(const QString &testo) override
    {
        QString t = testo;
        t.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        t = t.simplified();
        if (t != m_stato && !t.isEmpty())
            Stampa(t);
        m_stato = t;
    }
    void CaricaLista(const QStringList &) override {}
    void ListaVisibile(bool visibile) override
    {
        if (!visibile || seq == nullptr)
            return;
        if (seq->SelAlimentazione == -2)
            seq->Scegli(m_o.cng ? 1 : 0);
        else if (seq->SelIniettore == -2)
            seq->Scegli(m_iniettore);
    }
    void AbilitaAccept(bool abilitato) override
    {
        attendeAccept = abilitato && seq != nullptr && seq->PassoTaratura == 6;
        if (attendeAccept && !m_o.accetta)
            Stampa(QStringLiteral("press Enter to accept the correction, Ctrl+C to stop"));
    }
    void Passo(int passo) override { Stampa(QStringLiteral("step %1").arg(passo)); }
    void RigaLog(const QString &riga) override { Stampa(riga); }
    bool AttendeConferma() const override { return false; }
    void FineTaratura() override {}

private:
    const OpzioniAutotune &m_o;
    int m_iniettore;
    QString m_stato;
};

} // namespace

int ComandoAutotune(SessioneCli &s, int timeoutSec, const OpzioniAutotune &o)
{
    Contesto &ctx = s.ctx;
    // The choices are checked before anything is written.
    const auto &tab = ctx.scale.TabIniettori;
    int iniettore = -1;
    if (!o.iniettore.isEmpty()) {
        for (int i = 0; i < tab.size() && iniettore < 0; ++i)
            if (tab.at(i).Nome.compare(o.iniettore.trimmed(), Qt::CaseInsensitive) == 0)
                iniettore = i;
        if (iniettore < 0) {
            QStringList nomi;
            for (const TipoIniettore &t : tab)
                nomi << QStringLiteral("  ") + t.Nome;
            Errore(QStringLiteral("--injector: unknown injector '%1'; the injector types are:\n%2")
                       .arg(o.iniettore, nomi.join(QLatin1Char('\n'))));
            return 2;
        }
    }
    if (!s.CercaEcu(timeoutSec, false))
        return 1;
    if (iniettore < 0 && tab.size() > 1) {
        // Without --injector: the type the ECU is set up with, found as the
        // injector page finds it (named, and with the ECU's family code).
        const qint32 codice = ctx.Valore(Contesto::RecConfig, 1);
        for (int i = 0; i < tab.size() && iniettore < 0; ++i)
            if (!tab.at(i).Nome.isEmpty() && tab.at(i).Codice == codice)
                iniettore = i;
        if (iniettore < 0) {
            Errore(QStringLiteral("--injector NAME is needed: the ECU's injector code %1 is not in the scale table")
                       .arg(codice));
            return 2;
        }
        Stampa(QStringLiteral("injector: %1 (the ECU's)").arg(tab.at(iniettore).Nome));
    }

    VistaCli vista(o, iniettore);
    RettaAutotuning retta(ctx);
    SequenzaTaratura seq(ctx, vista, retta);
    vista.seq = &seq;
    seq.FileSatoTun = ctx.imp.FileSatoTun;
    seq.FileParaTun = o.profilo.isEmpty() ? ctx.imp.FileParaTun : o.profilo;
    seq.Didascalia = ctx.Titolo() + QStringLiteral(" - ") + Impostazioni::Versione();

    // Ctrl+C, SIGTERM and SIGHUP are Stop; Enter (or --accept) accepts once
    // the acceptance is awaited.
    int segnale = 0;
    QTimer sorveglianza;
    sorveglianza.setInterval(50);
    QObject::connect(&sorveglianza, &QTimer::timeout, [&] {
        if (SegnaliUscita::Ricevuto() != 0) {
            segnale = SegnaliUscita::Ricevuto();
            SegnaliUscita::Azzera();
            seq.Ferma();
        }
        if (vista.attendeAccept && o.accetta)
            seq.Accetta(-1);
    });
    sorveglianza.start();
    QSocketNotifier tastiera(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&tastiera, &QSocketNotifier::activated, [&] {
        char c = 0;
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n <= 0) {
            tastiera.setEnabled(false);   // no more input: only Ctrl+C or --accept are left
            return;
        }
        if (c == '\n' && vista.attendeAccept)
            seq.Accetta(-1);
    });
    tastiera.setEnabled(!o.accetta);

    if (!seq.Go()) {
        Errore(QStringLiteral("the autotuning cannot start now"));
        return 1;
    }
    ctx.stato.AutotuningRichiesto = 0;
    ctx.stato.StatoProgramma = StatoApp::Autotuning;
    seq.TaraturaAvvio();
    sorveglianza.stop();

    const qint32 r = seq.UltimoRisultato();
    if (r == SequenzaTaratura::Completato) {
        Stampa(QStringLiteral("result 0: gas correction %1 us, calibration line written")
                   .arg(ctx.Valore(Contesto::RecComandi, 5)));
        return 0;
    }
    QString testo = seq.TestoRisultato(r);
    if (segnale != 0)
        testo += QStringLiteral(" (%1)").arg(QString::fromLatin1(SegnaliUscita::Nome(segnale)));
    Errore(QStringLiteral("result %1: %2").arg(r).arg(testo));
    if (!seq.TestoRipristino().isEmpty())
        Errore(seq.TestoRipristino());
    // A restore that could not reach the ECU is tried again when it answers.
    if (ctx.ripristino.Aperto() || QFileInfo::exists(ctx.ripristino.PercorsoEcu())) {
        if (s.RipristinaAlRitorno(timeoutSec))
            Errore(QStringLiteral("the ECU is back as it was before the autotuning"));
        else
            Errore(QStringLiteral("the ECU could not be put back: the journal %1 stays, and the next connection to this ECU puts it back")
                       .arg(QDir::toNativeSeparators(ctx.ripristino.PercorsoEcu())));
    }
    return 1;
}

} // namespace gascal::cli
