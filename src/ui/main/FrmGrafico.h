#pragma once

#include "datalog/ModelloGrafico.h"

#include <QWidget>
#include <array>

class QAreaSeries;
class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QGraphicsLineItem;
class QLabel;
class QLineSeries;
class QPushButton;
class QScrollBar;
class QValueAxis;

namespace gascal {

class Contesto;
class RegistroLive;

// The chart window: the live channels over a scrolling time window (10 s to
// 10 min), each shown or hidden, rpm on the left axis and ms, bar and °C on
// the right, the gas running as a band; pause and resume; a cursor that
// reads every channel; playback of a recorded CSV with zoom and scroll.
// It only reads what the polling has already read: new reads are taken in
// one batch on the 100 ms refresh and the chart is redrawn at most twice a
// second, with the points thinned to the window's width.
class FrmGrafico : public QWidget
{
    Q_OBJECT
public:
    static const std::array<int, 6> Finestre_s; // the time windows offered

    FrmGrafico(Contesto &ctx, const RegistroLive &registro, QWidget *parent = nullptr);

    // Called by the frame's Timer2: takes the new reads (unless playing back).
    void Aggiorna();
    // Plays back a recorded CSV; false (with a message) when it cannot be read.
    bool ApriRegistrazione(const QString &percorso);
    void TornaLive();
    void Pausa(bool inPausa);
    void ImpostaFinestra(int secondi);
    // Texts from the [Frm_Grafico] section; again after a change of language.
    void CaricaLingua();
    // The file dialog's filter for recordings.
    QString Filtro() const;

    const ModelloGrafico &Modello() const { return m_modello; }
    bool InPausa() const { return m_pausa; }
    bool Riproduzione() const { return m_riproduzione; }
    // The text of the cursor at time t (seconds).
    QString TestoCursore(double t) const;
    int Ridisegni() const { return m_ridisegni; }

    QCheckBox *ChkCanale[ModelloGrafico::NumCanali]{};
    QComboBox *CmbFinestra = nullptr;
    QPushButton *CmdPausa = nullptr;
    QPushButton *CmdApri = nullptr;
    QPushButton *CmdLive = nullptr;
    QScrollBar *HScrTempo = nullptr;
    QLabel *LblCursore = nullptr;
    QLabel *LblFinestra = nullptr;
    QChartView *Vista = nullptr;

protected:
    bool eventFilter(QObject *oggetto, QEvent *evento) override;
    void showEvent(QShowEvent *evento) override;

private:
    void CreaGrafico();
    void Ridisegna();
    void AggiornaScorrimento();
    void MostraCursore(double t);
    void MostraPausa();
    void AggiornaTitolo();
    QString Testo(int k) const;
    QString NomeCanale(int c) const;
    QString Etichetta(int c) const;
    // A unit in the user's language (the model's units are the ECU's).
    QString Unita(const char *unita) const;
    // The axis a channel is drawn on: one per unit.
    QValueAxis *Asse(int c) const;
    // Forgets the mouse's last time, so no old readout stays.
    void AzzeraCursore();

    Contesto &m_ctx;
    const RegistroLive &m_registro;
    ModelloGrafico m_modello;
    qint64 m_letti = 0;
    bool m_pausa = false;
    bool m_riproduzione = false;
    bool m_daRidisegnare = true;
    int m_finestra_s = 60;
    double m_fineVista = 0; // right edge of the window shown (seconds)
    int m_tick = 0;
    int m_ridisegni = 0;
    double m_cursore = -1;
    std::array<double, 3> m_tetti{}; // the ms, bar and °C axes' tops
    QString m_fileRiprodotto;

    QChart *m_grafico = nullptr;
    QValueAxis *m_asseTempo = nullptr;
    QValueAxis *m_asseGiri = nullptr;
    QValueAxis *m_asseMs = nullptr;
    QValueAxis *m_asseBar = nullptr;
    QValueAxis *m_asseTemp = nullptr;
    QValueAxis *m_asseFascia = nullptr;
    std::array<QLineSeries *, ModelloGrafico::Carburante> m_linee{};
    QAreaSeries *m_fascia = nullptr;
    QLineSeries *m_fasciaSopra = nullptr;
    QGraphicsLineItem *m_lineaCursore = nullptr;
};

} // namespace gascal
