#include "ui/line/ModelloPaginaRetta.h"

#include "app/Contesto.h"
#include "app/Conversioni.h"
#include "app/ServiziUi.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace gascal {

namespace {
const QString Sezione = QStringLiteral("[Frm_Retta]");
const QString Acapo = QStringLiteral("\r\n");
} // namespace

ModelloPaginaRetta::ModelloPaginaRetta(Contesto &ctx) : m_ctx(ctx) {}

ModelloRetta &ModelloPaginaRetta::Retta()
{
    return m_ctx.retta;
}

const ModelloRetta &ModelloPaginaRetta::Retta() const
{
    return m_ctx.retta;
}

void ModelloPaginaRetta::CaricaLingua()
{
    m_unitaMs = m_ctx.diz.TestoSezione(QStringLiteral("[Frm_Barra_2]"), 6, QStringLiteral("ms"));
}

// ---- edits -------------------------------------------------------------------

bool ModelloPaginaRetta::Premi(int add, double adesso_us)
{
    // A held edit ignores further presses (a held key's auto-repeat).
    if (m_inCorso || m_ctx.stato.OperazioneInAttesa())
        return false;
    if (Retta().Passo(add, tuttiPunti) == ModelloRetta::Esito::PivotFisso)
        return false;
    m_add = add;
    m_inCorso = true;
    m_prossimo = adesso_us + IntervalloRipetizione_us;
    return true;
}

bool ModelloPaginaRetta::Aggiorna(double adesso_us)
{
    bool passo = false;
    for (; m_inCorso && adesso_us >= m_prossimo; m_prossimo += IntervalloRipetizione_us) {
        Retta().Passo(m_add, tuttiPunti);
        passo = true;
    }
    return passo;
}

void ModelloPaginaRetta::Rilascia()
{
    if (!m_inCorso)
        return;
    m_inCorso = false;
    Retta().RichiediScaricaRetta(m_ctx);
}

bool ModelloPaginaRetta::Tasto(int tasto, double adesso_us)
{
    switch (tasto) {
    case Qt::Key_F8: return Premi(ModelloRetta::Alza, adesso_us);
    case Qt::Key_F7: return Premi(ModelloRetta::Abbassa, adesso_us);
    case Qt::Key_F6: return Premi(ModelloRetta::Destra, adesso_us);
    case Qt::Key_F5: return Premi(ModelloRetta::Sinistra, adesso_us);
    case Qt::Key_F9: ProssimoPivot(); return true;
    default: return false;
    }
}

void ModelloPaginaRetta::SelezionaPivot(int n)
{
    if (n >= 1 && n <= ModelloRetta::NumPivot)
        Retta().PivotSel = n - 1;
}

void ModelloPaginaRetta::ProssimoPivot()
{
    Retta().PivotSel = (Retta().PivotSel + 1) % ModelloRetta::NumPivot;
}

bool ModelloPaginaRetta::Reset()
{
    const QString testo = m_ctx.diz.TestoSezione(Sezione, 7) + Acapo + m_ctx.diz.TestoSezione(Sezione, 9);
    if (m_ctx.ui.Messaggio(testo, m_ctx.Titolo(), ServiziUi::Pulsanti::SiNo, ServiziUi::Icona::Domanda,
                           ServiziUi::Risposta::No)
        != ServiziUi::Risposta::Si)
        return false;
    Retta().DefaultRetta();
    Retta().RichiediScaricaRetta(m_ctx);
    return true;
}

bool ModelloPaginaRetta::ResetAll(const std::function<QString()> &scelta)
{
    StatoApp &s = m_ctx.stato;
    if (s.OperazioneInAttesa())
        return false;
    const QString testo = m_ctx.diz.TestoSezione(Sezione, 8) + Acapo + m_ctx.diz.TestoSezione(Sezione, 9);
    if (m_ctx.ui.Messaggio(testo, m_ctx.Titolo(), ServiziUi::Pulsanti::SiNo, ServiziUi::Icona::Domanda,
                           ServiziUi::Risposta::No)
        != ServiziUi::Risposta::Si)
        return false;
    s.FileDefinizioni = scelta ? scelta() : QString();
    if (s.FileDefinizioni.isEmpty())
        return false;
    s.RichiediOperazione(Operazione::CaricaMappa);
    s.TitoloFile = QStringLiteral(" - [") + QFileInfo(s.FileDefinizioni).fileName() + QStringLiteral("] ");
    if (s.StatoProgramma == StatoApp::Offline)
        s.FileDefOffline = s.FileDefinizioni;
    return true;
}

// ---- the working point -----------------------------------------------------------

