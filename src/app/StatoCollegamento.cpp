#include "app/StatoCollegamento.h"

#include "app/Contesto.h"

#include <array>

namespace gascal {

namespace {
const QString Sezione = QStringLiteral("[Frm_Stato]");
const std::array<const char *, 14> Progetto = {
    "",
    "Searching for the ECU...",
    "Connected on port %1 (%2)",
    "Connected on port %1",
    "Offline: working without the ECU",
    "Reconnected to the ECU on port %1.",
    "Writing to the ECU...",
    "Autotuning in progress",
    "Page %1 of 3: %2 (F2: next page)",
    "Switch-over",
    "Injectors, fuel and level",
    "Calibration line",
    "Connection",
    "Page",
};
} // namespace

QString StatoCollegamento::Testo(const Contesto &ctx, int k)
{
    const char *progetto = k >= 0 && k < static_cast<int>(Progetto.size()) ? Progetto.at(k) : "";
    return ctx.diz.TestoSezione(Sezione, k, QLatin1String(progetto));
}

QString StatoCollegamento::Aggiorna(const Contesto &ctx, QString *avviso)
{
    if (avviso)
        avviso->clear();
    const StatoApp &s = ctx.stato;
    const bool collegato = s.ErroreComunicazione == 0
        && (s.StatoProgramma == StatoApp::Connesso || s.StatoProgramma == StatoApp::Operazione
            || s.StatoProgramma == StatoApp::Autotuning);
    const std::optional<RapportoPorta> &porta = ctx.diagnosi.Collegata();
    const QString numero = porta ? QString::number(porta->porta) : QStringLiteral("?");
    if (!collegato) {
        if (m_collegatoPrima && s.StatoProgramma != StatoApp::Offline)
            m_persa = true;
        if (s.StatoProgramma == StatoApp::Offline)
            return Testo(ctx, 4);
        return Testo(ctx, 1);
    }
    if (m_persa && avviso)
        *avviso = Testo(ctx, 5).arg(numero);
    m_persa = false;
    m_collegatoPrima = true;
    if (s.StatoProgramma == StatoApp::Operazione)
        return Testo(ctx, 6);
    if (s.StatoProgramma == StatoApp::Autotuning)
        return Testo(ctx, 7);
    if (porta && !porta->dispositivo.isEmpty())
        return Testo(ctx, 2).arg(numero, porta->dispositivo);
    return Testo(ctx, 3).arg(numero);
}

QString StatoCollegamento::TestoPagina(const Contesto &ctx, int pagina)
{
    const int p = qBound(0, pagina, 2);
    return Testo(ctx, 8).arg(p + 1).arg(Testo(ctx, 9 + p));
}

} // namespace gascal
