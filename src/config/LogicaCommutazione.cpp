#include "config/LogicaCommutazione.h"

#include "app/Contesto.h"
#include "app/Conversioni.h"
#include "app/ServiziUi.h"
#include "config/ListeScala.h"

namespace gascal {

namespace {

struct ChiaveScala {
    const char *chiave;
    LogicaCommutazione::Lista lista;
    bool milli;
    bool primoTesto19;
};

constexpr ChiaveScala Chiavi[] = {
    {"[Rpm di commutazione]", LogicaCommutazione::CmbSwtchRpm, false, false},
    {"[Isteresi rpm decelerazione]", LogicaCommutazione::CmbSwtchIsteresi, false, false},
    {"[Temperatura di commutazione]", LogicaCommutazione::CmbSwtchTemp, false, true},
    {"[Forza commutazione s]", LogicaCommutazione::CmbSwtchForce, false, false},
    {"[Tempo di sovrapposizione ms]", LogicaCommutazione::CmbSwitchSovrap, false, false},
    {"[Tempo AutoCalda s]", LogicaCommutazione::CmbTempoAutoCalda, false, true},
    {"[Pressione di fine gas bar]", LogicaCommutazione::CmbSwtchBar, true, false},
    {"[Tempo di fine gas ms]", LogicaCommutazione::CmbSwtchDelayPress, true, false},
    {"[Ritardo di commutazione]", LogicaCommutazione::CmbTempoRitardo, false, false},
};

// Dictionary texts of the lists.
constexpr int TestoSpento = 19;
constexpr int TestoAcceso = 20;
constexpr int TestoAccelerazione = 21;
constexpr int TestoDecelerazione = 22;
constexpr int TestoAvvisoInterpolazione = 23;

} // namespace

LogicaCommutazione::LogicaCommutazione(Contesto &ctx)
    : LogicaPagina(ctx, QStringLiteral("[Frm_Config]"), QStringLiteral("Error 001"))
{
}

bool LogicaCommutazione::GruppoFineGas() const
{
    return m_ctx.scale.MostraFineGas;
}

bool LogicaCommutazione::GruppoAbilitazioni() const
{
    return m_ctx.scale.MostraAbilitazioni;
}

qint32 LogicaCommutazione::Periodo(qint64 rpm, qint32 k)
{
    if (rpm <= 0)
        return PeriodoMassimo;
    const qint64 periodo = Conversioni::Int(static_cast<double>(k) / static_cast<double>(rpm));
    return periodo <= PeriodoMassimo ? static_cast<qint32>(periodo) : PeriodoMassimo;
}

void LogicaCommutazione::RiempiCmbSwtch(const QStringList &FileArr)
{
    for (const ChiaveScala &c : Chiavi)
        RiempiDaChiave(Liste[c.lista], FileArr, QString::fromLatin1(c.chiave), c.milli,
                       c.primoTesto19 ? std::optional<int>(TestoSpento) : std::nullopt);

    Liste[CmbFattore].Svuota();
    Liste[CmbFattore].Voci = {QStringLiteral(" x 1"), QStringLiteral(" x 2")};

    // The lists made of dictionary texts: a missing text is one failed step.
    auto diTesti = [this](Lista l, int a, int b) {
        const auto primo = TestoDiz(a), secondo = TestoDiz(b);
        if (!primo || !secondo) {
            SegnalaErrore(9, QStringLiteral("Subscript out of range"));
            return;
        }
        Liste[l].Svuota();
        Liste[l].Voci = {*primo, *secondo};
    };
    diTesti(CmbswitchDir, TestoAccelerazione, TestoDecelerazione);
    diTesti(CmbFineGas, TestoSpento, TestoAcceso);
    diTesti(CmbEmergenza, TestoSpento, TestoAcceso);

    Liste[CmbTipoSensTemp].Svuota();
    for (const SensoreTabellato &s : m_ctx.scale.TabSensTemp)
        Liste[CmbTipoSensTemp].Voci.append(s.Nome);
    Liste[CmbTipoSensMap].Svuota();
    for (const SensoreTabellato &s : m_ctx.scale.TabSensPress)
        Liste[CmbTipoSensMap].Voci.append(s.Nome);

    for (Lista l : {CmbEmergenza, CmbTipoSensMap, CmbTipoSensTemp})
        Liste[l].Visibile = GruppoAbilitazioni();
    for (Lista l : {CmbFineGas, CmbSwtchBar, CmbSwtchDelayPress})
        Liste[l].Visibile = GruppoFineGas();
}

// ---- choices ---------------------------------------------------------------

std::optional<qint64> LogicaCommutazione::InteroVoce(Lista l) const
{
    return Conversioni::Intero(Liste[l].Testo(), m_ctx.imp.SepDecimale);
}

std::optional<qint64> LogicaCommutazione::MilliVoce(Lista l) const
{
    const auto v = Conversioni::Numero(Liste[l].Testo(), m_ctx.imp.SepDecimale);
    if (!v)
        return std::nullopt;
    return Conversioni::Arrotonda(*v * 1000.0);
}

bool LogicaCommutazione::Scegli(Lista l, int voce)
{
    Liste[l].Seleziona(voce);
    if (!Libera())
        return false;
    const int sel = Liste[l].Selezione;
    auto sostituisci = [this](int indice, std::optional<qint64> valore) {
        if (!valore)
            return false;
        Scrivi({{static_cast<qint32>(*valore), indice, 0}});
        return true;
    };
    auto bit = [this, sel](int maschera) {
        if (sel < 0)
            return false;
        Scrivi({{sel == 0 ? 0 : 1, PosAbilitazioni, maschera}});
        return true;
    };

    switch (l) {
    case CmbSwtchTemp:
        return sostituisci(PosTemperatura, sel == 0 ? std::optional<qint64>(TemperaturaNonUsata)
                                                    : InteroVoce(l));
    case CmbSwitchSovrap:
        return sostituisci(PosSovrapposizione, InteroVoce(l));
    case CmbFineGas:
        return bit(BitFineGas);
    case CmbswitchDir:
        return bit(BitDirezione);
    case CmbEmergenza:
        return bit(BitEmergenza);
    case CmbSwtchIsteresi:
        return sostituisci(PosIsteresi, InteroVoce(l));
    case CmbTempoRitardo:
        return sostituisci(PosRitardo, MilliVoce(l));
    case CmbSwtchRpm: {
        const auto rpm = InteroVoce(l);
        if (!rpm)
            return false;
        return sostituisci(PosPeriodo, Periodo(*rpm, TabelleScala::CostanteGiri(V(PosFattore))));
    }
    case CmbSwtchForce:
        return sostituisci(PosForzatura, MilliVoce(l));
    case CmbSwtchBar:
        return sostituisci(PosPressioneFineGas, MilliVoce(l));
    case CmbSwtchDelayPress:
        return sostituisci(PosTempoFineGas, MilliVoce(l));
    case CmbTempoAutoCalda:
        return sostituisci(PosAutoCalda, sel <= 0 ? std::optional<qint64>(0) : InteroVoce(l));
    case CmbTipoSensTemp:
        if (sel < 0 || sel >= m_ctx.scale.TabSensTemp.size())
            return false;
        return sostituisci(PosSensTemp, m_ctx.scale.TabSensTemp.at(sel).Codice);
    case CmbTipoSensMap:
        if (sel == VoceInterpolazione)
            return SceltaInterpolazione();
        if (sel < 0 || sel >= m_ctx.scale.TabSensPress.size())
            return false;
        return sostituisci(PosSensPress, m_ctx.scale.TabSensPress.at(sel).Codice);
    case CmbFattore:
        return SceltaFattore(sel);
    case NumeroListe:
        break;
    }
    return false;
}

bool LogicaCommutazione::SceltaFattore(int voce)
{
    if (voce < 0)
        return false;
    const qint32 fattore = voce == 0 ? 1 : 2;
    const qint32 kNuovo = TabelleScala::CostanteGiri(fattore);
    qint32 periodo = 0;
    if (const auto rpm = InteroVoce(CmbSwtchRpm)) {
        periodo = Periodo(*rpm, kNuovo);
    } else {
        // No speed shown: the speed the ECU holds keeps its meaning in rpm.
        const qint32 attuale = V(PosPeriodo);
        const qint32 kVecchio = TabelleScala::CostanteGiri(V(PosFattore));
        periodo = attuale == 0 || attuale == PeriodoMassimo
            ? PeriodoMassimo
            : Periodo(Conversioni::Int(static_cast<double>(kVecchio) / attuale), kNuovo);
    }
    Scrivi({{fattore, PosFattore, 0}, {periodo, PosPeriodo, 0}});
    return true;
}

bool LogicaCommutazione::SceltaInterpolazione()
{
    Impostazioni &imp = m_ctx.imp;
    if (V(PosAbilitazioni) & BitFineGas) {
        m_ctx.ui.Messaggio(TestoDiz(TestoAvvisoInterpolazione).value_or(QString()), m_ctx.Titolo(),
                           ServiziUi::Pulsanti::Ok, ServiziUi::Icona::Nessuna);
        imp.FineGasSalvato = 1;
    } else {
        imp.FineGasSalvato = 0;
    }
    imp.CodiceMappaSalvato = V(PosSensPress);
    Accoda({{0, PosAbilitazioni, BitFineGas}, {0, PosSensPress, 0}});
    if (ApriInterpolazione)
        ApriInterpolazione();
    m_ctx.stato.RichiediOperazione(7);
    return true;
}

// ---- refresh ---------------------------------------------------------------

int LogicaCommutazione::VoceAlmeno(Lista l, int da, double fattore, double x) const
{
    return ListeScala::PrimaVoce(Liste[l].Voci, da, m_ctx.imp.SepDecimale,
                                 [=](double v) { return ListeScala::AlmenoUguale(v * fattore, x); });
}

void LogicaCommutazione::AggiornaSelezioni()
{
    InAggiornamento guardia(*this);
    for (int l = 0; l < NumeroListe; ++l)
        AggiornaVoce(static_cast<Lista>(l));
}

void LogicaCommutazione::AggiornaVoce(Lista l)
{
    ListaScelte &lista = Liste[l];
    const qint32 abil = V(PosAbilitazioni);
    const bool conAbil = Esiste(PosAbilitazioni);
    switch (l) {
    case CmbFattore:
        if (!Esiste(PosFattore))
            lista.Seleziona(0);
        else
            lista.Seleziona(V(PosFattore) == 1 ? 0 : V(PosFattore) == 2 ? 1 : -1);
        break;
    case CmbSwtchRpm: {
        if (!Esiste(PosPeriodo))
            break;
        const qint32 periodo = V(PosPeriodo);
        const double k = TabelleScala::CostanteGiri(V(PosFattore));
        qint64 r = PeriodoMassimo;
        if (periodo != 0 && periodo != PeriodoMassimo && Conversioni::Int(k / periodo) < PeriodoMassimo)
            r = Conversioni::Int(k / periodo);
        int voce = VoceAlmeno(l, 0, 1.0, static_cast<double>(r));
        if (voce < 0 && r == PeriodoMassimo)
            voce = ListeScala::PrimaVoce(lista.Voci, 0, m_ctx.imp.SepDecimale,
                                         [](double v) { return v == 0.0; });
        lista.Seleziona(voce);
        break;
    }
    case CmbswitchDir:
        if (conAbil)
            lista.Seleziona((abil & BitDirezione) ? 1 : 0);
        break;
    case CmbSwtchIsteresi:
        if (Esiste(PosIsteresi))
            lista.Seleziona(VoceAlmeno(l, 0, 1.0, V(PosIsteresi)));
        if (conAbil)
            lista.Abilitata = (abil & BitDirezione) == 0;
        break;
    case CmbSwtchTemp:
        if (Esiste(PosTemperatura)) {
            const int voce = VoceAlmeno(l, 1, 1.0, V(PosTemperatura));
            lista.Seleziona(voce < 0 ? 0 : voce);
        }
        break;
    case CmbSwtchForce:
        if (Esiste(PosForzatura))
            lista.Seleziona(VoceAlmeno(l, 0, 1000.0, V(PosForzatura)));
        break;
    case CmbSwitchSovrap:
        if (Esiste(PosSovrapposizione))
            lista.Seleziona(VoceAlmeno(l, 0, 1.0, V(PosSovrapposizione)));
        break;
    case CmbTempoAutoCalda:
        if (!Esiste(PosAutoCalda) || V(PosAutoCalda) == 0)
            lista.Seleziona(0);
        else
            lista.Seleziona(VoceAlmeno(l, 1, 1.0, V(PosAutoCalda)));
        break;
    case CmbTempoRitardo:
        if (Esiste(PosRitardo))
            lista.Seleziona(VoceAlmeno(l, 0, 1000.0, V(PosRitardo)));
        break;
    case CmbFineGas:
        if (conAbil) {
            const bool acceso = abil & BitFineGas;
            lista.Seleziona(acceso ? 1 : 0);
            Liste[CmbSwtchDelayPress].Abilitata = acceso;
            Liste[CmbSwtchBar].Abilitata = acceso;
        }
        break;
    case CmbSwtchBar:
        if (Esiste(PosPressioneFineGas))
            lista.Seleziona(VoceAlmeno(l, 0, 1.0, V(PosPressioneFineGas) / 1000.0));
        break;
    case CmbSwtchDelayPress:
        if (Esiste(PosTempoFineGas))
            lista.Seleziona(VoceAlmeno(l, 0, 1000.0, V(PosTempoFineGas)));
        break;
    case CmbEmergenza:
        if (conAbil)
            lista.Seleziona((abil & BitEmergenza) ? 1 : 0);
        break;
    case CmbTipoSensTemp: {
        lista.Seleziona(-1);
        if (!Esiste(PosSensTemp))
            break;
        for (const SensoreTabellato &s : m_ctx.scale.TabSensTemp)
            if (s.Codice == V(PosSensTemp))
                lista.Seleziona(s.Posizione);
        break;
    }
    case CmbTipoSensMap: {
        lista.Seleziona(-1);
        const bool attiva = m_ctx.InterpolazioneAttiva;
        if (!Esiste(PosSensPress) || (V(PosSensPress) == 0 && attiva)) {
            lista.Seleziona(VoceInterpolazione);
        } else {
            for (const SensoreTabellato &s : m_ctx.scale.TabSensPress)
                if (s.Codice == V(PosSensPress)) {
                    lista.Seleziona(s.Posizione);
                    break;
                }
        }
        lista.Abilitata = !attiva;
        break;
    }
    case NumeroListe:
        break;
    }
}

} // namespace gascal
