#include "config/LogicaIniettori.h"

#include "app/Contesto.h"
#include "app/Conversioni.h"
#include "app/ServiziUi.h"
#include "config/ListeScala.h"
#include "link/MessaggioEcu.h"

#include <limits>

namespace gascal {

namespace {

// Dictionary texts of the page.
constexpr int TestoGpl = 6;
constexpr int TestoCng = 7;
constexpr int TestoMaxPwSpento = 9;
constexpr int TestoDefault = 15;
constexpr int TestoPieno = 16;
constexpr int TestoVuoto = 17;
constexpr int TestoCambioIniettore = 18;

// The design captions of the boxes, for the range message.
const char *const NomiPwm[] = {"PPG", "ON", "OFF"};
const char *const NomiProduzione[] = {"S/N Lotto", "Lotto", "Week", "Year",
                                      "Client",    "SL",    "Num_Cilinder", "ConfigHw"};

} // namespace

LogicaIniettori::LogicaIniettori(Contesto &ctx)
    : LogicaPagina(ctx, QStringLiteral("[Frm_Congif_2]"), QStringLiteral("Error 002")),
      Livello(ctx, *this)
{
}

void LogicaIniettori::CaricaTestiLivello()
{
    if (const auto t = TestoDiz(TestoDefault))
        CaptionDefault = *t;
    if (const auto t = TestoDiz(TestoPieno))
        Livello.TagMassimo = *t;
    if (const auto t = TestoDiz(TestoVuoto))
        Livello.TagMinimo = *t;
    // Until a refresh knows the sensor, each button carries its own word.
    if (!Livello.TagMassimo.isEmpty())
        Livello.CaptionMassimo = Livello.TagMassimo;
    if (!Livello.TagMinimo.isEmpty())
        Livello.CaptionMinimo = Livello.TagMinimo;
}

void LogicaIniettori::RiempiCmbSwtch()
{
    Liste[CmbTipoInjFam].Svuota();
    for (const TipoIniettore &t : m_ctx.scale.TabIniettori)
        Liste[CmbTipoInjFam].Voci.append(t.Nome);

    const auto gpl = TestoDiz(TestoGpl), cng = TestoDiz(TestoCng);
    if (gpl && cng) {
        Liste[CmbTipoAlim].Svuota();
        Liste[CmbTipoAlim].Voci = {*gpl, *cng};
    } else {
        SegnalaErrore(9, QStringLiteral("Subscript out of range"));
    }
    Livello.Riempi();

    const QStringList &righe = m_ctx.scale.RigheConfigScale;
    RiempiDaChiave(Liste[CmbMinOn], righe, QStringLiteral("[Piedistallo Tempo Inj minimo us]"), true);
    RiempiDaChiave(Liste[CmbSens], righe, QStringLiteral("[Sensibilita]"), true);
    RiempiDaChiave(Liste[CmbSogliaMaxPw], righe, QStringLiteral("[Max power rpm]"), false,
                   TestoMaxPwSpento);
    RiempiDaChiave(Liste[CmbSogliaMaxPwTinj], righe, QStringLiteral("[Soglia Tinj max power usec]"),
                   true);
}

// ---- choices ---------------------------------------------------------------

bool LogicaIniettori::Scegli(Lista l, int voce)
{
    Liste[l].Seleziona(voce);
    if (!Libera())
        return false;
    const int sel = Liste[l].Selezione;
    const auto numero = Conversioni::Numero(Liste[l].Testo(), m_ctx.imp.SepDecimale);
    auto sostituisci = [this](int indice, qint64 valore) {
        Scrivi({{static_cast<qint32>(valore), indice, 0}});
        return true;
    };
    switch (l) {
    case CmbTipoInjFam:
        return SceltaIniettore(sel);
    case CmbMinOn: {
        if (!numero)
            return false;
        const qint64 v = Conversioni::Arrotonda(*numero * 1000.0 - 8.0);
        return sostituisci(PosMinOn, v < 0 ? 8 : v);
    }
    case CmbSens:
        return numero && sostituisci(PosSensibilita, Conversioni::Arrotonda(*numero * 10.0));
    case CmbTipoAlim:
        if (sel < 0)
            return false;
        Scrivi({{sel == 0 ? 0 : 1, PosAbilitazioni, BitCng}});
        return true;
    case CmbSogliaMaxPw:
        if (sel <= 0)
            return sostituisci(PosMaxPwRpm, MaxPwSpento);
        return numero && sostituisci(PosMaxPwRpm, Conversioni::Fix(*numero));
    case CmbSogliaMaxPwTinj:
        return numero && sostituisci(PosMaxPwTinj, Conversioni::Fix(*numero * 1000.0 - 128.0));
    case NumeroListe:
        break;
    }
    return false;
}

bool LogicaIniettori::SceltaIniettore(int voce)
{
    Q_UNUSED(voce);
    if (m_ctx.Valore(Contesto::RecLive, LogicaLivello::PosStatoLive) & 1) {
        const QString titolo = TitoloFinestra ? TitoloFinestra() : m_ctx.Titolo();
        if (m_ctx.ui.Messaggio(TestoDiz(TestoCambioIniettore).value_or(QString()), titolo,
                               ServiziUi::Pulsanti::SiNo, ServiziUi::Icona::Nessuna,
                               ServiziUi::Risposta::No)
            != ServiziUi::Risposta::Si) {
            AggiornaSelezioni();
            return false;
        }
    }
    const QString nome = Liste[CmbTipoInjFam].Testo();
    if (nome.isEmpty()) {
        AggiornaSelezioni();
        return false;
    }
    for (const TipoIniettore &t : m_ctx.scale.TabIniettori) {
        if (t.Nome != nome)
            continue;
        // P1 minimum PPG time, P2 PWM off, P3 PWM on, P6 minimum opening.
        Scrivi({{t.Codice, PosFamiglia, 0},
                {t.P[0], PosPpg, 0},
                {t.P[1], PosPwmOff, 0},
                {t.P[2], PosPwmOn, 0},
                {t.P[5], PosMinOn, 0}});
        return true;
    }
    return false;
}

std::pair<qint64, qint64> LogicaIniettori::Intervallo(const QString &tipo, qint32 scala)
{
    std::pair<qint64, qint64> grezzo{std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()};
    if (tipo == QLatin1String("UB"))
        grezzo = {0, 255};
    else if (tipo == QLatin1String("SB"))
        grezzo = {-128, 127};
    else if (tipo == QLatin1String("UW"))
        grezzo = {0, 65535};
    else if (tipo == QLatin1String("SW"))
        grezzo = {-32768, 32767};
    const qint64 s = scala > 0 ? scala : 1;
    return {grezzo.first * s, grezzo.second * s};
}

std::optional<qint32> LogicaIniettori::InteroPer(int record, int k, const QString &testo) const
{
    if (!m_ctx.EsisteValore(record, k))
        return std::nullopt;
    const MsgRecord &r = m_ctx.TabMsg.at(record);
    const auto [minimo, massimo] = Intervallo(r.Tipi.value(k), r.Scala.value(k));
    const auto v = Conversioni::Intero(testo, m_ctx.imp.SepDecimale);
    if (!v || *v < minimo || *v > massimo)
        return std::nullopt;
    return static_cast<qint32>(*v);
}

bool LogicaIniettori::InvioPwm(Casella c, const QString &testo)
{
    if (!Libera())
        return false;
    const int posizione = c == TxtPPG ? PosPpg : c == TxtPWMON ? PosPwmOn : PosPwmOff;
    const auto v = InteroPer(Contesto::RecConfig, posizione, testo);
    if (!v) {
        if (Esiste(posizione)) {
            const MsgRecord &r = m_ctx.TabMsg.at(Contesto::RecConfig);
            const auto [minimo, massimo] = Intervallo(r.Tipi.value(posizione), r.Scala.value(posizione));
            m_ctx.ui.Messaggio(QStringLiteral("%1: %2 .. %3").arg(QLatin1String(NomiPwm[c])).arg(minimo).arg(massimo),
                               m_ctx.Titolo(), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Esclamazione);
        }
        return false;
    }
    Scrivi({{*v, posizione, 0}});
    return true;
}

bool LogicaIniettori::InvioProduzione(int k, const QString &testo)
{
    if (!Libera() || k < 0 || k >= CaselleProduzione)
        return false;
    const int rec = Contesto::RecProduzione;
    const auto v = InteroPer(rec, k, testo);
    if (!v) {
        if (m_ctx.EsisteValore(rec, k)) {
            const MsgRecord &r = m_ctx.TabMsg.at(rec);
            const auto [minimo, massimo] = Intervallo(r.Tipi.value(k), r.Scala.value(k));
            m_ctx.ui.Messaggio(QStringLiteral("%1: %2 .. %3").arg(QLatin1String(NomiProduzione[k])).arg(minimo).arg(massimo),
                               m_ctx.Titolo(), ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Esclamazione);
        }
        return false;
    }
    MsgRecord copia = m_ctx.TabMsg.at(rec);
    copia.Valori[k] = *v;
    m_ctx.code.MessaggioDaInviare = MessaggioEcu::Componi(MessaggioEcu::ServScriviProduzione,
                                                          Blocco::CodificaBlocco(copia));
    m_ctx.stato.RichiediOperazione(Operazione::InviaEMemorizza);
    return true;
}

QString LogicaIniettori::TestoParametriIniettore() const
{
    return QStringLiteral("-MinTimePPG: %1\r\n-PWMON: %2\r\n-PWMOFF: %3")
        .arg(V(PosPpg))
        .arg(V(PosPwmOn))
        .arg(V(PosPwmOff));
}

// ---- refresh ---------------------------------------------------------------

int LogicaIniettori::VoceAlmeno(Lista l, int da, double fattore, double somma, double x) const
{
    return ListeScala::PrimaVoce(Liste[l].Voci, da, m_ctx.imp.SepDecimale, [=](double v) {
        return ListeScala::AlmenoUguale(v * fattore + somma, x);
    });
}

void LogicaIniettori::AggiornaSelezioni()
{
    InAggiornamento guardia(*this);
    if (Esiste(PosFamiglia)) {
        const auto &tabella = m_ctx.scale.TabIniettori;
        for (qsizetype i = 0; i < tabella.size(); ++i) {
            if (tabella.at(i).Nome.isEmpty() || tabella.at(i).Codice != V(PosFamiglia))
                continue;
            if (i < Liste[CmbTipoInjFam].Voci.size())
                Liste[CmbTipoInjFam].Seleziona(static_cast<int>(i));
            break;
        }
    }
    if (Esiste(PosMinOn))
        Liste[CmbMinOn].Seleziona(VoceAlmeno(CmbMinOn, 0, 1000.0, 8.0, V(PosMinOn)));
    if (Esiste(PosSensibilita))
        Liste[CmbSens].Seleziona(VoceAlmeno(CmbSens, 0, 10.0, 0.0, V(PosSensibilita)));
    if (Esiste(PosAbilitazioni))
        Liste[CmbTipoAlim].Seleziona((V(PosAbilitazioni) & BitCng) ? 1 : 0);
    if (Esiste(PosMaxPwRpm)) {
        ListaScelte &maxPw = Liste[CmbSogliaMaxPw];
        maxPw.Seleziona(V(PosMaxPwRpm) == MaxPwSpento ? 0
                                                      : VoceAlmeno(CmbSogliaMaxPw, 1, 1.0, 0.0, V(PosMaxPwRpm)));
    }
    Liste[CmbSogliaMaxPwTinj].Abilitata = Liste[CmbSogliaMaxPw].Selezione != 0;
    if (Esiste(PosMaxPwTinj))
        Liste[CmbSogliaMaxPwTinj].Seleziona(VoceAlmeno(CmbSogliaMaxPwTinj, 0, 1000.0, 0.0, V(PosMaxPwTinj)));
    Livello.AggiornaSelezioni();
    Pwm[TxtPPG] = QString::number(V(PosPpg));
    Pwm[TxtPWMON] = QString::number(V(PosPwmOn));
    Pwm[TxtPWMOFF] = QString::number(V(PosPwmOff));
    for (int i = 0; i < CaselleProduzione; ++i)
        Text1[i] = QString::number(m_ctx.Valore(Contesto::RecProduzione, i));
    Frame1Visibile = false;
}

} // namespace gascal
