#include "config/ImpostazioniPerNome.h"

#include "app/Contesto.h"

namespace gascal {

ImpostazioniPerNome::ImpostazioniPerNome(Contesto &ctx) : Commutazione(ctx), Iniettori(ctx), m_ctx(ctx)
{
    using C = LogicaCommutazione;
    using I = LogicaIniettori;
    auto c = [this](const char *nome, C::Lista l) {
        m_liste.push_back({nome, &Commutazione.Liste[l], [this, l](int v) { return Commutazione.Scegli(l, v); }});
    };
    auto i = [this](const char *nome, I::Lista l) {
        m_liste.push_back({nome, &Iniettori.Liste[l], [this, l](int v) { return Iniettori.Scegli(l, v); }});
    };
    c("rpm-factor", C::CmbFattore);
    c("switch-rpm", C::CmbSwtchRpm);
    c("switch-direction", C::CmbswitchDir);
    c("hysteresis-rpm", C::CmbSwtchIsteresi);
    c("switch-temp", C::CmbSwtchTemp);
    c("forced-switch-s", C::CmbSwtchForce);
    c("overlap-ms", C::CmbSwitchSovrap);
    c("warm-up-s", C::CmbTempoAutoCalda);
    c("switch-delay-s", C::CmbTempoRitardo);
    c("end-of-gas", C::CmbFineGas);
    c("end-of-gas-bar", C::CmbSwtchBar);
    c("end-of-gas-time-s", C::CmbSwtchDelayPress);
    c("emergency-start", C::CmbEmergenza);
    c("pressure-sensor", C::CmbTipoSensMap);
    c("temp-sensor", C::CmbTipoSensTemp);
    i("injector", I::CmbTipoInjFam);
    i("min-opening-ms", I::CmbMinOn);
    i("sensitivity-ms", I::CmbSens);
    i("fuel", I::CmbTipoAlim);
    i("max-power-rpm", I::CmbSogliaMaxPw);
    i("max-power-tinj-ms", I::CmbSogliaMaxPwTinj);
    m_liste.push_back({"level-sensor", &Iniettori.Livello.CmbTipoLev,
                       [this](int v) { return Iniettori.Livello.SceltaTipo(v); }});

    // The level marks in raw counts, and the injector drive values.
    auto marca = [this](int k) {
        return [this, k] {
            const LogicaLivello &liv = Iniettori.Livello;
            return Iniettori.V(liv.PosizioneMarca(k, liv.Invertito()));
        };
    };
    m_valori = {
        {"level-r", marca(3)},
        {"level-1-4", marca(2)},
        {"level-2-4", marca(1)},
        {"level-3-4", marca(0)},
        {"injector-ppg", [this] { return Iniettori.V(I::PosPpg); }},
        {"injector-pwm-on", [this] { return Iniettori.V(I::PosPwmOn); }},
        {"injector-pwm-off", [this] { return Iniettori.V(I::PosPwmOff); }},
    };
}

void ImpostazioniPerNome::RiempiListe()
{
    Commutazione.RiempiCmbSwtch(m_ctx.scale.RigheConfigScale);
    Iniettori.CaricaTestiLivello();
    Iniettori.RiempiCmbSwtch();
}

void ImpostazioniPerNome::Aggiorna()
{
    Commutazione.AggiornaSelezioni();
    Iniettori.AggiornaSelezioni();
}

const ImpostazioniPerNome::Voce *ImpostazioniPerNome::Trova(const QString &nome) const
{
    for (const Voce &v : m_liste)
        if (nome == QLatin1String(v.nome))
            return &v;
    return nullptr;
}

QString ImpostazioniPerNome::Riga(const QString &nome) const
{
    if (const Voce *v = Trova(nome)) {
        const QString testo = v->lista->Testo().trimmed();
        return nome + QStringLiteral(" = ") + (v->lista->Selezione < 0 ? QStringLiteral("-") : testo);
    }
    for (const Valore &v : m_valori)
        if (nome == QLatin1String(v.nome))
            return nome + QStringLiteral(" = ") + QString::number(v.leggi());
    return {};
}

QStringList ImpostazioniPerNome::Righe() const
{
    QStringList righe;
    for (const QString &nome : NomiTutti())
        righe << Riga(nome);
    return righe;
}

QStringList ImpostazioniPerNome::NomiListe() const
{
    QStringList nomi;
    for (const Voce &v : m_liste)
        nomi << QLatin1String(v.nome);
    return nomi;
}

QStringList ImpostazioniPerNome::NomiTutti() const
{
    QStringList nomi = NomiListe();
    for (const Valore &v : m_valori)
        nomi << QLatin1String(v.nome);
    return nomi;
}

const ListaScelte *ImpostazioniPerNome::Lista(const QString &nome) const
{
    const Voce *v = Trova(nome);
    return v ? v->lista : nullptr;
}

int ImpostazioniPerNome::CercaVoce(const ListaScelte &lista, const QString &voce)
{
    const QString cercata = voce.trimmed();
    for (int i = 0; i < lista.Voci.size(); ++i)
        if (lista.Voci.at(i).trimmed() == cercata)
            return i;
    return -1;
}

QString ImpostazioniPerNome::Ostacolo(const QString &nome, int voce) const
{
    const ListaScelte *lista = Lista(nome);
    if (!lista)
        return QStringLiteral("unknown setting");
    if (!lista->Visibile)
        return QStringLiteral("the scale configuration hides this setting");
    if (!lista->Abilitata)
        return QStringLiteral("the page disables this setting now (it depends on another one)");
    if (lista == &Commutazione.Liste[LogicaCommutazione::CmbTipoSensMap]
        && voce == LogicaCommutazione::VoceInterpolazione)
        return QStringLiteral("the interpolation entry opens the interpolation window: choose it in GasCal");
    return {};
}

bool ImpostazioniPerNome::Scegli(const QString &nome, int voce)
{
    const Voce *v = Trova(nome);
    return v && v->scegli(voce);
}

} // namespace gascal
