#include "interp/Interpolazione.h"

#include "app/Contesto.h"
#include "app/Orologio.h"
#include "interp/Deflessione.h"
#include "interp/FileCampioni.h"

namespace gascal {

QList<int> Interpolazione::TempiStabilita()
{
    QList<int> tempi;
    for (int k = 4; k <= 20; ++k)
        tempi << 250 * k;
    return tempi;
}

Interpolazione::Interpolazione(Contesto &ctx)
    : m_ctx(ctx),
      m_campionatore(ctx.campioni),
      m_deflessione(PuntiRetta, 0),
      m_fileMemo(ctx.imp.FileMemoIni)
{
    m_curve.OrdineSpline = 14;
    Calcola(false);
}

bool Interpolazione::Campiona(bool senzaBenzina, qint32 carburante)
{
    return (!senzaBenzina && carburante == 0) || carburante == 3;
}

std::optional<QVector<Interpolazione::Marcatore>> Interpolazione::Aggiorna(const Opzioni &opzioni)
{
    SalvaMemo(&m_erroreMemo);
    const qint32 carburante = m_ctx.Valore(Contesto::RecComandi, 1);
    if (Campiona(opzioni.senzaBenzina, carburante)) {
        LetturaCampione v;
        v.tempoBenzina = m_ctx.Valore(Contesto::RecLive, 1);
        v.giri = m_ctx.Valore(Contesto::RecLive, 4);
        v.quota = m_ctx.Valore(Contesto::RecLive, 5);
        v.stato = m_ctx.Valore(Contesto::RecLive, 6);
        v.temperatura = m_ctx.Valore(Contesto::RecLive, 9);
        v.carburante = carburante;
        m_campionatore.Passo(v, opzioni.stabilitaMs);
    }
    Calcola(opzioni.bezier);

    int nonZero = 0;
    for (qint32 d : m_deflessione)
        nonZero += d != 0;
    if (nonZero >= 2 && m_stato == Niente)
        m_stato = Disponibile;
    if (m_stato != Richiesta)
        return std::nullopt;
    m_stato = Niente;
    return Marcatori();
}

void Interpolazione::Calcola(bool bezier)
{
    m_curve.CurvaCampioni(m_ctx.campioni[TabelleCampioni::BeM], m_curvaBenzina, bezier);
    m_curve.CurvaCampioni(m_ctx.campioni[TabelleCampioni::GaM], m_curvaGas, bezier);
    m_deflessione.fill(0, PuntiRetta);
    Deflessione::CalcolaDeflessione(m_curvaBenzina, m_curvaGas, m_deflessione, Percentuale);
}

QVector<Interpolazione::Marcatore> Interpolazione::Marcatori() const
{
    QVector<Marcatore> marcatori;
    for (int j = 0; j < m_deflessione.size(); ++j)
        if (m_deflessione.at(j) != 0)
            marcatori.push_back({j, m_deflessione.at(j)});
    return marcatori;
}

void Interpolazione::ChiediDeflessione()
{
    if (m_stato == Disponibile)
        m_stato = Richiesta;
}

void Interpolazione::CancellaBenzina()
{
    m_ctx.campioni.CancellaBenzina();
    m_stato = Niente;
}

void Interpolazione::CancellaGas()
{
    m_ctx.campioni.CancellaGas();
    m_stato = Niente;
}

bool Interpolazione::CaricaFile(const QString &percorso, QString *errore)
{
    const bool ok = FileCampioni::CaricaCampioni(percorso, m_ctx.campioni, errore);
    m_stato = Niente;
    return ok;
}

bool Interpolazione::SalvaMemo(QString *errore)
{
    const QByteArray immagine = m_ctx.campioni.Immagine();
    if (immagine == m_memoScritto || m_fileMemo.isEmpty())
        return true;
    if (!FileCampioni::SalvaCampioni(m_fileMemo, m_ctx.campioni, errore))
        return false;
    m_memoScritto = immagine;
    if (errore)
        errore->clear();
    return true;
}

} // namespace gascal
