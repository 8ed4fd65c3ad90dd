#include "autotune/ModelloAutotuning.h"

#include "app/Contesto.h"
#include "app/Orologio.h"

#include <QRegularExpression>

#include <algorithm>

namespace gascal {

ModelloAutotuning::ModelloAutotuning(Contesto &ctx) : m_ctx(ctx), m_retta(ctx), m_seq(ctx, *this, m_retta)
{
    m_seq.FileSatoTun = m_ctx.imp.FileSatoTun;
    m_seq.FileParaTun = m_ctx.imp.FileParaTun;
    CaricaLingua();
}

void ModelloAutotuning::Notifica()
{
    if (cambiata)
        cambiata();
}

QString ModelloAutotuning::Testo2(int k, const char *progetto) const
{
    return m_ctx.diz.TestoSezione(QStringLiteral("[Frm_AutoTuning_2]"), k, QLatin1String(progetto));
}

void ModelloAutotuning::CaricaLingua()
{
    m_vista.nomeLista = m_seq.Testo(m_vista.voci.size() > 2 ? 34 : 35);
    // During a run the sequence writes its next text in the new language.
    if (m_vista.go)
        MostraStato(m_seq.Testo(4));
    Notifica();
}

QString ModelloAutotuning::SpiegaAttesa(const QString &testo) const
{
    // The return to idle shows its wait as "2500 < 1100" on a line of its own.
    static const QRegularExpression attesa(QStringLiteral("^(\\d+) < (\\d+)$"),
                                           QRegularExpression::MultilineOption);
    QString t = testo;
    const QRegularExpressionMatch m = attesa.match(t);
    if (m.hasMatch())
        t.replace(m.capturedStart(), m.capturedLength(),
                  Testo2(2, "Engine speed %1 rpm: waiting until it falls below %2 rpm.")
                      .arg(m.captured(1), m.captured(2)));
    return t;
}

void ModelloAutotuning::MostraStato(const QString &testo)
{
    QString t = testo;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t = SpiegaAttesa(t);
    if (InCorso() && testo != m_seq.Testo(4))
        m_esito = t;
    if (m_mostraEsito || m_vista.stato == t)
        return; // the last run's result stays until the window closes
    m_vista.stato = t;
    Notifica();
}

void ModelloAutotuning::StatoVisibile(bool visibile)
{
    m_vista.statoVisibile = visibile;
    Notifica();
}

void ModelloAutotuning::LampeggioInTaratura(bool spento)
{
    m_vista.lampeggioVisibile = !spento;
    if (!spento) {
        const double ora = TimerApi_uSec();
        if (ora > m_prossimoLampeggio) {
            m_vista.lampeggioAcceso = !m_vista.lampeggioAcceso;
            m_prossimoLampeggio = ora + IntervalloLampeggio_us;
        }
    }
    Notifica();
}

void ModelloAutotuning::Barra(QString &testo, int &larghezza, int k, qint32 tempoUs)
{
    testo = m_seq.Testo(k) + QLatin1Char(' ') + QString::number(tempoUs / 1000.0, 'f', 2);
    if (m_ctx.imp.SepDecimale != QLatin1String("."))
        testo.replace(QLatin1Char('.'), m_ctx.imp.SepDecimale);
    larghezza = std::clamp(static_cast<int>(LarghezzaBarre / TempoBarraPiena_us * tempoUs), 0, LarghezzaBarre);
    Notifica();
}

void ModelloAutotuning::VisualizzaTempiCampionamentoBenzina(qint32 tempoUs)
{
    Barra(m_vista.testoBenzina, m_vista.barraBenzina, 42, tempoUs);
}

void ModelloAutotuning::VisualizzaTempiCampionamentoGas(qint32 tempoUs)
{
    Barra(m_vista.testoGas, m_vista.barraGas, 43, tempoUs);
}

void ModelloAutotuning::MostraCorrezione(const QString &testo)
{
    m_vista.correzione = testo;
    m_vista.correzione.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    Notifica();
}

void ModelloAutotuning::ViualizzaLblTempi(bool visibili)
{
    m_vista.tempiVisibili = visibili;
    Notifica();
}

void ModelloAutotuning::CaricaLista(const QStringList &voci)
{
    m_vista.voci = voci;
    ++m_vista.caricamento;
    m_vista.riga = -1;
    const bool iniettori = voci == m_seq.VociIniettore();
    m_vista.nomeLista = m_seq.Testo(iniettori ? 34 : 35); // "Injector type" or "Fuel"
    // The injector list opens on the type the ECU is set to.
    if (iniettori && m_ctx.EsisteValore(Contesto::RecConfig, 1)) {
        const qint32 codice = m_ctx.Valore(Contesto::RecConfig, 1);
        const auto &tabella = m_ctx.scale.TabIniettori;
        for (int i = 0; i < tabella.size() && i < voci.size(); ++i)
            if (!tabella.at(i).Nome.isEmpty() && tabella.at(i).Codice == codice) {
                m_vista.riga = i;
                break;
            }
    }
    Notifica();
}

void ModelloAutotuning::ListaVisibile(bool visibile)
{
    m_vista.listaVisibile = visibile;
    Notifica();
}

void ModelloAutotuning::AbilitaAccept(bool abilitato)
{
    m_vista.accept = abilitato;
    Notifica();
}

void ModelloAutotuning::FineTaratura()
{
    m_vista.go = m_vista.chiudi = true;
    m_vista.stop = m_vista.accept = false;
    // The result stays on screen until the user closes the window or starts
    // again; the prompts that asked for Stop or Accept are over.
    QString esito = m_esito;
    for (int k : {17, 45}) {
        const QString invito = QStringLiteral("\n\n") + m_seq.Testo(k);
        if (esito.endsWith(invito))
            esito.chop(invito.size());
    }
    if (!esito.isEmpty()) {
        m_vista.stato = esito;
        m_vista.statoVisibile = true;
        m_mostraEsito = true;
    }
    Notifica();
}

bool ModelloAutotuning::InCorso() const
{
    return m_seq.InCorso() || m_ctx.stato.AutotuningRichiesto == 1
        || m_ctx.stato.StatoProgramma == StatoApp::Autotuning;
}

bool ModelloAutotuning::Chiudi()
{
    if (InCorso())
        return false;
    m_mostraEsito = false;
    m_esito.clear();
    MostraStato(m_seq.Testo(4));
    return true;
}

bool ModelloAutotuning::Go(const QString &didascalia)
{
    // A new run starts from blank values.
    m_mostraEsito = false;
    m_esito.clear();
    m_vista.tempiVisibili = false;
    m_vista.testoBenzina.clear();
    m_vista.testoGas.clear();
    m_vista.correzione.clear();
    m_vista.barraBenzina = m_vista.barraGas = 0;
    const bool parte = m_seq.Go();
    if (parte) {
        m_seq.Didascalia = didascalia;
        m_vista.go = m_vista.chiudi = m_vista.accept = false;
        m_vista.stop = true;
    }
    Notifica();
    return parte;
}

bool ModelloAutotuning::Stop()
{
    return m_seq.Ferma() && Chiudi();
}

} // namespace gascal
