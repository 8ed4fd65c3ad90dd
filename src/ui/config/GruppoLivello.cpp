#include "ui/config/GruppoLivello.h"

#include "config/LogicaLivello.h"
#include "config/LogicaPagina.h"
#include "ui/common/FiltroRotella.h"
#include "ui/common/Forma.h"
#include "ui/common/Twips.h"
#include "ui/config/ControlliConfig.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

namespace gascal {

using namespace ControlliConfig;

namespace {

QPushButton *Pulsante(QWidget *genitore, const char *nome, const QString &testo)
{
    auto *b = new QPushButton(testo, genitore);
    b->setObjectName(QLatin1String(nome));
    return b;
}

const QColor Acceso(0, 200, 0);

} // namespace

GruppoLivello::GruppoLivello(LogicaLivello &logica, QWidget *pagina)
    : QObject(pagina), m_logica(logica), m_pagina(pagina)
{
    ShpLivello = new Forma(Forma::Tipo::Rettangolo, pagina);
    ShpLivello->setObjectName(QStringLiteral("ShpLivello"));
    ShpLivello->ImpostaOpaca(false);
    ShpLivello->ImpostaColoreBordo(QColor(128, 128, 128));
    LblParaFineGas = Titolo(pagina, "LblParaFineGas", QStringLiteral("** SENSORE LIVELLO"));
    CmbTipoLev = Combo(pagina, "CmbTipoLev");
    CmdLevDef = Pulsante(pagina, "CmdLevDef", QStringLiteral("**DEFAULT"));
    LblLivelli = Etichetta(pagina, "LblLivelli", QStringLiteral("**LIVELLI"));
    LblLevelNoFiltro = Etichetta(pagina, "LblLevelNoFiltro", QStringLiteral("**LIVELLO NON FILTRATO (v)"));
    LblLevelFiltro = Etichetta(pagina, "LblLevelFiltro", QStringLiteral("**LIVELLO FILTRATO (v)"));
    LblLevelNoFiltroVal = Etichetta(pagina, "LblLevelNoFiltroVal", logica.LblLevelNoFiltroVal);
    LblLevelFiltroVal = Etichetta(pagina, "LblLevelFiltroVal", logica.LblLevelFiltroVal);
    for (QLabel *val : {LblLevelNoFiltroVal, LblLevelFiltroVal}) {
        QFont f = val->font();
        f.setBold(true);
        val->setFont(f);
        val->setAlignment(Qt::AlignVCenter | Qt::AlignRight);
    }
    CmdMinimo = Pulsante(pagina, "CmdMinimo", logica.CaptionMinimo);
    CmdMassimo = Pulsante(pagina, "CmdMassimo", logica.CaptionMassimo);
    for (int k = 0; k < 4; ++k) {
        LblLevel[k] = Etichetta(pagina, "LblLevel", logica.LblLevel[k]);
        LblLevel[k]->setObjectName(QStringLiteral("LblLevel%1").arg(k));
        HScrLevel[k] = new QScrollBar(Qt::Horizontal, pagina);
        HScrLevel[k]->setObjectName(QStringLiteral("HScrLevel%1").arg(k));
        HScrLevel[k]->setRange(0, LogicaLivello::MassimoBarra);
        HScrLevel[k]->setSingleStep(1);
        HScrLevel[k]->setPageStep(10);
        // A drag writes once, when the bar is released.
        HScrLevel[k]->setTracking(false);
        // A wheel turned to scroll the page must not move a mark.
        FiltroRotella::Applica(HScrLevel[k]);
        connect(HScrLevel[k], &QScrollBar::valueChanged, this,
                [this, k](int valore) { HScrLevel_Change(k, valore); });
        ShpLevel[k] = new Forma(Forma::Tipo::Cerchio, pagina);
        ShpLevel[k]->setObjectName(QStringLiteral("ShpLevel%1").arg(k));
        ShpLevel[k]->ImpostaColoreRiempimento(Acceso);
        ShpLevel[k]->ImpostaColoreBordo(QColor(64, 64, 64));
        ShpLevel[k]->ImpostaOpaca(false);
    }
    connect(CmbTipoLev, &QComboBox::activated, this, [this](int voce) { m_logica.SceltaTipo(voce); });
    connect(CmdLevDef, &QPushButton::clicked, this, [this] { m_logica.Default(); });
    connect(CmdMinimo, &QPushButton::clicked, this, [this] { m_logica.Minimo(); });
    connect(CmdMassimo, &QPushButton::clicked, this, [this] { m_logica.Massimo(); });
}

void GruppoLivello::Disponi(int left, int top, int width)
{
    const int x = left + 180;
    const int interno = width - 360;
    Twips::Posiziona(ShpLivello, left, top, width, 4920);
    PosizionaTitolo(LblParaFineGas, x, top);
    LblParaFineGas->setBuddy(CmbTipoLev); // the sensor type list has the group's title
    for (int k = 0; k < 4; ++k)
        LblLevel[k]->setBuddy(HScrLevel[k]);
    Twips::Posiziona(CmbTipoLev, x, top + 300, interno - 1980, 360);
    Twips::Posiziona(CmdLevDef, x + interno - 1860, top + 270, 1860, 420);
    Twips::Posiziona(LblLivelli, x, top + 840, interno, 300);
    for (int k = 0; k < 4; ++k) {
        const int y = top + 1200 + k * 480;
        Twips::Posiziona(LblLevel[k], x, y - 15, 1980, 330);
        Twips::Posiziona(HScrLevel[k], x + 2040, y + 15, interno - 2040 - 480, 270);
        Twips::Posiziona(ShpLevel[k], x + interno - 300, y + 30, 240, 240);
    }
    Twips::Posiziona(LblLevelNoFiltro, x, top + 3240, interno - 1200, 330);
    Twips::Posiziona(LblLevelNoFiltroVal, x + interno - 1200, top + 3240, 1200, 330);
    Twips::Posiziona(LblLevelFiltro, x, top + 3600, interno - 1200, 330);
    Twips::Posiziona(LblLevelFiltroVal, x + interno - 1200, top + 3600, 1200, 330);
    const int meta = (interno - 120) / 2;
    Twips::Posiziona(CmdMinimo, x, top + 4200, meta, 480);
    Twips::Posiziona(CmdMassimo, x + meta + 120, top + 4200, meta, 480);
}

void GruppoLivello::HScrLevel_Change(int k, int valore)
{
    if (m_logica.Pagina().AggiornamentoInCorso)
        return;
    HScrLevel[k]->setEnabled(false);
    m_logica.SpostaBarra(k, valore);
    {
        // The neighbours it passed follow on screen without writing.
        LogicaPagina::InAggiornamento guardia(m_logica.Pagina());
        for (int n = 0; n < 4; ++n)
            if (HScrLevel[n]->value() != m_logica.HScrLevel[n])
                HScrLevel[n]->setValue(m_logica.HScrLevel[n]);
    }
    HScrLevel[k]->setEnabled(true);
    HScrLevel[k]->setFocus();
}

void GruppoLivello::Mostra()
{
    LogicaPagina::InAggiornamento guardia(m_logica.Pagina());
    ControlliConfig::Mostra(CmbTipoLev, m_logica.CmbTipoLev);
    for (int k = 0; k < 4; ++k) {
        if (HScrLevel[k]->value() != m_logica.HScrLevel[k])
            HScrLevel[k]->setValue(m_logica.HScrLevel[k]);
        ImpostaTesto(LblLevel[k], m_logica.LblLevel[k]);
    }
    if (CmdMinimo->text() != m_logica.CaptionMinimo)
        CmdMinimo->setText(m_logica.CaptionMinimo);
    if (CmdMassimo->text() != m_logica.CaptionMassimo)
        CmdMassimo->setText(m_logica.CaptionMassimo);
}

void GruppoLivello::MostraLive()
{
    ImpostaTesto(LblLevelFiltroVal, m_logica.LblLevelFiltroVal);
    ImpostaTesto(LblLevelNoFiltroVal, m_logica.LblLevelNoFiltroVal);
    for (int k = 0; k < 4; ++k)
        ShpLevel[k]->ImpostaOpaca(m_logica.ShpLevel[k]);
}

} // namespace gascal
