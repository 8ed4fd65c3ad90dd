#include "datalog/ModelloBarra.h"

#include "app/Contesto.h"
#include "app/Formati.h"

#include <QLocale>

namespace gascal {

const std::array<int, VistaBarra::NumSegmenti> ModelloBarra::SoglieGiri = {
    500, 800, 1100, 1400, 1700, 2000, 2300, 2700, 3100, 3500, 4000, 4500, 5000, 5600};

namespace {

// A LED of the switch-over button: both bits steady, the high one alone blinks
// slowly, the low one alone fast.
struct Led {
    qint32 basso, alto;
    VistaCommutatore::Colore colore;
    bool soloConDatiValidi;
};

using C = VistaCommutatore::Colore;
const std::array<Led, VistaCommutatore::NumLed> Leds = {{
    {0x100, 0x200, C::Verde, false},
    {0x40, 0x80, C::Verde, false},
    {0x10, 0x20, C::Verde, false},
    {0x4, 0x8, C::Verde, false},
    {0x1, 0x2, C::Rosso, false},
    {0x1000, 0x2000, C::Rosso, true},
    {0x400, 0x800, C::Arancione, true},
}};
constexpr qint32 BuzzerLento = 0x4000;
constexpr qint32 BuzzerVeloce = 0x8000;

const QString Nessuno = QStringLiteral(" - - ");

} // namespace

ModelloBarra::ModelloBarra(const Contesto &ctx) : m_ctx(ctx)
{
    m_vista.giri = Nessuno + m_unitaGiri;
    m_vista.tempoBenzina = Nessuno + m_unitaMs;
    m_vista.tempoGas = Nessuno + m_unitaMs;
}

QString ModelloBarra::Testo2(const Dizionario &diz, int k, const char *progetto)
{
    return diz.TestoSezione(QStringLiteral("[Frm_Barra_2]"), k, QLatin1String(progetto));
}

void ModelloBarra::CaricaLingua()
{
    const Dizionario &diz = m_ctx.diz;
    m_unitaGiri = QStringLiteral(" (") + Testo2(diz, 5, "rpm") + QLatin1Char(')');
    m_unitaMs = QStringLiteral(" (") + Testo2(diz, 6, "ms") + QStringLiteral(") ");
    m_unitaBar = QStringLiteral(" (") + Testo2(diz, 7, "bar") + QLatin1Char(')');
    m_unitaTemp = QStringLiteral(" (") + Testo2(diz, 8, "c") + QLatin1Char(')');
}

void ModelloBarra::ValoriDaFile(const QString &nomeFile)
{
    m_origine = Origine::File;
    m_file = nomeFile;
}

QString ModelloBarra::TestoOrigine(const QDate &oggi) const
{
    const Dizionario &diz = m_ctx.diz;
    switch (m_origine) {
    case Origine::Ecu: {
        const QString ora = m_quando.time().toString(QStringLiteral("HH:mm:ss"));
        if (m_quando.date() == oggi)
            return Testo2(diz, 1, "Not live: read at %1").arg(ora);
        return Testo2(diz, 2, "Not live: read on %1 at %2")
            .arg(QLocale().toString(m_quando.date(), QLocale::ShortFormat), ora);
    }
    case Origine::File:
        return Testo2(diz, 3, "Not live: from %1").arg(m_file);
    case Origine::Nessuna:
        break;
    }
    return Testo2(diz, 4, "Not live: no ECU read yet");
}

void ModelloBarra::SegnaOrigine(const QDateTime &ora)
{
    m_vista.dalVivo = m_ctx.stato.EcuCollegata();
    if (m_vista.dalVivo) {
        m_origine = Origine::Ecu;
        m_quando = ora;
        m_vista.origine.clear();
    } else {
        m_vista.origine = TestoOrigine(ora.date());
    }
}

bool ModelloBarra::AvvisoTempoGas() const
{
    const Contesto &c = m_ctx;
    // The gas time plus a margin of (sensitivity + 1) x 96 reaches the longest
    // time the engine cycle allows, or the petrol time plus the correction
    // falls below the injectors' minimum opening.
    return (c.Valore(3, 26) + 1) * 96 + c.Valore(1, 0) >= c.Valore(1, 2)
        || c.Valore(1, 3) + c.Valore(1, 1) < c.Valore(3, 16);
}

const VistaBarra &ModelloBarra::AggiornaValori(const QDateTime &ora)
{
    SegnaOrigine(ora);
    const Contesto &c = m_ctx;
    VistaBarra &v = m_vista;
    const qint32 stato = c.Valore(1, 6);
    const QString &sep = c.imp.SepDecimale;
    QString pressione = Nessuno;
    QString temperatura = QString::number(c.Valore(1, 9));
    if ((stato & 1) == 0) {
        // Ignition off: the bar falls by one segment per refresh; the
        // temperature stays.
        v.giri = Nessuno + m_unitaGiri;
        for (int i = VistaBarra::NumSegmenti - 1; i >= 0; --i) {
            if (v.segmenti[i]) {
                v.segmenti[i] = false;
                break;
            }
        }
        v.tempoBenzina = Nessuno + m_unitaMs;
        v.tempoGas = Nessuno + m_unitaMs;
        v.benzina = false;
        v.gas = false;
        v.chiave = false;
        v.valvola = false;
    } else {
        const qint32 giri = c.Valore(1, 4);
        v.giri = QString::number(giri) + m_unitaGiri;
        for (int i = 0; i < VistaBarra::NumSegmenti; ++i)
            v.segmenti[i] = SoglieGiri[i] < giri;
        pressione = FormatMilli(c.Valore(1, 5), 2, sep);
        v.tempoBenzina = FormatMilli(c.Valore(1, 1), 2, sep) + m_unitaMs;
        v.gas = c.Valore(2, 1) == 3;
        v.benzina = !v.gas;
        if (v.gas) {
            v.coloreTempoGas = AvvisoTempoGas() ? VistaBarra::Colore::Rosso : VistaBarra::Colore::Nero;
            v.tempoGas = FormatMilli(c.Valore(1, 0), 2, sep) + m_unitaMs;
        } else {
            v.coloreTempoGas = VistaBarra::Colore::Nero;
            v.tempoGas = Nessuno + m_unitaMs;
        }
        v.chiave = true;
        v.valvola = (stato & 2) != 0;
    }
    // Without any values read there is no temperature to show, not 0.
    if (m_origine == Origine::Nessuna)
        temperatura = Nessuno;
    v.pressione = pressione + m_unitaBar;
    v.temperatura = temperatura + m_unitaTemp;
    LampeggiaAggiornamento();
    return v;
}

void ModelloBarra::LampeggiaAggiornamento()
{
    if (!m_ctx.stato.MarcatoreAggiornamento.isEmpty())
        m_vista.aggiornaRosso = !m_vista.aggiornaRosso;
    else
        m_vista.aggiornaRosso = false;
}

const VistaCommutatore &ModelloBarra::AggiornaCommutatore(double adesso_us)
{
    if (adesso_us > m_prossimaFase) {
        m_prossimaFase = adesso_us + PassoFase_us;
        m_fase = (m_fase + 1) % 4;
    }
    const qint32 parola = m_ctx.Valore(1, 10);
    const bool datiValidi = (m_ctx.Valore(1, 6) & 1) != 0;
    for (size_t i = 0; i < Leds.size(); ++i) {
        const Led &led = Leds[i];
        const bool basso = (parola & led.basso) != 0;
        const bool alto = (parola & led.alto) != 0;
        bool acceso = false;
        if (basso && alto)
            acceso = true;
        else if (alto)
            acceso = (m_fase & 2) != 0;
        else if (basso)
            acceso = (m_fase & 1) != 0;
        if (led.soloConDatiValidi && !datiValidi)
            acceso = false;
        m_commutatore.led[i] = acceso ? led.colore : VistaCommutatore::Colore::Spento;
    }
    m_commutatore.beep = ContaBeep(parola, datiValidi, adesso_us);
    return m_commutatore;
}

int ModelloBarra::ContaBeep(qint32 parola, bool datiValidi, double adesso_us)
{
    const bool lento = (parola & BuzzerLento) != 0;
    const bool veloce = (parola & BuzzerVeloce) != 0;
    // Old values do not beep: the buzzer is the ECU's, now.
    if (!datiValidi || (!lento && !veloce) || !m_ctx.stato.EcuCollegata())
        return 0;
    if (lento && veloce)
        return 1;
    if (lento) {
        if (adesso_us <= m_prossimoBeep)
            return 0;
        m_prossimoBeep = adesso_us + BattitoLento_us;
        return 1;
    }
    // Fast: a beep on every refresh, and a second one on each beat.
    if (adesso_us <= m_prossimoBeep)
        return 1;
    m_prossimoBeep = adesso_us + BattitoVeloce_us;
    return 2;
}

} // namespace gascal
