#pragma once

#include "app/StatoCollegamento.h"

#include <QStatusBar>

class QLabel;

namespace gascal {

class Contesto;

// The frame's status line: the connection (searching, connected on a port,
// offline), a short notice when the ECU is found again, and the page shown
// with its key. Refreshed by the frame's Timer2; texts are written only when
// they change.
class BarraStato : public QStatusBar
{
    Q_OBJECT
public:
    explicit BarraStato(Contesto &ctx, QWidget *parent = nullptr);

    void Aggiorna();
    void CaricaLingua();
    // A recording ended: its file, once, with a link that opens its folder;
    // it stays until the next recording starts.
    void RegistrazioneFinita(const QString &percorso);
    void RegistrazioneIniziata();

    QLabel *LblCollegamento;
    QLabel *LblPagina;
    QLabel *LblRegistrazione;

protected:
    void resizeEvent(QResizeEvent *evento) override;

private:
    // The connection text, shortened in the middle (a long device path) to
    // at most half of the line, whole in its tooltip.
    void MostraCollegamento();

    Contesto &m_ctx;
    QString m_collegamento; // the connection text, whole
    StatoCollegamento m_stato;
    QString m_registrazione; // the last recording's file
};

} // namespace gascal