void ModelloPaginaRetta::AggiornaCursore(double adesso_us)
{
    m_cursore = m_ctx.Valore(Contesto::RecLive, 6) & 1;
    m_punto = qBound(0, m_ctx.Valore(Contesto::RecLive, 11), ModelloRetta::NumPunti - 1);
    const double correzione = m_ctx.Valore(Contesto::RecLive, 3);
    m_yCursore = static_cast<int>(
        Conversioni::Arrotonda(LineaZero - TwipsPerPasso * (correzione / ModelloRetta::GetCorrUSec())));
    if (adesso_us - m_ultimoCalib >= PassoCalib_us) {
        m_ultimoCalib = adesso_us;
        m_fase ^= 1;
    }
    m_tempiBenzina.append(m_ctx.Valore(Contesto::RecLive, 1));
    if (m_tempiBenzina.size() > 5)
        m_tempiBenzina.removeFirst();
}

QString ModelloPaginaRetta::TestoTempoBenzina() const
{
    double somma = 0;
    for (qint32 t : m_tempiBenzina)
        somma += t;
    const double media = m_tempiBenzina.isEmpty() ? 0 : somma / m_tempiBenzina.size();
    return ModelloRetta::TestoMs(media, 1, m_ctx.imp.SepDecimale) + QStringLiteral(" (") + m_unitaMs
        + QStringLiteral(") ");
}

void ModelloPaginaRetta::MostraCorrezioniProposte(const QVector<QPair<int, qint32>> &deflessioni)
{
    m_marcatori.clear();
    for (const auto &[punto, deflessione] : deflessioni) {
        if (punto < 0 || punto >= ModelloRetta::NumPunti || deflessione == 0)
            continue;
        m_marcatori.append({punto, static_cast<double>(deflessione) / ModelloRetta::GetCorrUSec()
                                       + Retta().Retta[punto]});
    }
}

// ---- geometry -------------------------------------------------------------------

QRect ModelloPaginaRetta::RettangoloPunto(int i, qint32 v)
{
    const int left = SinistraPrimaBarra + i * (LarghezzaBarra + SpazioBarre);
    if (v >= 0)
        return {left, LineaZero - TwipsPerPasso * v, LarghezzaBarra, TwipsPerPasso * v + AltezzaBase};
    return {left, LineaZero, LarghezzaBarra, TwipsPerPasso * -v + AltezzaBase};
}

double ModelloPaginaRetta::Zoom() const
{
    if (!adatta)
        return 1.0;
    // The farthest heights above and below zero, in steps, of the bars, the
    // markers and the working point.
    double sopra = 0, sotto = 0;
    const auto estendi = [&sopra, &sotto](double passi) {
        sopra = std::max(sopra, passi);
        sotto = std::max(sotto, -passi);
    };
    for (qint32 v : Retta().Retta)
        estendi(v);
    for (const auto &[punto, passi] : m_marcatori)
        estendi(passi);
    if (m_cursore)
        estendi(double(LineaZero - m_yCursore) / TwipsPerPasso);
    // Room above for the selection arrow, below for the bars' base.
    const double spazioSopra = LineaZero - Sfondo.top() - 450;
    const double spazioSotto = Sfondo.bottom() - LineaZero - AltezzaBase - 150;
    double zoom = ZoomMassimo;
    if (sopra > 0)
        zoom = std::min(zoom, spazioSopra / (sopra * TwipsPerPasso));
    if (sotto > 0)
        zoom = std::min(zoom, spazioSotto / (sotto * TwipsPerPasso));
    return std::max(1.0, zoom);
}

QRectF ModelloPaginaRetta::BarraDisegnata(int i, qint32 v) const
{
    const double zoom = Zoom();
    const QRect base = RettangoloPunto(i, 0);
    const double alto = TwipsPerPasso * zoom * std::abs(v) + AltezzaBase;
    return QRectF(base.left(), v >= 0 ? Y(v, zoom) : LineaZero, base.width(), alto);
}

int ModelloPaginaRetta::PivotAlClic(double x, double y) const
{
    const ModelloRetta &r = Retta();
    for (int i = 0; i < ModelloRetta::NumPunti; ++i) {
        const QRectF barra = BarraDisegnata(i, r.Retta[i]);
        if (x >= barra.left() && x < barra.left() + barra.width() && y >= barra.top()
            && y < barra.top() + barra.height()) {
            for (int k = 0; k < ModelloRetta::NumPivot; ++k)
                if (qAbs(r.Pivot[k] - i) <= 1)
                    return k;
            return -1;
        }
    }
    for (int k = 0; k < ModelloRetta::NumPivot; ++k) {
        const QRect barra = RettangoloPunto(r.Pivot[k], 0);
        if (barra.left() - barra.width() < x && x <= barra.left() + 2 * barra.width())
            return k;
    }
    return -1;
}

} // namespace gascal
