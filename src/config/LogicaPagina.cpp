#include "config/LogicaPagina.h"

#include "app/Contesto.h"
#include "app/MostraErrore.h"
#include "config/ListeScala.h"

namespace gascal {

namespace {
// The numbers and descriptions of the two failures of the list building.
constexpr qint64 ErrIndice = 9;
constexpr qint64 ErrTipo = 13;
const char *const DescIndice = "Subscript out of range";
const char *const DescTipo = "Type mismatch";
} // namespace

bool LogicaPagina::Libera() const
{
    return !AggiornamentoInCorso && !m_ctx.stato.OperazioneInAttesa();
}

qint32 LogicaPagina::V(int k) const
{
    return m_ctx.Valore(Contesto::RecConfig, k);
}

bool LogicaPagina::Esiste(int k) const
{
    return m_ctx.EsisteValore(Contesto::RecConfig, k);
}

void LogicaPagina::Accoda(std::initializer_list<VoceCoda> voci)
{
    CodaScrittura &coda = m_ctx.code.ValoriDaScrivere;
    bool primo = true;
    for (const VoceCoda &v : voci) {
        if (primo)
            coda.Imposta(v.Valore, v.Indice, v.Maschera);
        else
            coda.Aggiungi(v.Valore, v.Indice, v.Maschera);
        primo = false;
    }
}

void LogicaPagina::Scrivi(std::initializer_list<VoceCoda> voci)
{
    Accoda(voci);
    m_ctx.stato.RichiediOperazione(Operazione::ScriviConfig);
}

std::optional<QString> LogicaPagina::TestoDiz(int n) const
{
    const qsizetype base = m_ctx.diz.Sezione(m_sezione);
    if (base < 0 || base + n >= m_ctx.diz.Numero())
        return std::nullopt;
    return m_ctx.diz.Testo(base + n);
}

void LogicaPagina::SegnalaErrore(qint64 numero, const QString &descrizione) const
{
    MostraErrore(m_ctx.ui, m_ctx.Titolo(), m_numeroErrore, QStringLiteral("Config error"), 0, numero,
                 descrizione);
}

void LogicaPagina::RiempiDaChiave(ListaScelte &lista, const QStringList &righe, const QString &chiave,
                                  bool milli, std::optional<int> testoPrimo)
{
    bool sulUltima = false;
    const auto riga = ListeScala::RigaDopoChiave(righe, chiave, &sulUltima);
    if (!riga) {
        // A missing key leaves the list as it is; a key without its line is a fault.
        if (sulUltima)
            SegnalaErrore(ErrIndice, QString::fromLatin1(DescIndice));
        return;
    }
    std::optional<QString> primo;
    if (testoPrimo) {
        primo = TestoDiz(*testoPrimo);
        if (!primo) {
            SegnalaErrore(ErrIndice, QString::fromLatin1(DescIndice));
            return;
        }
    }
    lista.Svuota();
    QStringList scartate;
    lista.Voci = ListeScala::VociCombo(*riga, milli, m_ctx.imp.SepDecimale, &scartate);
    if (primo)
        lista.Voci.prepend(*primo);
    if (!scartate.isEmpty())
        SegnalaErrore(ErrTipo, QString::fromLatin1(DescTipo) + QStringLiteral(": ") + chiave + QLatin1Char(' ')
                                   + scartate.join(QLatin1Char('|')));
}

} // namespace gascal
