#pragma once

#include <QObject>

namespace gascal {

class Contesto;
class FrmBar;
class MDIFrm;

// The command buttons of the live bar: ECU information, language, open and
// save a map file, firmware update. Commands that need the ECU only request
// an operation; the frame's Timer1 carries it out.
class BarraComandi : public QObject
{
    Q_OBJECT
public:
    static const QString FiltroMappe;
    static const QString FiltroAggiornamento;

    BarraComandi(Contesto &ctx, MDIFrm &frame, QObject *parent = nullptr);

    // Connects the bar's buttons to the handlers.
    void Collega(FrmBar &barra);

    void CmdInfo_Click();
    void CmdLingua_Click();
    void CmdMapOpen_Click();
    // Opens a map file as the open command does once the file is chosen.
    void ApriMappa(const QString &percorso);
    void CmdMapSave_Click();
    void CmdUpdate_Click();

    // The text of the information box.
    QString TestoInfo() const;

    // The outcome of the save or open that the bar asked for: on failure the
    // title goes back to what it was before the file was chosen.
    void EsitoFile(bool riuscito);

private:
    void RicordaTitolo();

    Contesto &m_ctx;
    MDIFrm &m_frame;
    bool m_titoloInSospeso = false;
    QString m_titoloFilePrima;
    QString m_titoloPrima;
};

} // namespace gascal
