#include "ui/main/BarraComandi.h"
#include "ui/main/BarraStato.h"

#include "app/Contesto.h"
#include "app/FileSistema.h"
#include "app/ServiziUi.h"
#include "app/Impostazioni.h"
#include "autotune/FrmAutotuning.h"
#include "interp/FrmInterpola.h"
#include "mapfile/Identita.h"
#include "mapfile/Mappa.h"
#include "ui/common/ApplicaFont.h"
#include "ui/common/PaginaEditor.h"
#include "ui/common/TraduzioniQt.h"
#include "ui/main/ControlliDatalog.h"
#include "ui/main/FrmBar.h"
#include "ui/main/FrmWait.h"
#include "ui/main/MDIFrm.h"

#include <QFileInfo>
#include <QPushButton>

namespace gascal {

const QString BarraComandi::FiltroMappe =
    QStringLiteral("View Files  (*.var)|*.var|All Files  (*.*)|*.*");
const QString BarraComandi::FiltroAggiornamento =
    QStringLiteral("Update  (*.frh)|*.frh|All Files  (*.*)|*.*");

namespace {
const QString Sezione = QStringLiteral("[Frm_Barra]");
const QString Acapo = QStringLiteral("\r\n");

QString TitoloDi(const QString &percorso)
{
    return QStringLiteral(" - [") + QFileInfo(percorso).fileName() + QStringLiteral("] ");
}
} // namespace

BarraComandi::BarraComandi(Contesto &ctx, MDIFrm &frame, QObject *parent)
    : QObject(parent), m_ctx(ctx), m_frame(frame)
{
}

void BarraComandi::Collega(FrmBar &barra)
{
    connect(barra.CmdInfo, &QPushButton::clicked, this, &BarraComandi::CmdInfo_Click);
    connect(barra.CmdLingua, &QPushButton::clicked, this, &BarraComandi::CmdLingua_Click);
    connect(barra.CmdMapOpen, &QPushButton::clicked, this, &BarraComandi::CmdMapOpen_Click);
    connect(barra.CmdMapSave, &QPushButton::clicked, this, &BarraComandi::CmdMapSave_Click);
    connect(barra.CmdUpdate, &QPushButton::clicked, this, &BarraComandi::CmdUpdate_Click);
}

QString BarraComandi::TestoInfo() const
{
    const QByteArray ecu = m_ctx.TabMsg.value(Contesto::RecIdentita).Immagine;
    const QByteArray &atteso = m_ctx.imp.FirmwareAtteso;
    QStringList dati;
    for (int k = 0; k <= 6; ++k)
        dati.append(QString::number(m_ctx.Valore(Contesto::RecProduzione, k)));
    const QStringList righe = {
        m_ctx.diz.TestoSezione(Sezione, 5),
        QString(),
        QStringLiteral("PC  : ") + Impostazioni::Versione(),
        QString(),
        QStringLiteral("ECU : ") + Identita::FormatVersione(ecu) + QLatin1Char(' ')
            + QString::fromLatin1(Identita::TerzaParola(ecu)),
        QString(),
        QStringLiteral("FILE: ") + Identita::FormatVersione(atteso) + QLatin1Char(' ')
            + QString::fromLatin1(Identita::TerzaParola(atteso)),
        QString(),
        QStringLiteral("DATA: ") + dati.join(QLatin1Char(' ')),
    };
    // The same production data with their names, and the port in use.
    const QString sezione2 = QStringLiteral("[Frm_Barra_2]");
    QStringList nominati;
    for (int k = 0; k <= 6; ++k)
        nominati.append(m_ctx.diz.TestoSezione(sezione2, 24 + k) + QLatin1Char(' ') + dati.at(k));
    QStringList altre = {QString(),
                         m_ctx.diz.TestoSezione(sezione2, 23) + QStringLiteral(": ")
                             + nominati.join(QStringLiteral(", "))};
    const std::optional<RapportoPorta> &porta = m_ctx.diagnosi.Collegata();
    const StatoApp &st = m_ctx.stato;
    const bool collegato = st.ErroreComunicazione == 0
        && (st.StatoProgramma == StatoApp::Connesso || st.StatoProgramma == StatoApp::Operazione
            || st.StatoProgramma == StatoApp::Autotuning);
    if (porta && collegato) {
        QString dove = QString::number(porta->porta);
        if (!porta->dispositivo.isEmpty())
            dove += QStringLiteral(" (") + porta->dispositivo + QLatin1Char(')');
        altre << QString() << m_ctx.diz.TestoSezione(sezione2, 31) + QStringLiteral(": ") + dove;
    }
    return (righe + altre).join(Acapo);
}

void BarraComandi::CmdInfo_Click()
{
    m_ctx.ui.Messaggio(TestoInfo(), m_ctx.Titolo(), ServiziUi::Pulsanti::Ok,
                       ServiziUi::Icona::Domanda);
}

void BarraComandi::CmdLingua_Click()
{
    const Impostazioni &imp = m_ctx.imp;
    m_ctx.diz.CaricaDizionario(true, {imp.FileTestDiz, imp.FileDizIni, imp.FileFontIni});
    TraduzioniQt::Applica(m_ctx.diz.LinguaCorrente);
    m_frame.AggiornaTitolo();
    if (m_ctx.stato.StatoProgramma == StatoApp::Offline)
        m_frame.setWindowTitle(m_frame.windowTitle() + QStringLiteral("  - [OFFLINE]"));
    const int charset = m_ctx.diz.FontCharset;
    const QString &font = m_ctx.diz.FontNome;
    ApplicaFont(&m_frame, charset, font);
    m_frame.Barra()->CaricaLingua();
    m_frame.FrmRetta()->CaricaLingua();
    for (PaginaEditor *pagina : {m_frame.FrmConfig(), m_frame.FrmConfig_2()}) {
        pagina->CaricaLingua();
        pagina->RiempiListe();
        pagina->AggiornaSelezioni();
    }
    m_frame.Attesa()->CaricaLingua();
    m_frame.Datalog()->CaricaLingua();
    m_frame.Autotuning()->CaricaLingua();
    m_frame.Stato()->CaricaLingua();
    if (m_frame.Interpola())
        m_frame.Interpola()->CaricaLingua();
}

void BarraComandi::CmdMapOpen_Click()
{
    StatoApp &s = m_ctx.stato;
    s.FileDefinizioni.clear();
    const QString percorso = m_ctx.ui.ApriFile(FiltroMappe, m_ctx.imp.CartellaDati);
    if (percorso.isEmpty())
        return;
    ApriMappa(percorso);
}

void BarraComandi::ApriMappa(const QString &percorso)
{
    StatoApp &s = m_ctx.stato;
    s.FileDefinizioni = percorso;
    RicordaTitolo();
    s.TitoloFile = TitoloDi(percorso);
    s.RichiediOperazione(Operazione::CaricaMappa);
    if (s.StatoProgramma == StatoApp::Offline) {
        m_frame.setWindowTitle(m_frame.TitoloBase() + QStringLiteral(" - [") + m_ctx.diz.Testo(6)
                               + QStringLiteral("] ") + s.TitoloFile);
        s.FileDefOffline = s.FileDefinizioni;
    } else {
        m_frame.AggiornaTitolo();
    }
}

void BarraComandi::CmdMapSave_Click()
{
    StatoApp &s = m_ctx.stato;
    if (s.StatoProgramma == StatoApp::Offline)
        return;
    s.FileDefinizioni.clear();
    const QString percorso =
        Mappa::ConEstensione(m_ctx.ui.SalvaFile(FiltroMappe, m_ctx.imp.CartellaDati));
    if (percorso.isEmpty())
        return;
    if (FileExist(percorso)) {
        const QString domanda = percorso + Acapo + m_ctx.diz.TestoSezione(Sezione, 6) + Acapo
            + m_ctx.diz.TestoSezione(Sezione, 7);
        if (m_ctx.ui.Messaggio(domanda, m_ctx.Titolo(), ServiziUi::Pulsanti::SiNo,
                               ServiziUi::Icona::Domanda, ServiziUi::Risposta::No)
            != ServiziUi::Risposta::Si)
            return;
    }
    s.FileDefinizioni = percorso;
    RicordaTitolo();
    s.TitoloFile = TitoloDi(percorso);
    s.RichiediOperazione(Operazione::SalvaMappa);
    m_frame.AggiornaTitolo();
}

void BarraComandi::RicordaTitolo()
{
    m_titoloFilePrima = m_ctx.stato.TitoloFile;
    m_titoloPrima = m_frame.windowTitle();
    m_titoloInSospeso = true;
}

void BarraComandi::EsitoFile(bool riuscito)
{
    if (!m_titoloInSospeso)
        return;
    m_titoloInSospeso = false;
    // A file that was not saved or loaded does not name the window.
    if (!riuscito) {
        m_ctx.stato.TitoloFile = m_titoloFilePrima;
        m_frame.setWindowTitle(m_titoloPrima);
    }
}

void BarraComandi::CmdUpdate_Click()
{
    const QString percorso = m_ctx.ui.ApriFile(FiltroAggiornamento, m_ctx.imp.CartellaDati);
    if (percorso.isEmpty())
        return;
    m_ctx.stato.MarcatoreAggiornamento.clear();
    m_frame.Barra()->SpegniAggiornamento();
}

} // namespace gascal
