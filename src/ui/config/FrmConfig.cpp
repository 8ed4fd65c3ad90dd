#include "ui/config/FrmConfig.h"

#include "app/Contesto.h"
#include "ui/common/ApplicaFont.h"
#include "ui/common/Forma.h"
#include "ui/common/Twips.h"
#include "ui/config/ControlliConfig.h"

#include <QComboBox>
#include <QLabel>

namespace gascal {

using namespace ControlliConfig;
using L = LogicaCommutazione;

namespace {

const char *const NomiCmb[L::NumeroListe] = {
    "CmbFattore",         "CmbSwtchRpm",     "CmbswitchDir",      "CmbSwtchIsteresi",
    "CmbSwtchTemp",       "CmbSwtchForce",   "CmbSwitchSovrap",   "CmbTempoAutoCalda",
    "CmbTempoRitardo",    "CmbFineGas",      "CmbSwtchBar",       "CmbSwtchDelayPress",
    "CmbEmergenza",       "CmbTipoSensMap",  "CmbTipoSensTemp"};

// Rows of the three groups (twips).
constexpr int RigaPrima = 600;
constexpr int Passo = 480;
constexpr int AltezzaCombo = 360;

Forma *Cornice(QWidget *genitore, const char *nome)
{
    auto *f = new Forma(Forma::Tipo::Rettangolo, genitore);
    f->setObjectName(QLatin1String(nome));
    f->ImpostaOpaca(false);
    f->ImpostaColoreBordo(QColor(128, 128, 128));
    return f;
}

} // namespace

FrmConfig::FrmConfig(Contesto &ctx, QWidget *parent) : PaginaEditor(parent), Logica(ctx), m_ctx(ctx)
{
    setObjectName(QStringLiteral("FrmConfig"));
    setAutoFillBackground(true);
    CreaControlli();
    DisponiControlli();
    Logica.ApriInterpolazione = [this] {
        if (ApriInterpolazione)
            ApriInterpolazione();
    };
    // Form_Load: texts, lists, font.
    CaricaLingua();
    RiempiListe();
}

void FrmConfig::CreaControlli()
{
    ShpParaComm = Cornice(this, "ShpParaComm");
    ShpParaFineGas = Cornice(this, "ShpParaFineGas");
    ShpParaAbilitazioni = Cornice(this, "ShpParaAbilitazioni");
    for (int l = 0; l < L::NumeroListe; ++l) {
        Cmb[l] = Combo(this, NomiCmb[l]);
        connect(Cmb[l], &QComboBox::activated, this,
                [this, l](int voce) { Logica.Scegli(static_cast<Lista>(l), voce); });
    }
    LblParaComm = Titolo(this, "LblParaComm", QStringLiteral("** PARAMETRI DI COMMUTAZIONE"));
    LblFattore = Etichetta(this, "LblFattore", QStringLiteral("** FATTORE GIRI"));
    LblSwtchRpm = Etichetta(this, "LblSwtchRpm", QStringLiteral("** SOGLIA (rpm)"));
    LblDirSwtich = Etichetta(this, "LblDirSwtich", QStringLiteral("** DIREZIONE"));
    LblIsteresi = Etichetta(this, "LblIsteresi", QStringLiteral("** ISTERESI (rpm)"));
    LblSwtchTemp = Etichetta(this, "LblSwtchTemp", QStringLiteral("**TEMPERATURA (°c)"));
    LblSwtchForce = Etichetta(this, "LblSwtchForce", QStringLiteral("** FORZA COMMUTAZIONE (s)"));
    LblSwitchSovra = Etichetta(this, "LblSwitchSovra", QStringLiteral("** SOVRAPPONI ALIMENTAZIONI (s)"));
    LblTempoAutoCalda = Etichetta(this, "LblTempoAutoCalda", QStringLiteral("**AUTO CALDA (min)"));
    LblTempoRitardo = Etichetta(this, "LblTempoRitardo", QStringLiteral("** RITARDO (s)"));
    LblParaFineGas = Titolo(this, "LblParaFineGas", QStringLiteral("** GESTIONE FINE GAS"));
    LblFineGas = Etichetta(this, "LblFineGas", QStringLiteral("**ABILITA"));
    LblSwtchBar = Etichetta(this, "LblSwtchBar", QStringLiteral("** PRESSIONE (bar)"));
    LblSwtchDelayPress = Etichetta(this, "LblSwtchDelayPress", QStringLiteral("** TEMPO (s)"));
    LblParaAbilitazioni = Titolo(this, "LblParaAbilitazioni", QStringLiteral("** ABILITAZIONI"));
    LblEmergenza = Etichetta(this, "LblEmergenza", QStringLiteral("** PART. EMERG."));
    LblTipoSensMap = Etichetta(this, "LblTipoSensMap", QStringLiteral("** SENSORE PRESS"));
    LblTipoSensTemp = Etichetta(this, "LblTipoSensTemp", QStringLiteral("**SENSORE TEMP."));
}

void FrmConfig::DisponiControlli()
{
    // Switch-over group at the left, end-of-gas and options at the right.
    struct Riga {
        QLabel *etichetta;
        Lista lista;
    };
    auto gruppo = [this](Forma *cornice, QLabel *titolo, int left, int top, int width,
                         int larghezzaEtichetta, std::initializer_list<Riga> righe) {
        const int n = static_cast<int>(righe.size());
        Twips::Posiziona(cornice, left, top, width, RigaPrima + n * Passo + 60);
        PosizionaTitolo(titolo, left + 180, top);
        int i = 0;
        for (const Riga &r : righe) {
            const int y = top + RigaPrima - 180 + i * Passo;
            PosizionaEtichetta(r.etichetta, left + 180, y, larghezzaEtichetta);
            r.etichetta->setBuddy(Cmb[r.lista]); // the list's name for screen readers
            const int xCombo = left + 240 + larghezzaEtichetta;
            Twips::Posiziona(Cmb[r.lista], xCombo, y, left + width - 180 - xCombo, AltezzaCombo);
            ++i;
        }
    };
    gruppo(ShpParaComm, LblParaComm, 240, 300, 6500, 3300,
           {{LblFattore, L::CmbFattore},
            {LblSwtchRpm, L::CmbSwtchRpm},
            {LblDirSwtich, L::CmbswitchDir},
            {LblIsteresi, L::CmbSwtchIsteresi},
            {LblSwtchTemp, L::CmbSwtchTemp},
            {LblSwtchForce, L::CmbSwtchForce},
            {LblSwitchSovra, L::CmbSwitchSovrap},
            {LblTempoAutoCalda, L::CmbTempoAutoCalda},
            {LblTempoRitardo, L::CmbTempoRitardo}});
    gruppo(ShpParaFineGas, LblParaFineGas, 6980, 300, 6500, 2900,
           {{LblFineGas, L::CmbFineGas},
            {LblSwtchBar, L::CmbSwtchBar},
            {LblSwtchDelayPress, L::CmbSwtchDelayPress}});
    gruppo(ShpParaAbilitazioni, LblParaAbilitazioni, 6980, 2880, 6500, 2600,
           {{LblEmergenza, L::CmbEmergenza},
            {LblTipoSensMap, L::CmbTipoSensMap},
            {LblTipoSensTemp, L::CmbTipoSensTemp}});
}

void FrmConfig::CaricaLingua()
{
    ApplicaFont(this, m_ctx.diz.FontCharset, m_ctx.diz.FontNome);
    // The pressure-sensor list is also the way into the interpolation window.
    const QString nota = m_ctx.diz.TestoSezione(QStringLiteral("[Frm_Config_Note]"), 1);
    // It says so in its tooltip, and on the status line while the pointer is on it.
    for (QWidget *w : {static_cast<QWidget *>(Cmb[L::CmbTipoSensMap]), static_cast<QWidget *>(LblTipoSensMap)})
        if (w->toolTip() != nota) {
            w->setToolTip(nota);
            w->setStatusTip(nota);
        }
    const QString sezione = QStringLiteral("[Frm_Config]");
    if (m_ctx.diz.Sezione(sezione) < 0)
        return; // the design texts stay
    const std::array<QLabel *, 18> ordine = {
        LblParaComm,    LblFattore,        LblSwtchRpm,     LblDirSwtich,   LblIsteresi,
        LblSwtchTemp,   LblSwtchForce,     LblSwitchSovra,  LblTempoAutoCalda, LblTempoRitardo,
        LblParaFineGas, LblFineGas,        LblSwtchBar,     LblSwtchDelayPress, LblParaAbilitazioni,
        LblEmergenza,   LblTipoSensMap,    LblTipoSensTemp};
    const qsizetype base = m_ctx.diz.Sezione(sezione);
    for (int n = 0; n < 18; ++n)
        if (base + n + 1 < m_ctx.diz.Numero())
            ImpostaTesto(ordine[n], m_ctx.diz.Testo(base + n + 1));
    DisponiControlli(); // the titles and captions take their new sizes
}

void FrmConfig::RiempiListe()
{
    Logica.RiempiCmbSwtch(m_ctx.scale.RigheConfigScale);
    MostraGruppi();
    MostraListe();
}

void FrmConfig::MostraGruppi()
{
    const bool abilitazioni = Logica.GruppoAbilitazioni();
    for (QWidget *w : std::initializer_list<QWidget *>{ShpParaAbilitazioni, LblParaAbilitazioni,
                                                        LblEmergenza, LblTipoSensMap, LblTipoSensTemp})
        ImpostaVisibile(w, abilitazioni);
    const bool fineGas = Logica.GruppoFineGas();
    for (QWidget *w : std::initializer_list<QWidget *>{ShpParaFineGas, LblParaFineGas, LblFineGas,
                                                        LblSwtchBar, LblSwtchDelayPress})
        ImpostaVisibile(w, fineGas);
}

void FrmConfig::MostraListe()
{
    for (int l = 0; l < L::NumeroListe; ++l)
        Mostra(Cmb[l], Logica.Liste[l]);
}

void FrmConfig::AggiornaSelezioni()
{
    Logica.AggiornaSelezioni();
    LogicaPagina::InAggiornamento guardia(Logica);
    MostraListe();
}

} // namespace gascal
