#include "config/LogicaLivello.h"

#include "app/Contesto.h"
#include "app/Conversioni.h"
#include "config/LogicaPagina.h"

namespace gascal {

LogicaLivello::LogicaLivello(Contesto &ctx, LogicaPagina &pagina) : m_ctx(ctx), m_pagina(pagina) {}

void LogicaLivello::Riempi()
{
    CmbTipoLev.Svuota();
    m_indici.clear();
    const auto &tabella = m_ctx.scale.TabLivello;
    for (qsizetype i = 0; i < tabella.size(); ++i) {
        if (tabella.at(i).Nome.isEmpty())
            continue;
        CmbTipoLev.Voci.append(tabella.at(i).Nome);
        m_indici.append(i);
    }
}

qsizetype LogicaLivello::IndiceTipo() const
{
    if (!m_pagina.Esiste(PosTipo))
        return -1;
    return m_ctx.scale.IndiceDaCodice(m_pagina.V(PosTipo) & 255);
}

bool LogicaLivello::Invertito() const
{
    const qsizetype i = IndiceTipo();
    if (i >= 0)
        return m_ctx.scale.TabLivello.at(i).Ulteriore & FlagInvertito;
    return ((m_pagina.V(PosTipo) >> 8) & FlagInvertito) != 0;
}

QString LogicaLivello::Volt(qint32 lettura, int decimali) const
{
    return Conversioni::TestoDecimali(lettura * 5.0 / 1024.0, decimali, m_ctx.imp.SepDecimale);
}

// ---- actions ---------------------------------------------------------------

bool LogicaLivello::ScriviTipo(qsizetype indice)
{
    if (indice < 0 || indice >= m_ctx.scale.TabLivello.size())
        return false;
    const SensoreLivello &s = m_ctx.scale.TabLivello.at(indice);
    m_pagina.Scrivi({{s.Ulteriore * 256 + s.Codice, PosTipo, 0},
                     {s.Soglie[1], PosSoglia0, 0},
                     {s.Soglie[2], PosSoglia0 + 1, 0},
                     {s.Soglie[3], PosSoglia0 + 2, 0},
                     {s.Soglie[4], PosSoglia0 + 3, 0}});
    return true;
}

bool LogicaLivello::SceltaTipo(int voce)
{
    CmbTipoLev.Seleziona(voce);
    if (!m_pagina.Libera())
        return false;
    return ScriviTipo(IndiceDiVoce(CmbTipoLev.Selezione));
}

bool LogicaLivello::Default()
{
    if (!m_pagina.Libera())
        return false;
    return ScriviTipo(IndiceTipo());
}

bool LogicaLivello::Calibra(bool daVuoto)
{
    if (!m_pagina.Libera())
        return false;
    std::array<qint32, 4> soglie{};
    for (int n = 0; n < 4; ++n)
        soglie[n] = m_pagina.V(PosSoglia0 + n);
    const qint32 lettura = m_ctx.Valore(Contesto::RecLive, PosNonFiltrato);
    if (daVuoto) {
        // The reading with the tank empty is the lowest mark's floor; the
        // highest threshold stays.
        const qint32 alto = soglie[3];
        if (lettura < alto) {
            const qint32 passo = static_cast<qint32>(Conversioni::Arrotonda((alto - lettura) / 4.0));
            for (int n = 0; n < 3; ++n)
                soglie[n] = lettura + (n + 1) * passo;
        }
    } else {
        const qint32 basso = soglie[0];
        if (lettura > basso) {
            const qint32 passo = static_cast<qint32>(Conversioni::Arrotonda((lettura - basso) / 4.0));
            for (int n = 1; n < 4; ++n)
                soglie[n] = basso + n * passo;
        }
    }
    m_pagina.Scrivi({{soglie[0], PosSoglia0, 0},
                     {soglie[1], PosSoglia0 + 1, 0},
                     {soglie[2], PosSoglia0 + 2, 0},
                     {soglie[3], PosSoglia0 + 3, 0}});
    return true;
}

bool LogicaLivello::Minimo()
{
    return Calibra(true);
}

bool LogicaLivello::Massimo()
{
    return Calibra(false);
}

bool LogicaLivello::CalibraVuoto()
{
    return Invertito() ? Massimo() : Minimo();
}

bool LogicaLivello::CalibraPieno()
{
    return Invertito() ? Minimo() : Massimo();
}

bool LogicaLivello::SpostaBarra(int k, int valore)
{
    if (m_pagina.AggiornamentoInCorso || k < 0 || k > 3)
        return false;
    LogicaPagina::InAggiornamento guardia(m_pagina);
    HScrLevel[k] = valore;
    const bool inv = Invertito();
    // The neighbour that bar k passes follows it on screen.
    auto segui = [this, k](int vicino, bool oltre) {
        if (vicino >= 0 && vicino <= 3 && oltre)
            HScrLevel[vicino] = HScrLevel[k];
    };
    if (inv) {
        segui(k - 1, k > 0 && HScrLevel[k] < HScrLevel[k - 1]);
        segui(k + 1, k < 3 && HScrLevel[k] > HScrLevel[k + 1]);
    } else {
        segui(k - 1, k > 0 && HScrLevel[k] > HScrLevel[k - 1]);
        segui(k + 1, k < 3 && HScrLevel[k] < HScrLevel[k + 1]);
    }
    m_pagina.Accoda({{HScrLevel[k], PosizioneMarca(k, inv), 0}});
    m_ctx.stato.RichiediOperazione(Operazione::ScriviConfig);
    return true;
}

// ---- refresh ---------------------------------------------------------------

void LogicaLivello::AggiornaSelezioni()
{
    const qsizetype i = IndiceTipo();
    if (i < 0 || !m_pagina.Esiste(PosSoglia3))
        return;
    CmbTipoLev.Seleziona(static_cast<int>(m_indici.indexOf(i)));
    const bool inv = m_ctx.scale.TabLivello.at(i).Ulteriore & FlagInvertito;
    CaptionMassimo = inv ? TagMinimo : TagMassimo;
    CaptionMinimo = inv ? TagMassimo : TagMinimo;
    for (int k = 0; k < 4; ++k) {
        const qint32 soglia = m_pagina.V(PosizioneMarca(k, inv));
        if (inv || soglia <= MassimoBarra)
            HScrLevel[k] = soglia;
        const QString marca = k == 3 ? QStringLiteral("R=") : QStringLiteral("%1/4=").arg(3 - k);
        LblLevel[k] = marca + Volt(soglia, 2) + QStringLiteral(" (v)");
    }
}

void LogicaLivello::CaricaLivelliAttuale()
{
    const int live = Contesto::RecLive;
    if (m_ctx.EsisteValore(live, PosStatoLive) && m_ctx.EsisteValore(live, PosFiltrato))
        LblLevelFiltroVal = (m_ctx.Valore(live, PosStatoLive) & 1) == 0
            ? Nessuna
            : Volt(m_ctx.Valore(live, PosFiltrato), 3);
    if (!m_ctx.EsisteValore(live, PosNonFiltrato))
        return;
    const qint32 lettura = m_ctx.Valore(live, PosNonFiltrato);
    LblLevelNoFiltroVal = Volt(lettura, 3);
    if (!m_pagina.Esiste(PosSoglia3))
        return;
    // The flags are the high byte of the ECU's type word.
    const bool inv = ((m_pagina.V(PosTipo) >> 8) & FlagInvertito) != 0;
    for (int k = 0; k < 4; ++k) {
        const qint32 soglia = m_pagina.V(PosizioneMarca(k, inv));
        ShpLevel[k] = inv ? lettura < soglia : lettura > soglia;
    }
}

} // namespace gascal
