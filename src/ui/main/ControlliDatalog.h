#pragma once

#include "datalog/RegistroLive.h"

#include <QObject>

class QAction;
class QMainWindow;
class QToolBar;

namespace gascal {

class Contesto;
class FrmGrafico;

// The datalog's controls beside the live bar: the record button (F11) and
// the chart button (F12). It keeps the frame's live reads (RegistroLive):
// the frame hands it each live read, and Timer2 lets it end a recording on
// a lost link and feed the chart window.
class ControlliDatalog : public QObject
{
    Q_OBJECT
public:
    ControlliDatalog(Contesto &ctx, QMainWindow &frame);

    // After each successful read of the live record.
    void Lettura();
    // On Timer2.
    void Aggiorna();

    // Texts from the [Frm_Datalog] section (and the chart window's), again
    // after a change of language.
    void CaricaLingua();

    void CmdRegistra_Click();
    void CmdGrafico_Click();

    RegistroLive &Registro() { return m_registro; }
    FrmGrafico *Grafico() const { return m_grafico; }
    QToolBar *Barra = nullptr;
    QAction *CmdRegistra = nullptr;
    QAction *CmdGrafico = nullptr;

signals:
    // A recording started, or ended with its file complete (by the button or
    // by a lost link).
    void registrazioneIniziata();
    void registrazioneFinita(const QString &percorso);

private:
    void MostraStato();
    void Avviso(const QString &testo);
    QString Testo(int k) const;

    Contesto &m_ctx;
    QMainWindow &m_frame;
    RegistroLive m_registro;
    FrmGrafico *m_grafico = nullptr;
    QString m_fileInCorso; // the file being written, while recording
};

} // namespace gascal
